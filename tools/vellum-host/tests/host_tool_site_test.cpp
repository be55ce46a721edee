// The generated site and what the host expects of it: shape, sizes, determinism, and
// the levels, child order and rolled-up counts worked out by SiteIndex.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "host_tool_support.h"
#include "site_generator.h"
#include "site_index.h"
#include "site_json.h"

namespace {

Site Generate(uint64_t seed, int32_t cameras, int32_t cells) {
    GeneratorParams params;
    params.seed = seed;
    params.cameras = cameras;
    params.cells = cells;
    return GenerateSite(params);
}

// The site as its file text, which covers every field.
std::string Text(const Site& site, const std::string& name) {
    const std::string path = ScratchPath(name);
    std::string error;
    EXPECT_TRUE(WriteSite(site, path, error)) << error;
    std::string text = ReadWhole(path);
    std::remove(path.c_str());
    return text;
}

bool HasNonAscii(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

TEST(SiteGenerator, HonoursTheRequestedSizesAndPassesValidation) {
    for (auto [cameras, cells] : {std::pair{2000, 200}, {0, 5}, {1, 5}, {37, 9}, {5000, 1234}}) {
        const Site site = Generate(3, cameras, cells);
        EXPECT_EQ(site.cameras.size(), static_cast<std::size_t>(cameras));
        EXPECT_EQ(site.cells.size(), static_cast<std::size_t>(cells));
        std::string error;
        EXPECT_TRUE(ValidateSite(site, error))
            << cameras << " cameras, " << cells << " cells: " << error;
    }
}

TEST(SiteGenerator, GivesTheSameSiteForTheSameSeedAndAnotherForAnother) {
    EXPECT_EQ(Text(Generate(7, 800, 90), "a.json"), Text(Generate(7, 800, 90), "b.json"));
    EXPECT_NE(Text(Generate(7, 800, 90), "c.json"), Text(Generate(8, 800, 90), "d.json"));
}

TEST(SiteGenerator, BuildsFourType1LevelsWithType2CellsBelowInTheirOwnIdRange) {
    const Site site = Generate(1, 2000, 200);
    const SiteIndex index(site);
    int deepestType1 = -1;
    int32_t largestType1 = 0;
    int32_t smallestType2 = INT32_MAX;
    bool nestedType2 = false;
    for (std::size_t i = 0; i < site.cells.size(); ++i) {
        const SiteCell& cell = site.cells[i];
        if (cell.type == 1) {
            deepestType1 = std::max(deepestType1, index.Level(i));
            largestType1 = std::max(largestType1, cell.id);
        } else {
            smallestType2 = std::min(smallestType2, cell.id);
            nestedType2 = nestedType2 || cell.parentId != 0;
        }
    }
    EXPECT_GE(deepestType1, 3);  // centre, region, district, site
    EXPECT_LT(largestType1, smallestType2);
    EXPECT_TRUE(nestedType2);
    for (const SiteCamera& camera : site.cameras)
        ASSERT_EQ(site.cells[index.FindCell(camera.cell)].type, 2) << "camera " << camera.id;
}

TEST(SiteGenerator, FillsEveryKindOfDataWithNonAsciiNamesAndUnansweredIoTypes) {
    const Site site = Generate(1, 2000, 200);
    EXPECT_FALSE(site.devices.empty());
    EXPECT_FALSE(site.talkChannels.empty());
    EXPECT_FALSE(site.storeFolders.empty());
    EXPECT_FALSE(site.views.empty());
    EXPECT_FALSE(site.crowdFolders.empty());
    EXPECT_TRUE(std::any_of(site.ioChannels.begin(), site.ioChannels.end(),
                            [](const SiteIoChannel& io) { return io.ioType == 0; }));
    EXPECT_TRUE(std::any_of(site.ioChannels.begin(), site.ioChannels.end(),
                            [](const SiteIoChannel& io) { return io.ioType != 0; }));
    EXPECT_TRUE(std::any_of(site.cells.begin(), site.cells.end(),
                            [](const SiteCell& cell) { return HasNonAscii(cell.name); }));
    EXPECT_TRUE(std::any_of(site.cameras.begin(), site.cameras.end(),
                            [](const SiteCamera& camera) { return HasNonAscii(camera.name); }));
    EXPECT_TRUE(std::any_of(site.cameras.begin(), site.cameras.end(),
                            [](const SiteCamera& camera) { return camera.online; }));
    EXPECT_TRUE(std::any_of(site.cameras.begin(), site.cameras.end(),
                            [](const SiteCamera& camera) { return !camera.online; }));
}

// A hand-made tree: root 1 with child 2; type-2 cell 10 under 2 (owner), type-2 cell 11
// under 10 and type-2 cell 12 under root 1 (owner). Cameras in 10, 11 and 12.
class SiteIndexOfAHandMadeTree : public testing::Test {
protected:
    SiteIndexOfAHandMadeTree() {
        auto cell = [&](int32_t id, int32_t type, int32_t parent, int32_t owner, int32_t sort) {
            site.cells.push_back({id, type, parent, owner, sort, "c" + std::to_string(id), ""});
        };
        cell(1, 1, 0, 0, 0);
        cell(2, 1, 1, 0, 0);
        cell(10, 2, 0, 2, 0);
        cell(11, 2, 10, 0, 0);
        cell(12, 2, 0, 1, 5);
        site.devices.push_back({1, "d1", "", "", 0, "", "", 0, 0});
        auto camera = [&](int32_t id, int32_t cell, bool online) {
            SiteCamera c;
            c.id = id;
            c.device = 1;
            c.cell = cell;
            c.online = online;
            c.indexCode = "k" + std::to_string(id);
            site.cameras.push_back(c);
        };
        camera(1, 10, true);
        camera(2, 11, true);
        camera(3, 11, false);
        camera(4, 12, true);
    }
    Site site;
};

TEST_F(SiteIndexOfAHandMadeTree, GivesLevelsAsTheModuleCountsThem) {
    std::string error;
    ASSERT_TRUE(ValidateSite(site, error)) << error;
    const SiteIndex index(site);
    EXPECT_EQ(index.Level(index.FindCell(1)), 0);
    EXPECT_EQ(index.Level(index.FindCell(2)), 1);
    EXPECT_EQ(index.Level(index.FindCell(10)), 2);
    EXPECT_EQ(index.Level(index.FindCell(11)), 3);
    EXPECT_EQ(index.Level(index.FindCell(12)), 1);
    EXPECT_EQ(index.MaxLevel(), 3);
}

TEST_F(SiteIndexOfAHandMadeTree, ListsTopLevelType2ChildrenBeforeType1Children) {
    const SiteIndex index(site);
    std::vector<int32_t> ids;
    for (std::size_t child : index.Children(index.FindCell(1))) ids.push_back(site.cells[child].id);
    EXPECT_EQ(ids,
              (std::vector<int32_t>{12, 2}));  // 12 sorts after 2 by sortOrder, yet comes first
    EXPECT_TRUE(index.IsType2Leaf(index.FindCell(11)));
    EXPECT_FALSE(index.IsType2Leaf(index.FindCell(10)));
    EXPECT_FALSE(index.IsType2Leaf(index.FindCell(2)));
}

TEST_F(SiteIndexOfAHandMadeTree, RollsCameraCountsUpThroughOwnersAndParents) {
    const SiteIndex index(site);
    const std::vector<SiteIndex::Count> counts = index.CountCameras({1, 1, 0, 1});
    auto at = [&](int32_t id) { return counts[index.FindCell(id)]; };
    EXPECT_EQ(at(11), (SiteIndex::Count{1, 2}));
    EXPECT_EQ(at(10), (SiteIndex::Count{2, 3}));
    EXPECT_EQ(at(2), (SiteIndex::Count{2, 3}));
    EXPECT_EQ(at(12), (SiteIndex::Count{1, 1}));
    EXPECT_EQ(at(1), (SiteIndex::Count{3, 4}));
}
