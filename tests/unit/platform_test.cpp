// The platform seam and the store's use of it. The unit tests link the module's code
// into their own executable, so that executable is the module file here.
#include <algorithm>
#include <array>

#include "platform/platform.h"
#include "store/ModuleConfig.h"
#include "tests/TestSystem.h"
#include "tests/unit/store_test_support.h"

namespace {

using store_test::TempDir;
using store_test::WriteFile;
using vellum::platform::ReadIniInt;

// Over eight draws every byte position is nonzero at least once (a working source
// misses that with odds 32 in 2^64), so the whole buffer is written; no two draws agree.
TEST(PlatformRandom, FillsTheWholeBufferWithFreshBytes) {
    std::array<unsigned char, 32> seen{}, previous{};
    for (int draw = 0; draw < 8; ++draw) {
        std::array<unsigned char, 32> bytes{};
        ASSERT_TRUE(vellum::platform::RandomBytes(bytes.data(), bytes.size()));
        EXPECT_NE(bytes, previous);
        previous = bytes;
        for (std::size_t i = 0; i < bytes.size(); ++i) seen[i] |= bytes[i];
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 0);
}

// Case-insensitive names, the leading signed decimal, and the default for what is
// missing (file, section, key, value, or a null name).
TEST(PlatformIni, ReadsTheLeadingSignedDecimalOfAKeyInItsSection) {
    TempDir dir;
    const std::string path = dir.File("DefCfg.ini");
    WriteFile(path,
              "; settings\n[Tvwall]\nVersion=6731\nNegative = -42\nPlus=+7\nTrailing=12abc\n"
              "Words=abc\nEmpty=\nQuoted=\"15\"\nNothingQuoted=\"\"\nTwice=1\nTwice=2\n"
              "[ResTree]\ncamera_index_sort=1\n");
    struct Case {
        const char* section;
        const char* key;
        int expected;
    };
    const Case cases[] = {
        {"Tvwall", "Version", 6731}, {"TVWALL", "version", 6731},
        {"restree", "CAMERA_INDEX_SORT", 1}, {"Tvwall", "Negative", -42},
        {"Tvwall", "Plus", 7}, {"Tvwall", "Trailing", 12}, {"Tvwall", "Words", 0},
        {"Tvwall", "Quoted", 15}, {"Tvwall", "Twice", 1}, {"Absent", "Version", 9},
        {"Tvwall", "Absent", 9}, {"ResTree", "Version", 9}, {"Tvwall", "Empty", 9},
        {"Tvwall", "NothingQuoted", 9},
        {nullptr, "Version", 9}, {"Tvwall", nullptr, 9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadIniInt(path, c.section, c.key, 9), c.expected)
            << (c.section ? c.section : "null") << " " << (c.key ? c.key : "null");
    }
    EXPECT_EQ(ReadIniInt(dir.File("absent.ini"), "Tvwall", "Version", 9), 9);
}

using PlatformModulePath = store_test::FaultSafeTest;

// GetModuleDir keeps the directory with its separator, in one buffer for every call.
TEST_F(PlatformModulePath, IsTheProgramsPathAndEmptyWhileItsFaultPointIsArmed) {
    const std::string path = vellum::platform::ModuleFilePath();
    EXPECT_EQ(path, vellum_test::ProgramPath());
    const char* dir = GetModuleDir();
    EXPECT_EQ(std::string(dir), path.substr(0, path.rfind(vellum::platform::kDirSeparator) + 1));
    vellum::fault::ModulePath().Arm(0, 1);
    EXPECT_TRUE(vellum::platform::ModuleFilePath().empty());
    EXPECT_EQ(vellum::platform::ModuleFilePath(), path);
    EXPECT_EQ(GetModuleDir(), dir);
}

// A file beside the module, named for this process; a null name gives the default.
// Removing it twice shows RemoveFile deletes and reports a missing file.
TEST(ModuleIni, ReadsAnIntegerFromAFileBesideTheModule) {
    const std::string name = "store_config_" + std::to_string(vellum_test::ProcessId()) + ".ini";
    const std::string path = std::string(GetModuleDir()) + name;
    WriteFile(path, "[Tvwall]\nVersion=6731\n");
    const std::vector<unsigned> got = {
        ReadModuleSetting("Tvwall", "Version", 0, name.c_str()),
        ReadModuleSetting("Tvwall", "Version", -1, "no_such_file.ini"),
        ReadModuleSetting("Tvwall", "Version", 7, nullptr),
    };
    EXPECT_TRUE(vellum::platform::RemoveFile(path));
    EXPECT_FALSE(vellum::platform::RemoveFile(path));
    EXPECT_EQ(got, (std::vector<unsigned>{6731, static_cast<unsigned>(-1), 7}));
}

}  // namespace
