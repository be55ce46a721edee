// A null pointer where a slot expects a record, a list head, a text or a result is
// refused: the slot answers false (or does nothing) instead of dereferencing it, and
// what was stored stays.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "tests/TempDir.h"

namespace {

using org_test::Zeroed;

// One record of each kind with identifier 1, code "c1" and (for cameras) matrix code 1,
// so that a lookup that ignored its null argument would find something to write.
class NullArguments : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
        auto cell = Zeroed<CELL_INFO>();
        cell.id = 1;
        cell.cellType = 1;
        std::strcpy(cell.indexCode, "c1");
        m_store.SetCellList(&cell);
        auto keyed = Zeroed<KEYED_INFO>();
        keyed.key = 1;
        m_store.SetKeyedInfoList(&keyed);
        auto org = Zeroed<USER_ORG>();
        org.orgId = 1;
        m_store.SetUserOrgStatList(&org);
        auto camera = Zeroed<CAMERA_INFO>();
        camera.ID = 1;
        std::strcpy(camera.INDEXCODE, "c1");
        std::strcpy(camera.MATRIXCODE, "1");
        ASSERT_TRUE(m_store.SetCameraList(&camera, 0));
        auto io = Zeroed<IO_INFO>();
        io.ID = 1;
        std::strcpy(io.INDEXCODE, "c1");
        ASSERT_TRUE(m_store.SetIOList(&io));
        auto device = Zeroed<DEVICE_INFO>();
        device.ID = 1;
        std::strcpy(device.INDEXCODE, "c1");
        ASSERT_TRUE(m_store.SetDeviceList(&device));
        auto talk = Zeroed<TALK_CHANNEL>();
        talk.ID = 1;
        std::strcpy(talk.INDEXCODE, "c1");
        ASSERT_TRUE(m_store.SetTalkChannelList(&talk));
    }
    void TearDown() override { m_store.UnInit(); }

    vellum_test::TempDir m_dir;
    CDataOper m_store;
};

TEST_F(NullArguments, EverySlotAnswersFalseInsteadOfDereferencingANullPointer) {
    CAMERA_INFO* cameras = nullptr;
    auto camera = Zeroed<CAMERA_INFO>();
    auto io = Zeroed<IO_INFO>();
    auto device = Zeroed<DEVICE_INFO>();
    auto talk = Zeroed<TALK_CHANNEL>();
    std::string notFound;
    bool allowed = false;
    int count = 0;
    const struct {
        const char* call;
        std::function<bool(CDataOper&)> run;
    } cases[] = {
        {"GetKeyedInfo", [](CDataOper& s) { return s.GetKeyedInfo(nullptr, 1); }},
        {"GetChildCellList", [](CDataOper& s) { return s.GetChildCellList(nullptr, 0, 1); }},
        {"GetCellInfo", [](CDataOper& s) { return s.GetCellInfo(nullptr, 1, 1); }},
        {"GetUserOrgList", [](CDataOper& s) { return s.GetUserOrgList(nullptr, 0); }},
        {"IsStoreFolderNameExist",
         [](CDataOper& s) { return s.IsStoreFolderNameExist(nullptr, 0); }},
        {"GetStoreFolderList", [](CDataOper& s) { return s.GetStoreFolderList(nullptr, 0); }},
        {"GetStoreFolderByID", [](CDataOper& s) { return s.GetStoreFolderByID(nullptr, 1); }},
        {"RenameStoreFolder", [](CDataOper& s) { return s.RenameStoreFolder(nullptr, 1); }},
        {"SetStoreResList", [](CDataOper& s) { return s.SetStoreResList(nullptr); }},
        {"GetStoreResByIndexCode out",
         [](CDataOper& s) { return s.GetStoreResByIndexCode(nullptr, "c1", 0); }},
        {"GetStoreResList", [](CDataOper& s) { return s.GetStoreResList(nullptr, 0); }},
        {"IsStoreResExist", [](CDataOper& s) { return s.IsStoreResExist(nullptr, 0); }},
        {"GetCustomViewList", [](CDataOper& s) { return s.GetCustomViewList(nullptr); }},
        {"GetCustomViewOrgList", [](CDataOper& s) { return s.GetCustomViewOrgList(nullptr, 1); }},
        {"GetCustomViewRes", [](CDataOper& s) { return s.GetCustomViewRes(nullptr, 1, 1); }},
        {"GetCustomViewResList", [](CDataOper& s) { return s.GetCustomViewResList(nullptr, 1); }},
        {"GetCrowdFolderByID", [](CDataOper& s) { return s.GetCrowdFolderByID(1, nullptr); }},
        {"GetCrowdResList", [](CDataOper& s) { return s.GetCrowdResList(1, nullptr); }},
        {"GetCrowdFolderListByRes",
         [](CDataOper& s) { return s.GetCrowdFolderListByRes(0, 1, nullptr); }},
        {"DeleteCameras", [](CDataOper& s) { return s.DeleteCameras(nullptr); }},
        {"SetCameraList", [](CDataOper& s) { return s.SetCameraList(nullptr, 0); }},
        {"GetCameraList", [](CDataOper& s) { return s.GetCameraList(nullptr, 0, 0); }},
        {"GetCameraByID", [](CDataOper& s) { return s.GetCameraByID(nullptr, 1); }},
        {"CheckCameraPrivilegeByID allowed",
         [](CDataOper& s) { return s.CheckCameraPrivilegeByID(0, 1, nullptr); }},
        {"CheckCameraPrivilegeByIndexCode allowed",
         [](CDataOper& s) { return s.CheckCameraPrivilegeByIndexCode(0, "c1", nullptr); }},
        {"CheckCameraPrivilegeByIndexCode code",
         [&](CDataOper& s) { return s.CheckCameraPrivilegeByIndexCode(0, nullptr, &allowed); }},
        {"GetCameraListByIDs out", [](CDataOper& s) { return s.GetCameraListByIDs(nullptr, "1"); }},
        {"GetCameraListByIDs ids",
         [&](CDataOper& s) { return s.GetCameraListByIDs(&cameras, nullptr); }},
        {"GetCameraByIndexCode out",
         [](CDataOper& s) { return s.GetCameraByIndexCode(nullptr, "c1"); }},
        {"GetCameraByIndexCode code",
         [&](CDataOper& s) { return s.GetCameraByIndexCode(&camera, nullptr); }},
        {"GetCameraListByIndexCodes out",
         [&](CDataOper& s) { return s.GetCameraListByIndexCodes(nullptr, "c1", &notFound); }},
        {"GetCameraListByIndexCodes codes",
         [&](CDataOper& s) { return s.GetCameraListByIndexCodes(&cameras, nullptr, &notFound); }},
        {"GetCameraListByIndexCodes notFound",
         [&](CDataOper& s) { return s.GetCameraListByIndexCodes(&cameras, "c1", nullptr); }},
        {"GetCameraByMatrixCode", [](CDataOper& s) { return s.GetCameraByMatrixCode(nullptr, 1); }},
        {"SetIOList", [](CDataOper& s) { return s.SetIOList(nullptr); }},
        {"GetIOList", [](CDataOper& s) { return s.GetIOList(nullptr, 0); }},
        {"GetIOByID", [](CDataOper& s) { return s.GetIOByID(nullptr, 1); }},
        {"GetIOByIndexCode out", [](CDataOper& s) { return s.GetIOByIndexCode(nullptr, "c1"); }},
        {"GetIOByIndexCode code", [&](CDataOper& s) { return s.GetIOByIndexCode(&io, nullptr); }},
        {"SetDeviceList", [](CDataOper& s) { return s.SetDeviceList(nullptr); }},
        {"GetDeviceByID", [](CDataOper& s) { return s.GetDeviceByID(nullptr, 1); }},
        {"GetDeviceByIndexCode out",
         [](CDataOper& s) { return s.GetDeviceByIndexCode(nullptr, "c1"); }},
        {"GetDeviceByIndexCode code",
         [&](CDataOper& s) { return s.GetDeviceByIndexCode(&device, nullptr); }},
        {"SetTalkChannelList", [](CDataOper& s) { return s.SetTalkChannelList(nullptr); }},
        {"GetTalkChannelList", [](CDataOper& s) { return s.GetTalkChannelList(nullptr, 0); }},
        {"GetTalkChannelByID", [](CDataOper& s) { return s.GetTalkChannelByID(nullptr, 1); }},
        {"GetTalkChannelByIndexCode out",
         [](CDataOper& s) { return s.GetTalkChannelByIndexCode(nullptr, "c1"); }},
        {"GetTalkChannelByIndexCode code",
         [&](CDataOper& s) { return s.GetTalkChannelByIndexCode(&talk, nullptr); }},
        {"GetUserOrgStat online",
         [&](CDataOper& s) { return s.GetUserOrgStat(1, nullptr, &count); }},
        {"GetUserOrgStat total",
         [&](CDataOper& s) { return s.GetUserOrgStat(1, &count, nullptr); }},
    };
    for (const auto& c : cases) EXPECT_FALSE(c.run(m_store)) << c.call;
    ASSERT_TRUE(m_store.GetCameraByID(&camera, 1));
    EXPECT_STREQ(camera.INDEXCODE, "c1");
}

TEST_F(NullArguments, SlotsWithoutAResultIgnoreANullPointerAndKeepWhatWasStored) {
    unsigned char block[788];
    std::memset(block, 7, sizeof block);
    m_store.SetInstanceContext(block);
    m_store.SetTransientContext(block);
    m_store.GetInstanceContext(nullptr);
    m_store.SetInstanceContext(nullptr);
    m_store.GetTransientContext(nullptr);
    m_store.SetTransientContext(nullptr);
    m_store.DeleteStoreRes(nullptr, 0);
    m_store.UpdateCameraStatus(nullptr);
    unsigned char read[788] = {};
    m_store.GetInstanceContext(read);
    EXPECT_EQ(std::memcmp(read, block, sizeof read), 0);
    std::memset(read, 0, sizeof read);
    m_store.GetTransientContext(read);
    EXPECT_EQ(std::memcmp(read, block, 528), 0);
    int online = -1, total = -1;
    ASSERT_TRUE(m_store.GetUserOrgStat(1, &online, &total));
    EXPECT_EQ(online + total, 0);
}

}  // namespace
