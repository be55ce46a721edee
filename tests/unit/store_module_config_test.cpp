// The module's own directory and INI integers read beside it. In this test program
// the store is linked in, so the module's directory is the program's.
#include <climits>
#include <cstring>

#include "platform/platform.h"
#include "store/ModuleConfig.h"
#include "store_test_support.h"
#include "tests/TestSystem.h"

namespace {

std::string ProgramDirectory() {
    const std::string program = vellum_test::ProgramPath();
    return program.substr(0, program.rfind(vellum::platform::kDirSeparator) + 1);
}

// An INI file in the module's directory, named for this process, removed afterwards.
class IniBesideModule {
public:
    explicit IniBesideModule(const std::string& content)
        : m_name("store_config_" + std::to_string(vellum_test::ProcessId()) + ".ini") {
        store_test::WriteFile(std::string(GetModuleDir()) + m_name, content);
    }
    ~IniBesideModule() { std::remove((std::string(GetModuleDir()) + m_name).c_str()); }
    IniBesideModule(const IniBesideModule&) = delete;
    IniBesideModule& operator=(const IniBesideModule&) = delete;

    const char* Name() const { return m_name.c_str(); }

private:
    std::string m_name;
};

TEST(ModuleDirectory, IsTheProgramsDirectoryWithItsSeparator) {
    const char* dir = GetModuleDir();
    ASSERT_NE(dir, nullptr);
    ASSERT_GT(std::strlen(dir), 0u);
    EXPECT_EQ(dir[std::strlen(dir) - 1], vellum::platform::kDirSeparator);
    EXPECT_EQ(std::string(dir), ProgramDirectory());
}

TEST(ModuleDirectory, EveryCallReturnsTheSameBuffer) {
    const char* first = GetModuleDir();
    EXPECT_EQ(GetModuleDir(), first);
    EXPECT_EQ(GetModuleDir(), first);
}

TEST(ModuleIni, ReadsAnIntegerFromAFileBesideTheModule) {
    IniBesideModule ini("[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n");
    EXPECT_EQ(ReadModuleSetting("Tvwall", "Version", 0, ini.Name()), 6731u);
    EXPECT_EQ(ReadModuleSetting("ResTree", "camera_index_sort", 0, ini.Name()), 1u);
    EXPECT_EQ(ReadModuleSetting("ResTree", "missing", 5, ini.Name()), 5u);
    EXPECT_EQ(ReadModuleSetting("Tvwall", "Version", 3, "no_such_file.ini"), 3u);
}

TEST(ModuleIni, ANullFileSectionOrKeyGivesTheDefault) {
    IniBesideModule ini("[Tvwall]\nVersion=6731\n");
    EXPECT_EQ(ReadModuleSetting("Tvwall", "Version", 7, nullptr), 7u);
    EXPECT_EQ(ReadModuleSetting(nullptr, "Version", 7, ini.Name()), 7u);
    EXPECT_EQ(ReadModuleSetting("Tvwall", nullptr, 7, ini.Name()), 7u);
    EXPECT_EQ(ReadModuleSetting(nullptr, nullptr, -1, nullptr), static_cast<unsigned>(-1));
}

}  // namespace
