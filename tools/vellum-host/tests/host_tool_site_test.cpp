// The generated site: sizes, determinism and shape. What SiteIndex works out of a site
// (levels, child order, rolled-up counts) is what the session's checks compare the
// module's answers with, so HostProgram.DefaultRun... fails on any fault there.
#include <gtest/gtest.h>

#include <algorithm>

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
std::string Text(const Site& site) {
    const std::string path = ScratchPath("site-text.json");
    std::string error;
    EXPECT_TRUE(WriteSite(site, path, error)) << error;
    std::string text = ReadWhole(path);
    std::remove(path.c_str());
    return text;
}

template <class Records, class Test>
bool Any(const Records& records, Test test) {
    return std::any_of(records.begin(), records.end(), test);
}

bool NonAscii(const std::string& text) {
    return Any(text, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

TEST(SiteGenerator, HonoursTheRequestedSizesAndPassesValidation) {
    for (auto [cameras, cells] : {std::pair{2000, 200}, {0, 5}, {1, 5}, {37, 9}, {5000, 1234}}) {
        const Site site = Generate(3, cameras, cells);
        EXPECT_EQ(site.cameras.size(), static_cast<std::size_t>(cameras));
        EXPECT_EQ(site.cells.size(), static_cast<std::size_t>(cells));
        std::string error;
        EXPECT_TRUE(ValidateSite(site, error)) << cameras << " cameras, " << cells << ": " << error;
    }
}

TEST(SiteGenerator, GivesTheSameSiteForTheSameSeedAndAnotherForAnother) {
    EXPECT_EQ(Text(Generate(7, 800, 90)), Text(Generate(7, 800, 90)));
    EXPECT_NE(Text(Generate(7, 800, 90)), Text(Generate(8, 800, 90)));
}

TEST(SiteGenerator, BuildsFourType1LevelsAboveType2CellsAndFillsEveryKindOfData) {
    const Site site = Generate(1, 2000, 200);
    const SiteIndex index(site);
    int deepestType1 = -1;
    int32_t largestType1 = 0;
    int32_t smallestType2 = INT32_MAX;
    for (std::size_t i = 0; i < site.cells.size(); ++i) {
        if (site.cells[i].type == 1) {
            deepestType1 = std::max(deepestType1, index.Level(i));
            largestType1 = std::max(largestType1, site.cells[i].id);
        } else {
            smallestType2 = std::min(smallestType2, site.cells[i].id);
        }
    }
    EXPECT_GE(deepestType1, 3);  // centre, region, district, site
    EXPECT_LT(largestType1, smallestType2);
    EXPECT_TRUE(Any(site.cells, [](const SiteCell& c) { return c.type == 2 && c.parentId; }));
    for (const SiteCamera& camera : site.cameras)
        ASSERT_EQ(site.cells[index.FindCell(camera.cell)].type, 2) << "camera " << camera.id;
    EXPECT_FALSE(site.devices.empty() || site.talkChannels.empty() || site.storeFolders.empty() ||
                 site.views.empty() || site.crowdFolders.empty());
    EXPECT_TRUE(Any(site.ioChannels, [](const SiteIoChannel& io) { return io.ioType == 0; }));
    EXPECT_TRUE(Any(site.ioChannels, [](const SiteIoChannel& io) { return io.ioType != 0; }));
    EXPECT_TRUE(Any(site.cells, [](const SiteCell& c) { return NonAscii(c.name); }));
    EXPECT_TRUE(Any(site.cameras, [](const SiteCamera& c) { return NonAscii(c.name); }));
    EXPECT_TRUE(Any(site.cameras, [](const SiteCamera& c) { return c.online; }));
    EXPECT_TRUE(Any(site.cameras, [](const SiteCamera& c) { return !c.online; }));
}
