// The platform calls failing: the module's own path (no settings read) and code-page
// conversion (an empty name). Failing random bytes: StoreKey; a failed settings read is a
// missing key (PlatformIni), read afresh at each call (ChannelFacade, CameraQueries).
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "chan_test_support.h"
#include "store/ModuleConfig.h"

namespace {

using chan_test::Camera;

using PlatformFaults = chan_test::ChannelTest;

// Meaningful in a process of its own (as CTest runs it): the module's directory is
// looked for here for the first time.
TEST(ModulePathFault, AnUnknownModuleDirectoryReadsNoSettingsFromTheWorkingDirectory) {
    store_test::TempDir dir;
    store_test::WriteFile(dir.Path() + kConfigFile, "[Tvwall]\nVersion=6731\n");
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());

    vellum::fault::ModulePath().Arm(0, -1);
    const char* moduleDir = GetModuleDir();
    const bool firstLook = vellum::fault::ModulePath().Calls() == 1;
    const unsigned version = ReadModuleSetting("Tvwall", "Version", 0, kConfigFile);
    vellum::fault::DisarmAll();
    std::filesystem::current_path(here);
    if (!firstLook) GTEST_SKIP() << "the module directory was found earlier in this process";

    EXPECT_STREQ(moduleDir, "");
    EXPECT_EQ(version, 0u) << "DefCfg.ini of the working directory was read";
    EXPECT_EQ(GetModuleDir(), moduleDir) << "the same buffer, filled by a later call";
    EXPECT_EQ(std::string(moduleDir).back(), vellum::platform::kDirSeparator);
}

// Two names written, then read: the one whose conversion failed is empty, the other whole.
// The other tables convert their names through the same functions (ChannelTables).
TEST_F(PlatformFaults, EachCodePageConversionFailsInTurnAndGivesAnEmptyName) {
    for (long k = -1; k < 4; ++k) {
        SCOPED_TRACE("conversion " + std::to_string(k));
        m_store.UnInit();
        ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
        vellum::fault::CodePage().Arm(k < 0 ? LONG_MAX : k, 1);
        StoreCameras({Camera(1), Camera(2)});
        CAMERA_INFO first, second;
        ASSERT_TRUE(m_store.GetCameraByID(&first, 1) && m_store.GetCameraByID(&second, 2));
        EXPECT_EQ(vellum::fault::CodePage().Calls(), 4);
        // Written in list order, read in the order of the look-ups.
        EXPECT_EQ(std::string(first.CAMNAME), k == 0 || k == 2 ? "" : "camera 1");
        EXPECT_EQ(std::string(second.CAMNAME), k == 1 || k == 3 ? "" : "camera 2");
    }
}

}  // namespace
