// The generated site: sizes, determinism and names. Its shape (levels, every kind of
// data, IO types never answered, cameras on and off line) is read from the default
// run's report by HostProgram.DefaultRun.... What SiteIndex works out of a site
// (levels, child order, rolled-up counts) is what the session's checks compare the
// module's answers with, so HostProgram.DefaultRun... fails on any fault there.
#include <gtest/gtest.h>

#include <algorithm>

#include "host_tool_support.h"
#include "site_generator.h"
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

bool NonAscii(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

// Sizes as asked, a valid site, and names of cells and cameras beyond ASCII.
TEST(SiteGenerator, HonoursTheRequestedSizesAndPassesValidation) {
    for (auto [cameras, cells] : {std::pair{2000, 200}, {0, 5}, {1, 5}, {37, 9}, {5000, 1234}}) {
        const Site site = Generate(3, cameras, cells);
        EXPECT_EQ(site.cameras.size(), static_cast<std::size_t>(cameras));
        EXPECT_EQ(site.cells.size(), static_cast<std::size_t>(cells));
        std::string error;
        EXPECT_TRUE(ValidateSite(site, error)) << cameras << " cameras, " << cells << ": " << error;
    }
    const Site site = Generate(1, 2000, 200);
    EXPECT_TRUE(std::any_of(site.cells.begin(), site.cells.end(),
                            [](const SiteCell& c) { return NonAscii(c.name); }));
    EXPECT_TRUE(std::any_of(site.cameras.begin(), site.cameras.end(),
                            [](const SiteCamera& c) { return NonAscii(c.name); }));
}

TEST(SiteGenerator, GivesTheSameSiteForTheSameSeedAndAnotherForAnother) {
    EXPECT_EQ(Text(Generate(7, 800, 90)), Text(Generate(7, 800, 90)));
    EXPECT_NE(Text(Generate(7, 800, 90)), Text(Generate(8, 800, 90)));
}
