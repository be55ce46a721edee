// The platform calls failing in turn: the module's own path, INI reading and code-page
// conversion. Each failure has a defined outcome (no settings, the default setting, an
// empty name) and the instance keeps working. Failing random bytes: StoreKey.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <iostream>

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

TEST_F(PlatformFaults, EachSettingsReadFailsInTurnAndGivesTheDefault) {
    chan_test::ConfigFile settings("[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n");
    auto scenario = [this](std::vector<int32_t>& order, std::vector<std::string>& paths) {
        StoreCameras({Camera(1, 4, 2, 1), Camera(2, 4, 2, 2), Camera(3, 4, 2, 3)});
        CAMERA_INFO* head = nullptr;
        ASSERT_TRUE(m_store.GetCameraList(&head, 2, 4));
        paths.clear();
        for (CAMERA_INFO* c = head; c != nullptr; c = c->next) paths.push_back(c->TRANSPATH);
        order = Ids(head);
    };
    std::vector<int32_t> order;
    std::vector<std::string> paths;
    vellum::fault::IniRead().Arm(LONG_MAX, 0);
    scenario(order, paths);
    const long calls = vellum::fault::IniRead().Calls();
    ASSERT_EQ(order, (std::vector<int32_t>{3, 2, 1}));
    // Read once per call: the deposit, the order of the list, the rows of the list.
    ASSERT_EQ(calls, 3);

    for (long k = 0; k < calls; ++k) {
        SCOPED_TRACE("settings read " + std::to_string(k));
        m_store.UnInit();
        ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
        vellum::fault::IniRead().Arm(k, 1);
        scenario(order, paths);
        // The order setting read as its default gives ascending SEQINDEX.
        EXPECT_TRUE(order == (std::vector<int32_t>{3, 2, 1}) ||
                    order == (std::vector<int32_t>{1, 2, 3}));
        // A path written plain reads back plain either way; one read without the
        // setting comes back as stored. Never anything else.
        for (std::size_t i = 0; i < order.size(); ++i) {
            const std::string plain = "rtsp://10.0.0.1/" + std::to_string(order[i]);
            if (paths[i] == plain) continue;
            store_test::Peek peek(m_store.DbPath());
            const auto stored = peek.Column("SELECT TRANSPATH FROM CAMERAINFO WHERE ID = " +
                                            std::to_string(order[i]));
            ASSERT_EQ(stored.size(), 1u);
            EXPECT_EQ(paths[i], stored[0].substr(0, 127));
        }
    }
    std::cout << "[ figures  ] settings-read faults injected: " << calls << "\n";
}

TEST_F(PlatformFaults, EachCodePageConversionFailsInTurnAndGivesAnEmptyName) {
    auto scenario = [this](std::vector<std::string>& names) {
        StoreCameras({Camera(1), Camera(2)});
        std::vector<IO_INFO> ios = {Io(1, 7)};
        std::vector<DEVICE_INFO> devices = {Device(1)};
        std::vector<TALK_CHANNEL> talks = {Talk(1, 7)};
        ASSERT_TRUE(m_store.SetIOList(Linked(ios)) && m_store.SetDeviceList(Linked(devices)) &&
                    m_store.SetTalkChannelList(Linked(talks)));
        CAMERA_INFO camera, other;
        IO_INFO io;
        DEVICE_INFO device;
        TALK_CHANNEL talk;
        ASSERT_TRUE(m_store.GetCameraByID(&camera, 1) && m_store.GetCameraByID(&other, 2) &&
                    m_store.GetIOByID(&io, 1) && m_store.GetDeviceByID(&device, 1) &&
                    m_store.GetTalkChannelByID(&talk, 1));
        names = {camera.CAMNAME, other.CAMNAME, io.IONAME, device.DEVNAME, talk.TALKNAME};
    };
    std::vector<std::string> clean;
    vellum::fault::CodePage().Arm(LONG_MAX, 0);
    scenario(clean);
    const long calls = vellum::fault::CodePage().Calls();
    ASSERT_EQ(calls, 10) << "five names written, five read";

    for (long k = 0; k < calls; ++k) {
        SCOPED_TRACE("conversion " + std::to_string(k));
        m_store.UnInit();
        ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
        vellum::fault::CodePage().Arm(k, 1);
        std::vector<std::string> names;
        scenario(names);
        int emptied = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == clean[i]) continue;
            EXPECT_EQ(names[i], "");
            ++emptied;
        }
        EXPECT_EQ(emptied, 1) << "exactly the name whose conversion failed";
    }
    std::cout << "[ figures  ] code-page faults injected: " << calls << "\n";
}

}  // namespace
