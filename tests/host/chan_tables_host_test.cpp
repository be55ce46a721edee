// The channel tables through the loaded module, as the client uses them: each table
// written and queried, every list handed out freed through its list-freeing slot.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ModuleLoader.h"
#include "libs/xlog/xlog.h"

namespace {

template <class Record>
Record Zeroed() {
    Record record;
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    return record;
}

template <class Record>
Record* Linked(std::vector<Record>& records) {
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].next = i + 1 < records.size() ? &records[i + 1] : nullptr;
    return records.empty() ? nullptr : &records[0];
}

template <std::size_t N>
void Put(char (&field)[N], const std::string& text) {
    std::snprintf(field, N, "%s", text.c_str());
}

// The IDs of a handed-out list, read before the list is freed.
template <class Record>
std::vector<int> Ids(const Record* head) {
    std::vector<int> ids;
    for (const Record* r = head; r != nullptr; r = r->next) ids.push_back(r->ID);
    return ids;
}

CAMERA_INFO HostCamera(int id, int cellId, int seqIndex, const std::string& code) {
    CAMERA_INFO camera = Zeroed<CAMERA_INFO>();
    camera.ID = id;
    camera.CELLID = cellId;
    camera.CELLTYPE = 2;
    camera.SEQINDEX = seqIndex;
    Put(camera.INDEXCODE, code);
    Put(camera.CAMNAME, "cam " + code);
    Put(camera.MATRIXCODE, std::to_string(id * 10));
    Put(camera.PRIVILEGE, "1,3");
    Put(camera.TRANSPATH, "rtsp://host/" + code);
    return camera;
}

// DefCfg.ini beside the module would change the camera order; no test here writes one.
std::string ModuleConfigPath() {
    const std::string path = VELLUM_MODULE_PATH;
    return path.substr(0, path.rfind('/') + 1) + "DefCfg.ini";
}

void DropLine(int, const char*, const char*, void*) {}

// Camera writes log a line per camera; keep them off the test output.
class ChannelTablesThroughTheModule : public ::testing::Test {
protected:
    void SetUp() override {
        std::remove(ModuleConfigPath().c_str());
        xlog_set_sink(&DropLine, nullptr);
    }
    void TearDown() override { xlog_set_sink(nullptr, nullptr); }
    const InstanceFuncTable& Table() { return *Module().instances; }
};

TEST_F(ChannelTablesThroughTheModule, CamerasAreListedLookedUpAndDeleted) {
    HostInstance vellum;
    std::vector<CAMERA_INFO> cameras = {HostCamera(1, 7, 2, "A"), HostCamera(2, 7, 1, "B"),
                                        HostCamera(3, 7, 3, "C'x")};
    ASSERT_TRUE(vellum->SetCameraList(Linked(cameras), 0));

    CAMERA_INFO* list = nullptr;
    ASSERT_TRUE(vellum->GetCameraList(&list, 2, 7));
    EXPECT_EQ(Ids(list), (std::vector<int>{2, 1, 3}));
    Table().FreeCameraList(list);

    CAMERA_INFO one = Zeroed<CAMERA_INFO>();
    ASSERT_TRUE(vellum->GetCameraByID(&one, 2));
    EXPECT_STREQ(one.CAMNAME, "cam B");
    ASSERT_TRUE(vellum->GetCameraByIndexCode(&one, "C'x"));
    EXPECT_EQ(one.ID, 3);
    EXPECT_FALSE(vellum->GetCameraByIndexCode(&one, "x' OR '1'='1"));
    ASSERT_TRUE(vellum->GetCameraByMatrixCode(&one, 10));
    EXPECT_EQ(one.ID, 1);

    list = nullptr;
    ASSERT_TRUE(vellum->GetCameraListByIDs(&list, "3,x,1"));
    EXPECT_EQ(Ids(list), (std::vector<int>{3, 1}));
    Table().FreeCameraList(list);
    list = nullptr;
    std::string notFound;
    ASSERT_TRUE(vellum->GetCameraListByIndexCodes(&list, "P,B,R", &notFound));
    EXPECT_EQ(Ids(list), std::vector<int>{2});
    EXPECT_EQ(notFound, "P,R,");
    Table().FreeCameraList(list);

    bool allowed = false;
    ASSERT_TRUE(vellum->CheckCameraPrivilegeByID(10004, 1, &allowed));
    EXPECT_TRUE(allowed);
    ASSERT_TRUE(vellum->CheckCameraPrivilegeByIndexCode(10003, "A", &allowed));
    EXPECT_FALSE(allowed);
    allowed = true;
    EXPECT_FALSE(
        vellum->CheckCameraPrivilegeByIndexCode(10001, std::string(80, 'A').c_str(), &allowed));
    EXPECT_FALSE(allowed);

    std::vector<CAMERA_INFO> gone = {HostCamera(1, 0, 0, ""), HostCamera(3, 0, 0, "")};
    ASSERT_TRUE(vellum->DeleteCameras(Linked(gone)));
    list = nullptr;
    ASSERT_TRUE(vellum->GetCameraList(&list, 2, 7));
    EXPECT_EQ(Ids(list), std::vector<int>{2});
    Table().FreeCameraList(list);
}

TEST_F(ChannelTablesThroughTheModule, UserOrgListsAreHandedOutAndFreed) {
    HostInstance vellum;
    std::vector<USER_ORG> orgs(3, Zeroed<USER_ORG>());
    for (int i = 0; i < 3; ++i) {
        orgs[i].orgId = i + 1;
        orgs[i].listKey = i % 2;
    }
    vellum->SetUserOrgList(Linked(orgs));
    USER_ORG* list = nullptr;
    ASSERT_TRUE(vellum->GetUserOrgList(&list, 0));
    std::vector<int> ids;
    for (const USER_ORG* r = list; r != nullptr; r = r->next) ids.push_back(r->orgId);
    EXPECT_EQ(ids, (std::vector<int>{1, 3}));
    Table().FreeUserOrgList(list);
}

TEST_F(ChannelTablesThroughTheModule, IoChannelsOfTypeZeroAreListedAndFreed) {
    HostInstance vellum;
    std::vector<IO_INFO> ios(3, Zeroed<IO_INFO>());
    for (int i = 0; i < 3; ++i) {
        ios[i].ID = 3 - i;
        ios[i].CELLID = 4;
        ios[i].IOTYPE = i == 1 ? 1 : 0;
        Put(ios[i].INDEXCODE, "io" + std::to_string(3 - i));
        Put(ios[i].IONAME, "name");
    }
    ASSERT_TRUE(vellum->SetIOList(Linked(ios)));
    IO_INFO* list = nullptr;
    ASSERT_TRUE(vellum->GetIOList(&list, 4));
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 3}));
    Table().FreeIOInfoList(list);
    IO_INFO one = Zeroed<IO_INFO>();
    EXPECT_TRUE(vellum->GetIOByIndexCode(&one, "io3"));
    EXPECT_FALSE(vellum->GetIOByID(&one, 2));
}

TEST_F(ChannelTablesThroughTheModule, DevicesAreLookedUpByIdAndCode) {
    HostInstance vellum;
    std::vector<DEVICE_INFO> devices(1, Zeroed<DEVICE_INFO>());
    devices[0].ID = 8;
    devices[0].PORT = 8000;
    devices[0].DOMAINID = 2;
    devices[0].DEVTYPE = 5;
    Put(devices[0].INDEXCODE, "dev8");
    Put(devices[0].PASSWORD, "secret");
    ASSERT_TRUE(vellum->SetDeviceList(Linked(devices)));
    DEVICE_INFO one = Zeroed<DEVICE_INFO>();
    ASSERT_TRUE(vellum->GetDeviceByIndexCode(&one, "dev8"));
    EXPECT_EQ(one.DOMAINID, 2);
    EXPECT_EQ(one.DEVTYPE, 5);
    EXPECT_STREQ(one.PASSWORD, "secret");
    ASSERT_TRUE(vellum->GetDeviceByID(&one, 8));
    vellum->ClearAll();
    EXPECT_FALSE(vellum->GetDeviceByID(&one, 8));
}

TEST_F(ChannelTablesThroughTheModule, TalkChannelsAreListedAndFreedThroughEitherSlot) {
    HostInstance vellum;
    std::vector<TALK_CHANNEL> talks(2, Zeroed<TALK_CHANNEL>());
    for (int i = 0; i < 2; ++i) {
        talks[i].ID = 9 - i;
        talks[i].CHANNELNO = 3;
        talks[i].DEVID = 7;
        talks[i].CELLID = 4;
        Put(talks[i].INDEXCODE, "t" + std::to_string(i));
    }
    ASSERT_TRUE(vellum->SetTalkChannelList(Linked(talks)));
    vellum->ClearAll();  // talk channels stay
    TALK_CHANNEL* list = nullptr;
    ASSERT_TRUE(vellum->GetTalkChannelList(&list, 4));
    EXPECT_EQ(Ids(list), (std::vector<int>{8, 9}));
    EXPECT_EQ(list->CHANNELNO, 3);
    EXPECT_EQ(list->DEVID, 7);
    Table().FreeTalkChannelList(list);
    list = nullptr;
    ASSERT_TRUE(vellum->GetTalkChannelList(&list, 4));
    Table().FreeIOInfoList(reinterpret_cast<IO_INFO*>(list));
    TALK_CHANNEL one = Zeroed<TALK_CHANNEL>();
    EXPECT_TRUE(vellum->GetTalkChannelByIndexCode(&one, "t1"));
    EXPECT_EQ(one.ID, 8);
    EXPECT_TRUE(vellum->GetTalkChannelByID(&one, 9));
}

}  // namespace
