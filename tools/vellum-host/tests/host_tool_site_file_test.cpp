// The generated site (sizes, determinism, names; HostProgram.DefaultRun... reads its shape
// and fails on any fault of SiteIndex) and the site file: a written site reads back whole,
// and each kind of fault in a file is refused naming the file and the place of the fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "host_tool_support.h"
#include "site_generator.h"
#include "site_json.h"

namespace {

using nlohmann::json;

// A small valid site: root 1 over 2 over 3, type-2 cell 10 owned by 1, one device with
// one camera and one IO channel, a store folder and a view.
const char* const kValidSite = R"({
  "format": "vellum-site", "version": 1,
  "cells": [
  {"id": 1, "type": 1, "parentId": 0, "ownerId": 0, "sortOrder": 0, "indexCode": "C1", "name": ""},
  {"id": 2, "type": 1, "parentId": 1, "ownerId": 0, "sortOrder": 0, "indexCode": "C2", "name": ""},
  {"id": 3, "type": 1, "parentId": 2, "ownerId": 0, "sortOrder": 0, "indexCode": "C3", "name": ""},
  {"id": 10, "type": 2, "parentId": 0, "ownerId": 1, "sortOrder": 0, "indexCode": "C4", "name": ""}
  ],
  "devices": [ {"id": 1, "indexCode": "D1", "name": "", "ip": "", "port": 8000, "userName": "",
                "password": "", "type": 1, "domainId": 1} ],
  "cameras": [ {"id": 1, "device": 1, "cell": 10, "channelNo": 1, "type": 0, "matrixCode": 1,
                "seqIndex": 0, "online": true, "indexCode": "K1", "name": "", "privilege": "",
                "recordLocation": "", "transPath": ""} ],
  "ioChannels": [ {"id": 1, "device": 1, "cell": 10, "ioType": 0, "indexCode": "I1", "name": ""} ],
  "storeFolders": [ {"id": 1, "parentId": 0, "sortIndex": 0, "name": "", "resources": []} ],
  "customViews": [ {"id": 1, "name": "", "nodes": [ {"id": 1, "sortIndex": 0, "name": "",
                                                     "resources": [ {"id": 1, "camera": 1} ]} ]} ]
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
        {"/devices/0/port", 80.5, "devices[0].port: must be an integer, not the fraction 80.5"},
        {"/cameras/0/name", 7, "cameras[0].name: must be a string, not number"},
        {"/cameras", json::object(), "cameras: must be an array, not object"},
        {"/ioChannels/0", 3, "ioChannels[0]: must be an object, not number"},
        {"/cameras/0/matrixCode", 4294967296,
         "cameras[0].matrixCode: 4294967296 is out of the 32-bit range"},
        {"/cameras/0/colour", "red", "cameras[0].colour: unknown field"},
        {"/extras", json::array(), "extras: unknown field"},
        {cameraResource, kErase, "customViews[0].nodes[0].resources[0]: missing field \"camera\""},
        {"/format", kErase, "the document: missing field \"format\""},
        {"/version", 2, "version: version 2 is not known; this tool reads 1"},
        {"/cameras/0/cell", 99, "cameras[0].cell: no type-2 cell with id 99"},
        {"/cameras/0/cell", 1, "cameras[0].cell: no type-2 cell with id 1"},
        {"/ioChannels/0/device", 5, "ioChannels[0].device: no device with id 5"},
        {"/cells/3/ownerId", 42,
         "cells[3].ownerId: no type-1 cell with id 42 (a type-2 cell with parentId 0 stands "
         "under its owner)"},
        {"/storeFolders/0/parentId", 8, "storeFolders[0].parentId: no store folder with id 8"},
        {cameraResource, 3, "customViews[0].nodes[0].resources[0].camera: no camera with id 3"},
        {"/cells/1/id", 1,
         "cells[1].id: id 1 is used by cells[0] too (cell ids are unique across both types: "
         "statistics are keyed by id)"},
        {"/cells/0/parentId", 1, "cells: no type-1 cell with parentId 0, so the tree has no root"},
        {"/cells/1/parentId", 3, "cells[1].parentId: the parent links of cell 2 form a cycle"},
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
        // A section may be left out (here, as talk channels and crowd folders are). The
        // document is written with its keys in order: the header stands after the sections.
        {"/storeFolders", kErase, ""},
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
    ASSERT_TRUE(WriteSite(GenerateSite({1, 60, 12}), m_path, error)) << error;
    const std::string whole = ReadWhole(m_path);
    Site site;
    ASSERT_TRUE(LoadSite(m_path, site, error)) << error;
    ASSERT_TRUE(WriteSite(site, m_path, error)) << error;
    EXPECT_EQ(ReadWhole(m_path), whole);
    // Each cut is refused; bytes that make the text another valid JSON document or none
    // get a verdict that names the file, never a crash.
    for (std::size_t at = 0; at + 2 < whole.size(); at += whole.size() / 97 + 1) {
        const std::string cut = Load(whole.substr(0, at));
        EXPECT_TRUE(!cut.empty() && cut.rfind("(no file name)", 0) != 0) << at;
        for (char replacement : {'0', '"', '}', '\xff'}) {
            std::string corrupted = whole;
            corrupted[at] = replacement;
            EXPECT_NE(Load(corrupted).rfind("(no file name)", 0), 0u) << "byte " << at;
        }
    }
}

// Sizes as asked, a valid site, and names of cells and cameras beyond ASCII.
TEST(SiteGenerator, HonoursTheRequestedSizesAndPassesValidation) {
    for (auto [cameras, cells] : {std::pair{2000, 200}, {0, 5}, {1, 5}, {37, 9}, {5000, 1234}}) {
        const Site site = GenerateSite({3, cameras, cells});
        EXPECT_EQ(site.cameras.size(), static_cast<std::size_t>(cameras));
        EXPECT_EQ(site.cells.size(), static_cast<std::size_t>(cells));
        std::string error;
        EXPECT_TRUE(ValidateSite(site, error)) << cameras << " cameras, " << cells << ": " << error;
    }
    const Site site = GenerateSite({1, 2000, 200});
    std::string cellNames, cameraNames;
    for (const SiteCell& cell : site.cells) cellNames += cell.name;
    for (const SiteCamera& camera : site.cameras) cameraNames += camera.name;
    for (const std::string& names : {cellNames, cameraNames})
        EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
}

// Compared as file text, which holds every field.
TEST_F(SiteFile, GeneratorGivesTheSameSiteForTheSameSeedAndAnotherForAnother) {
    std::vector<std::string> texts;
    for (uint64_t seed : {7, 7, 8}) {
        std::string error;
        ASSERT_TRUE(WriteSite(GenerateSite({seed, 800, 90}), m_path, error)) << error;
        texts.push_back(ReadWhole(m_path));
    }
    EXPECT_EQ(texts[0], texts[1]);
    EXPECT_NE(texts[0], texts[2]);
}
