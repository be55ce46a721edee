// The platform seam (file removal, random bytes, INI integers, the module's own path)
// and the store's use of the last two: the module's directory and the settings read
// beside it. The unit tests link the module's code into their own executable, so that
// executable is the module file here.
#include <array>
#include <cstdio>

#include "platform/platform.h"
#include "store/ModuleConfig.h"
#include "tests/TestSystem.h"
#include "tests/unit/store_test_support.h"

namespace {

using store_test::TempDir;
using store_test::WriteFile;
using vellum::platform::ReadIniInt;

TEST(PlatformRemoveFile, DeletesAFileAndReportsAMissingOne) {
    TempDir dir;
    const std::string path = dir.File("doomed");
    WriteFile(path, "x");
    EXPECT_TRUE(vellum::platform::RemoveFile(path));
    EXPECT_FALSE(store_test::Exists(path));
    EXPECT_FALSE(vellum::platform::RemoveFile(path));
}

// Over eight draws every byte position is nonzero at least once (a working source
// misses that with odds 32 in 2^64), so the whole buffer is written; no two draws agree.
TEST(PlatformRandom, FillsTheWholeBufferWithFreshBytes) {
    std::array<unsigned char, 32> seen{};
    std::array<unsigned char, 32> previous{};
    for (int draw = 0; draw < 8; ++draw) {
        std::array<unsigned char, 32> bytes{};
        ASSERT_TRUE(vellum::platform::RandomBytes(bytes.data(), bytes.size()));
        EXPECT_NE(bytes, previous);
        previous = bytes;
        for (std::size_t i = 0; i < bytes.size(); ++i) seen[i] |= bytes[i];
    }
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_NE(seen[i], 0) << i;
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

TEST_F(PlatformModulePath, IsTheProgramsPathAndEmptyWhileItsFaultPointIsArmed) {
    const std::string path = vellum::platform::ModuleFilePath();
    EXPECT_EQ(path, vellum_test::ProgramPath());
    vellum::fault::ModulePath().Arm(0, 1);
    EXPECT_TRUE(vellum::platform::ModuleFilePath().empty());
    EXPECT_EQ(vellum::platform::ModuleFilePath(), path);
}

TEST(ModuleDirectory, IsTheProgramsDirectoryWithItsSeparatorInOneBuffer) {
    const char* dir = GetModuleDir();
    const std::string program = vellum_test::ProgramPath();
    const std::size_t separator = program.rfind(vellum::platform::kDirSeparator);
    EXPECT_EQ(std::string(dir), program.substr(0, separator + 1));
    EXPECT_EQ(GetModuleDir(), dir);
}

// A file beside the module, named for this process; a null name gives the default.
TEST(ModuleIni, ReadsAnIntegerFromAFileBesideTheModule) {
    const std::string name = "store_config_" + std::to_string(vellum_test::ProcessId()) + ".ini";
    const std::string path = std::string(GetModuleDir()) + name;
    WriteFile(path, "[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n");
    const std::vector<unsigned> got = {
        ReadModuleSetting("Tvwall", "Version", 0, name.c_str()),
        ReadModuleSetting("ResTree", "camera_index_sort", 0, name.c_str()),
        ReadModuleSetting("ResTree", "missing", 5, name.c_str()),
        ReadModuleSetting("Tvwall", "Version", 3, "no_such_file.ini"),
        ReadModuleSetting("Tvwall", "Version", 7, nullptr),
        ReadModuleSetting(nullptr, "Version", 7, name.c_str()),
        ReadModuleSetting("Tvwall", nullptr, 7, name.c_str()),
        ReadModuleSetting(nullptr, nullptr, -1, nullptr),
    };
    std::remove(path.c_str());
    EXPECT_EQ(got, (std::vector<unsigned>{6731, 1, 5, 3, 7, 7, 7, static_cast<unsigned>(-1)}));
}

}  // namespace
