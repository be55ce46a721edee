// The platform calls failing in turn: the module's own path, INI reading and code-page
// conversion. Each failure has a defined outcome (no settings, the default setting, an
// empty name) and the instance keeps working. Failing random bytes: StoreKey.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "chan_test_support.h"
#include "store/ModuleConfig.h"

namespace {

using chan_test::Camera;
using chan_test::Device;
using chan_test::Ids;
using chan_test::Io;
using chan_test::Linked;
using chan_test::Talk;

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

// Three reads per round: the deposit's cipher setting, the list's order, the rows' cipher
// setting. The failed one gives its default (ascending order; the text as stored), no other.
TEST_F(PlatformFaults, EachSettingsReadFailsInTurnAndGivesTheDefault) {
    chan_test::ConfigFile settings("[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n");
    const struct {
        long failing;
        std::vector<int32_t> order;
        bool plain;  // the paths read back as written
    } rounds[] = {{LONG_MAX, {3, 2, 1}, true},
                  {0, {3, 2, 1}, true},
                  {1, {1, 2, 3}, true},
                  {2, {3, 2, 1}, false}};
    for (const auto& round : rounds) {
        SCOPED_TRACE("settings read " + std::to_string(round.failing));
        m_store.UnInit();
        ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
        vellum::fault::IniRead().Arm(round.failing, 1);
        StoreCameras({Camera(1, 4, 2, 1), Camera(2, 4, 2, 2), Camera(3, 4, 2, 3)});
        CAMERA_INFO* head = nullptr;
        ASSERT_TRUE(m_store.GetCameraList(&head, 2, 4));
        for (CAMERA_INFO* c = head; c != nullptr; c = c->next)
            EXPECT_EQ(std::string(c->TRANSPATH).rfind("rtsp://10.0.0.1/", 0) == 0, round.plain);
        EXPECT_EQ(Ids(head), round.order);
        EXPECT_EQ(vellum::fault::IniRead().Calls(), 3);
    }
}

TEST_F(PlatformFaults, EachCodePageConversionFailsInTurnAndGivesAnEmptyName) {
    // Five names written, then read; only the one whose conversion failed is empty.
    std::vector<std::string> clean;
    for (long k = -1; k < 10; ++k) {
        SCOPED_TRACE("conversion " + std::to_string(k));
        m_store.UnInit();
        ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
        vellum::fault::CodePage().Arm(k < 0 ? LONG_MAX : k, 1);
        StoreCameras({Camera(1), Camera(2)});
        std::vector<IO_INFO> ios = {Io(1, 7)};
        std::vector<DEVICE_INFO> devices = {Device(1)};
        std::vector<TALK_CHANNEL> talks = {Talk(1, 7)};
        CAMERA_INFO camera, other;
        IO_INFO io;
        DEVICE_INFO device;
        TALK_CHANNEL talk;
        ASSERT_TRUE(m_store.SetIOList(Linked(ios)) && m_store.SetDeviceList(Linked(devices)) &&
                    m_store.SetTalkChannelList(Linked(talks)) &&
                    m_store.GetCameraByID(&camera, 1) && m_store.GetCameraByID(&other, 2) &&
                    m_store.GetIOByID(&io, 1) && m_store.GetDeviceByID(&device, 1) &&
                    m_store.GetTalkChannelByID(&talk, 1));
        const std::vector<std::string> names = {camera.CAMNAME, other.CAMNAME, io.IONAME,
                                                device.DEVNAME, talk.TALKNAME};
        if (k < 0) {
            clean = names;
            EXPECT_EQ(vellum::fault::CodePage().Calls(), 10);
            continue;
        }
        int emptied = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == clean[i]) continue;
            EXPECT_EQ(names[i], "");
            ++emptied;
        }
        EXPECT_EQ(emptied, 1) << "exactly the name whose conversion failed";
    }
}

}  // namespace
