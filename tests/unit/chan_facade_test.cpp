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
// by descending SEQINDEX; no file means neither.
TEST_F(ChannelFacade, TheSettingsFileBesideTheModuleReachesTheCameraTable) {
    const char* const both = "[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n";
    const struct {
        const char* content;
        bool set;
    } cases[] = {{nullptr, false},
                 {both, true},
                 {"[Tvwall]\nVersion=6730\n[ResTree]\ncamera_index_sort=2\n", false},
                 {"[ResTree]\ncamera_index_sort=0\n", false},
                 {nullptr, false}};
    const ModuleSettings settings;
    for (const auto& c : cases) {
        std::unique_ptr<ConfigFile> file;
        if (c.content != nullptr) file = std::make_unique<ConfigFile>(c.content);
        EXPECT_EQ(settings.TransPathEnciphered(), c.set) << (c.content ? c.content : "no file");
        EXPECT_EQ(settings.CamerasByDescendingSeqIndex(), c.set) << (c.content ? c.content : "");
    }
    ConfigFile file(both);
    StoreCameras({Camera(1, 7, 2, 1), Camera(2, 7, 2, 2)});
    CAMERA_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetCameraList(&head, 2, 7));
    EXPECT_STREQ(head->TRANSPATH, "rtsp://10.0.0.1/2");
    EXPECT_EQ(chan_test::Ids(head), (std::vector<int32_t>{2, 1}));
    const std::string stored = store_test::Peek(m_store.DbPath())
                                   .Column("SELECT TRANSPATH FROM CAMERAINFO WHERE ID = 2")[0];
    EXPECT_EQ(stored.find("10.0.0.1"), std::string::npos);
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
