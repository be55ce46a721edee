// The site file: a written site reads back whole, and every kind of fault in a file is
// refused with a message that names the file and the place of the fault.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host_tool_support.h"
#include "site_generator.h"
#include "site_json.h"

namespace {

using nlohmann::json;

// A small valid site: root 1, type-2 cell 10 under it, one device with one camera, one
// IO and one talk channel, a store folder, a view and a crowd folder.
const char* const kValidSite = R"({
  "format": "vellum-site", "version": 1,
  "cells": [
    {"id": 1, "type": 1, "parentId": 0, "ownerId": 0, "sortOrder": 0, "indexCode": "C1", "name": "Centre 中心"},
    {"id": 10, "type": 2, "parentId": 0, "ownerId": 1, "sortOrder": 0, "indexCode": "C10", "name": "Lobby"}
  ],
  "devices": [
    {"id": 1, "indexCode": "D1", "name": "NVR", "ip": "10.0.0.1", "port": 8000, "userName": "admin",
     "password": "pw", "type": 1, "domainId": 1}
  ],
  "cameras": [
    {"id": 1, "device": 1, "cell": 10, "channelNo": 1, "type": 0, "matrixCode": 10001, "seqIndex": 0,
     "online": true, "indexCode": "K1", "name": "Entrée", "privilege": "1,3", "recordLocation": "NVR/HDD1",
     "transPath": "rtsp://10.0.0.1/1"}
  ],
  "ioChannels": [ {"id": 1, "device": 1, "cell": 10, "ioType": 0, "indexCode": "I1", "name": "Door"} ],
  "talkChannels": [ {"id": 1, "device": 1, "cell": 10, "channelNo": 1, "indexCode": "T1", "name": "Talk"} ],
  "storeFolders": [ {"id": 1, "parentId": 0, "sortIndex": 0, "name": "Recordings",
                     "resources": [ {"id": 1, "resType": 1, "resId": 1, "sortIndex": 0, "indexCode": "K1"} ]} ],
  "customViews": [ {"id": 1, "name": "View", "nodes": [ {"id": 1, "sortIndex": 0, "name": "Node",
                                                         "resources": [ {"id": 1, "camera": 1} ]} ]} ],
  "crowdFolders": [ {"id": 1, "name": "VIP", "resources": [ {"resId": 1, "resType": 1, "name": "José"} ]} ]
})";

class SiteFile : public testing::Test {
protected:
    // Loads `text` from a file named site.json; returns the error, empty on success.
    std::string Load(const std::string& text) {
        WriteWhole(m_path, text);
        Site site;
        std::string error;
        const bool loaded = LoadSite(m_path, site, error);
        EXPECT_EQ(loaded, error.empty());
        return error;
    }
    // Loads the valid site after `change` has edited it.
    template <class Change>
    std::string LoadChanged(Change change) {
        json document = json::parse(kValidSite);
        change(document);
        return Load(document.dump());
    }
    void TearDown() override { std::remove(m_path.c_str()); }

    const std::string m_path = ScratchPath("site.json");
};

// The message, without the file name that leads every message.
std::string Place(const std::string& error, const std::string& path) {
    return error.rfind(path + ": ", 0) == 0 ? error.substr(path.size() + 2)
                                            : "(no file name) " + error;
}

}  // namespace

TEST_F(SiteFile, LoadsAValidSiteWholeAndWritesItBackTheSame) {
    WriteWhole(m_path, kValidSite);
    Site site;
    std::string error;
    ASSERT_TRUE(LoadSite(m_path, site, error)) << error;
    EXPECT_EQ(site.cells.size(), 2u);
    EXPECT_EQ(site.cameras[0].name, "Entrée");
    EXPECT_TRUE(site.cameras[0].online);
    EXPECT_EQ(site.views[0].nodes[0].resources[0].camera, 1);

    const std::string again = ScratchPath("again.json");
    ASSERT_TRUE(WriteSite(site, again, error)) << error;
    Site reloaded;
    ASSERT_TRUE(LoadSite(again, reloaded, error)) << error;
    const std::string third = ScratchPath("third.json");
    ASSERT_TRUE(WriteSite(reloaded, third, error)) << error;
    EXPECT_EQ(ReadWhole(again), ReadWhole(third));
    std::remove(again.c_str());
    std::remove(third.c_str());
}

TEST_F(SiteFile, LeavesOutMissingSectionsAsEmpty) {
    EXPECT_EQ(Load(R"({"format": "vellum-site", "version": 1,
                       "cells": [{"id": 1, "type": 1, "parentId": 0, "ownerId": 0, "sortOrder": 0,
                                  "indexCode": "R", "name": ""}]})"),
              "");
}

TEST_F(SiteFile, RefusesMalformedJsonNamingLineAndColumn) {
    const std::string error = Load("{\n  \"format\": \"vellum-site\",\n  \"version\": 1,,\n}");
    EXPECT_EQ(error.rfind(m_path + ": malformed JSON: parse error at line 3, column 16", 0), 0u)
        << error;
    EXPECT_NE(Load("").find("malformed JSON"), std::string::npos);
    EXPECT_NE(
        Load("{\"format\": \"vellum-site\", \"version\": 1, \"cells\": [").find("malformed JSON"),
        std::string::npos);
}

TEST_F(SiteFile, RefusesFieldsOfTheWrongType) {
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cameras"][0]["online"] = "yes"; }), m_path),
              "cameras[0].online: must be true or false, not string");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cells"][1]["id"] = "10"; }), m_path),
              "cells[1].id: must be an integer, not string");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["devices"][0]["port"] = 80.5; }), m_path),
              "devices[0].port: must be an integer, not the fraction 80.5");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cameras"][0]["name"] = 7; }), m_path),
              "cameras[0].name: must be a string, not number");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cameras"] = json::object(); }), m_path),
              "cameras: must be an array, not object");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["talkChannels"][0] = 3; }), m_path),
              "talkChannels[0]: must be an object, not number");
    EXPECT_EQ(
        Place(LoadChanged([](json& d) { d["cameras"][0]["matrixCode"] = 4294967296; }), m_path),
        "cameras[0].matrixCode: 4294967296 is out of the 32-bit range");
    EXPECT_EQ(Place(Load("[1, 2]"), m_path), "the document: must be an object, not array");
}

TEST_F(SiteFile, RefusesUnknownAndMissingFields) {
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cameras"][0]["colour"] = "red"; }), m_path),
              "cameras[0].colour: unknown field");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["extras"] = json::array(); }), m_path),
              "extras: unknown field");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cells"][0].erase("sortOrder"); }), m_path),
              "cells[0]: missing field \"sortOrder\"");
    EXPECT_EQ(Place(LoadChanged([](json& d) {
                        d["customViews"][0]["nodes"][0]["resources"][0].erase("camera");
                    }),
                    m_path),
              "customViews[0].nodes[0].resources[0]: missing field \"camera\"");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d.erase("format"); }), m_path),
              "the document: missing field \"format\"");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["version"] = 2; }), m_path),
              "version: version 2 is not known; this tool reads 1");
}

TEST_F(SiteFile, RefusesDanglingReferences) {
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cameras"][0]["cell"] = 99; }), m_path),
              "cameras[0].cell: no type-2 cell with id 99");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cameras"][0]["cell"] = 1; }), m_path),
              "cameras[0].cell: no type-2 cell with id 1");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["ioChannels"][0]["device"] = 5; }), m_path),
              "ioChannels[0].device: no device with id 5");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cells"][1]["ownerId"] = 42; }), m_path),
              "cells[1].ownerId: no type-1 cell with id 42 (a type-2 cell with parentId 0 stands "
              "under its owner)");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["storeFolders"][0]["parentId"] = 8; }), m_path),
              "storeFolders[0].parentId: no store folder with id 8");
    EXPECT_EQ(Place(LoadChanged([](json& d) {
                        d["customViews"][0]["nodes"][0]["resources"][0]["camera"] = 3;
                    }),
                    m_path),
              "customViews[0].nodes[0].resources[0].camera: no camera with id 3");
}

TEST_F(SiteFile, RefusesTreesAndIdentifiersTheSessionCannotCheck) {
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cells"][1]["id"] = 1; }), m_path),
              "cells[1].id: id 1 is used by cells[0] too (cell ids are unique across both types: "
              "statistics are keyed by id)");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cells"][0]["parentId"] = 1; }), m_path),
              "cells: no type-1 cell with parentId 0, so the tree has no root");
    EXPECT_EQ(Place(LoadChanged([](json& d) {
                        d["cells"].push_back({{"id", 2},
                                              {"type", 1},
                                              {"parentId", 3},
                                              {"ownerId", 0},
                                              {"sortOrder", 0},
                                              {"indexCode", "C2"},
                                              {"name", ""}});
                        d["cells"].push_back({{"id", 3},
                                              {"type", 1},
                                              {"parentId", 2},
                                              {"ownerId", 0},
                                              {"sortOrder", 0},
                                              {"indexCode", "C3"},
                                              {"name", ""}});
                    }),
                    m_path),
              "cells[2].parentId: the parent links of cell 2 form a cycle");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cells"][1]["indexCode"] = "C1"; }), m_path),
              "cells[1].indexCode: \"C1\" is used by cells[0] too (the module keeps one cell per "
              "index code)");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cells"][1]["type"] = 3; }), m_path),
              "cells[1].type: must be 1 or 2, not 3");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cameras"][0]["id"] = 0; }), m_path),
              "cameras[0].id: must be a positive integer, not 0");
    EXPECT_EQ(Place(LoadChanged([](json& d) { d["cameras"][0]["indexCode"] = "K1,K2"; }), m_path),
              "cameras[0].indexCode: holds a comma, at which code lists are split");
    EXPECT_EQ(
        Place(LoadChanged([](json& d) { d["cameras"][0]["privilege"] = std::string(64, '1'); }),
              m_path),
        "cameras[0].privilege: 64 bytes, longer than the 63 the record holds");
    EXPECT_EQ(
        Place(LoadChanged([](json& d) { d["cells"][0]["name"] = std::string("a\0b", 3); }), m_path),
        "cells[0].name: holds a NUL character");
}

TEST_F(SiteFile, ReadsTheHeaderWhereverItStandsAndRefusesAnotherFormatFirst) {
    json document = json::parse(kValidSite);
    std::string moved = "{";
    for (auto item = document.begin(); item != document.end(); ++item)
        if (item.key() != "format" && item.key() != "version")
            moved += "\"" + item.key() + "\": " + item.value().dump() + ", ";
    EXPECT_EQ(Load(moved + "\"version\": 1, \"format\": \"vellum-site\"}"), "");
    // Another format is named as such, not by the first record it cannot read.
    EXPECT_EQ(Place(Load(R"({"format": "other", "cameras": [{"colour": "red"}]})"), m_path),
              "format: must be \"vellum-site\"");
    EXPECT_EQ(Place(Load(R"({"format": "vellum-site", "version": 1, "cameras": [[1]]})"), m_path),
              "cameras[0]: must be an object, not array");
}

TEST_F(SiteFile, RefusesEveryTruncationAndCorruptionOfAValidFileWithAMessage) {
    GeneratorParams params;
    params.cameras = 60;
    params.cells = 12;
    std::string error;
    ASSERT_TRUE(WriteSite(GenerateSite(params), m_path, error)) << error;
    const std::string whole = ReadWhole(m_path);
    for (std::size_t cut = 0; cut + 2 < whole.size(); cut += whole.size() / 97 + 1) {
        const std::string message = Load(whole.substr(0, cut));
        EXPECT_EQ(message.rfind(m_path + ": ", 0), 0u) << "cut at " << cut << ": " << message;
    }
    // Bytes that make the text another valid JSON document or none: either way the
    // loader answers with a verdict, never a crash.
    for (std::size_t at = 0; at < whole.size(); at += whole.size() / 89 + 1) {
        for (char replacement : {'0', '"', '}', '\xff'}) {
            std::string corrupted = whole;
            corrupted[at] = replacement;
            const std::string message = Load(corrupted);
            EXPECT_TRUE(message.empty() || message.rfind(m_path + ": ", 0) == 0) << message;
        }
    }
}
