// The site file: a written site reads back whole, and every kind of fault in a file is
// refused with a message that names the file and the place of the fault. The hand-written
// site below, accepted as it stands (its last row), is the base of every refused edit.
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
    // Loads `text` from a file named site.json; returns the error, without the file name
    // that leads every message, and empty on success.
    std::string Load(const std::string& text) {
        WriteWhole(m_path, text);
        Site site;
        std::string error;
        const bool loaded = LoadSite(m_path, site, error);
        EXPECT_EQ(loaded, error.empty());
        if (loaded) return "";
        if (error.rfind(m_path + ": ", 0) != 0) return "(no file name) " + error;
        return error.substr(m_path.size() + 2);
    }
    void TearDown() override { std::remove(m_path.c_str()); }

    const std::string m_path = ScratchPath("site.json");
};

json Type1Cell(int id, int parentId) {
    return {{"id", id},       {"type", 1},      {"parentId", parentId},
            {"ownerId", 0},   {"sortOrder", 0}, {"indexCode", "C" + std::to_string(id)},
            {"name", ""}};
}

// An edit of the valid site at a JSON pointer: the value put there, or with kErase the
// field taken away; the message it is refused with, or "" when it is accepted.
struct Refusal {
    std::string pointer;
    json value;
    const char* message;
};
const json kErase = json::value_t::discarded;

}  // namespace

TEST_F(SiteFile, RefusesEachFaultNamingItsPlaceWhereverTheHeaderStands) {
    const std::string cameraResource = "/customViews/0/nodes/0/resources/0/camera";
    const Refusal refusals[] = {
        {"/cameras/0/online", "yes", "cameras[0].online: must be true or false, not string"},
        {"/cells/1/id", "10", "cells[1].id: must be an integer, not string"},
        {"/devices/0/port", 80.5, "devices[0].port: must be an integer, not the fraction 80.5"},
        {"/cameras/0/name", 7, "cameras[0].name: must be a string, not number"},
        {"/cameras", json::object(), "cameras: must be an array, not object"},
        {"/talkChannels/0", 3, "talkChannels[0]: must be an object, not number"},
        {"/cameras/0/matrixCode", 4294967296,
         "cameras[0].matrixCode: 4294967296 is out of the 32-bit range"},
        {"/cameras/0/colour", "red", "cameras[0].colour: unknown field"},
        {"/extras", json::array(), "extras: unknown field"},
        {"/cells/0/sortOrder", kErase, "cells[0]: missing field \"sortOrder\""},
        {cameraResource, kErase, "customViews[0].nodes[0].resources[0]: missing field \"camera\""},
        {"/format", kErase, "the document: missing field \"format\""},
        {"/version", 2, "version: version 2 is not known; this tool reads 1"},
        {"/cameras/0/cell", 99, "cameras[0].cell: no type-2 cell with id 99"},
        {"/cameras/0/cell", 1, "cameras[0].cell: no type-2 cell with id 1"},
        {"/ioChannels/0/device", 5, "ioChannels[0].device: no device with id 5"},
        {"/cells/1/ownerId", 42,
         "cells[1].ownerId: no type-1 cell with id 42 (a type-2 cell with parentId 0 stands "
         "under its owner)"},
        {"/storeFolders/0/parentId", 8, "storeFolders[0].parentId: no store folder with id 8"},
        {cameraResource, 3, "customViews[0].nodes[0].resources[0].camera: no camera with id 3"},
        {"/cells/1/id", 1,
         "cells[1].id: id 1 is used by cells[0] too (cell ids are unique across both types: "
         "statistics are keyed by id)"},
        {"/cells/0/parentId", 1, "cells: no type-1 cell with parentId 0, so the tree has no root"},
        {"/cells", {Type1Cell(1, 0), Type1Cell(2, 3), Type1Cell(3, 2)},
         "cells[1].parentId: the parent links of cell 2 form a cycle"},
        {"/cells/1/indexCode", "C1",
         "cells[1].indexCode: \"C1\" is used by cells[0] too (the module keeps one cell per "
         "index code)"},
        {"/cells/1/type", 3, "cells[1].type: must be 1 or 2, not 3"},
        {"/cameras/0/id", 0, "cameras[0].id: must be a positive integer, not 0"},
        {"/cameras/0/indexCode", "K1,K2",
         "cameras[0].indexCode: holds a comma, at which code lists are split"},
        {"/cameras/0/privilege", std::string(64, '1'),
         "cameras[0].privilege: 64 bytes, longer than the 63 the record holds"},
        {"/cells/0/name", std::string("a\0b", 3), "cells[0].name: holds a NUL character"},
        {"", json::array({1, 2}), "the document: must be an object, not array"},
        // Another format is named as such, not by the first record it cannot read.
        {"", {{"format", "other"}, {"talkChannels", {{{"colour", "red"}}}}},
         "format: must be \"vellum-site\""},
        {"/cameras/0", json::array({1}), "cameras[0]: must be an object, not array"},
        // A section may be left out. The document is written with its keys in order, so
        // the header stands after "cameras", "cells" and the rest.
        {"/crowdFolders", kErase, ""},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.pointer);
        json document = json::parse(kValidSite);
        const json::json_pointer at(refusal.pointer);
        if (refusal.value.is_discarded())
            document[at.parent_pointer()].erase(at.back());
        else
            document[at] = refusal.value;
        EXPECT_EQ(Load(document.dump()), refusal.message);
    }
    EXPECT_EQ(Load("{\n  \"format\": \"vellum-site\",\n  \"version\": 1,,\n}")
                  .rfind("malformed JSON: parse error at line 3, column 16", 0),
              0u);
    EXPECT_EQ(Load("").rfind("malformed JSON", 0), 0u);
}

// A written site reads back whole: written again, it gives the same text.
TEST_F(SiteFile, ReadsBackWhatItWritesAndRefusesEveryTruncationAndCorruption) {
    std::string error;
    ASSERT_TRUE(WriteSite(GenerateSite(GeneratorParams{1, 60, 12}), m_path, error)) << error;
    const std::string whole = ReadWhole(m_path);
    Site site;
    ASSERT_TRUE(LoadSite(m_path, site, error)) << error;
    ASSERT_TRUE(WriteSite(site, m_path, error)) << error;
    EXPECT_EQ(ReadWhole(m_path), whole);
    for (std::size_t cut = 0; cut + 2 < whole.size(); cut += whole.size() / 97 + 1) {
        const std::string message = Load(whole.substr(0, cut));
        EXPECT_TRUE(!message.empty() && message.rfind("(no file name)", 0) != 0) << cut;
    }
    // Bytes that make the text another valid JSON document or none: either way the
    // loader answers with a verdict that names the file, never a crash.
    for (std::size_t at = 0; at < whole.size(); at += whole.size() / 89 + 1) {
        for (char replacement : {'0', '"', '}', '\xff'}) {
            std::string corrupted = whole;
            corrupted[at] = replacement;
            EXPECT_NE(Load(corrupted).rfind("(no file name)", 0), 0u) << "byte " << at;
        }
    }
}
