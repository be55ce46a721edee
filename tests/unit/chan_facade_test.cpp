// The channel components as CDataOper joins them: its settings file and key reach the
// camera table, and what ClearAll and UnInit empty of the organisation records.
#include <memory>
#include <string>
#include <vector>

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::ConfigFile;
using chan_test::Linked;
using chan_test::Org;
using ChannelFacade = chan_test::ChannelTest;

// Read afresh at each ask: only Version 6731 enciphers, only camera_index_sort 1 lists
// by descending SEQINDEX; no file means neither. The instance's reader and key reach
// the camera table (its order setting: PlatformFaults in rel_platform_faults).
TEST_F(ChannelFacade, TheSettingsFileBesideTheModuleReachesTheCameraTable) {
    const char* const both = "[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n";
    const ModuleSettings settings;
    for (const char* content :
         {"", both, "[Tvwall]\nVersion=6730\n[ResTree]\ncamera_index_sort=2\n", ""}) {
        std::unique_ptr<ConfigFile> file;
        if (*content != '\0') file = std::make_unique<ConfigFile>(content);
        EXPECT_EQ(settings.TransPathEnciphered(), content == both) << content;
        EXPECT_EQ(settings.CamerasByDescendingSeqIndex(), content == both) << content;
    }
    ConfigFile file(both);
    StoreCameras({Camera(2)});
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByID(&read, 2));
    EXPECT_STREQ(read.TRANSPATH, "rtsp://10.0.0.1/2");
    EXPECT_EQ(store_test::Peek(m_store.DbPath())
                  .Column("SELECT TRANSPATH FROM CAMERAINFO")[0]
                  .find("10.0.0.1"),
              std::string::npos);
}

TEST_F(ChannelFacade, ClearAllEmptiesTheUserOrgListAndNeitherEmptiesTheStatistics) {
    std::vector<USER_ORG> orgs = {Org(1, 6, 5)};
    m_store.SetUserOrgList(Linked(orgs));
    m_store.SetUserOrgStatList(Linked(orgs));
    m_store.ClearAll();
    USER_ORG* head = nullptr;
    EXPECT_FALSE(m_store.GetUserOrgList(&head, 0));
    m_store.UnInit();
    int online = 0, total = 0;
    ASSERT_TRUE(m_store.GetUserOrgStat(1, &online, &total));
    EXPECT_EQ(std::to_string(online) + "/" + std::to_string(total), "5/6");
    ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
}

}  // namespace
