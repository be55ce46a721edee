// A null pointer where a slot expects a record, a list head, a text or a result is
// refused: the slot answers false (or does nothing) instead of dereferencing it, and
// what was stored stays.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "tests/TempDir.h"

namespace {

using org_test::Zeroed;

template <class Record>
Record Channel() {
    auto record = Zeroed<Record>();
    record.ID = 1;
    std::strcpy(record.INDEXCODE, "c1");
    return record;
}

// One record of each kind with identifier 1, code "c1" and (for cameras) matrix code 1,
// so that a lookup that ignored its null argument would find something to write.
class NullArguments : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
        auto cell = org_test::Cell(1, 0, "c1");
        m_store.SetCellList(&cell);
        auto keyed = Zeroed<KEYED_INFO>();
        keyed.key = 1;
        m_store.SetKeyedInfoList(&keyed);
        auto org = Zeroed<USER_ORG>();
        org.orgId = 1;
        m_store.SetUserOrgStatList(&org);
        auto camera = Channel<CAMERA_INFO>();
        std::strcpy(camera.MATRIXCODE, "1");
        ASSERT_TRUE(m_store.SetCameraList(&camera, 0));
        auto io = Channel<IO_INFO>();
        ASSERT_TRUE(m_store.SetIOList(&io));
        auto device = Channel<DEVICE_INFO>();
        ASSERT_TRUE(m_store.SetDeviceList(&device));
        auto talk = Channel<TALK_CHANNEL>();
        ASSERT_TRUE(m_store.SetTalkChannelList(&talk));
    }
    void TearDown() override { m_store.UnInit(); }

    vellum_test::TempDir m_dir;
    CDataOper m_store;
};

// Each call passes one of its pointers null.
#define EXPECT_REFUSED(call) EXPECT_FALSE(m_store.call) << #call

TEST_F(NullArguments, EverySlotAnswersFalseInsteadOfDereferencingANullPointer) {
    CAMERA_INFO* cameras = nullptr;
    auto camera = Zeroed<CAMERA_INFO>();
    auto io = Zeroed<IO_INFO>();
    auto device = Zeroed<DEVICE_INFO>();
    auto talk = Zeroed<TALK_CHANNEL>();
    std::string notFound;
    bool allowed = true;
    int count = 0;
    EXPECT_REFUSED(GetKeyedInfo(nullptr, 1));
    EXPECT_REFUSED(GetChildCellList(nullptr, 0, 1));
    EXPECT_REFUSED(GetCellInfo(nullptr, 1, 1));
    EXPECT_REFUSED(GetUserOrgList(nullptr, 0));
    EXPECT_REFUSED(IsStoreFolderNameExist(nullptr, 0));
    EXPECT_REFUSED(GetStoreFolderList(nullptr, 0));
    EXPECT_REFUSED(GetStoreFolderByID(nullptr, 1));
    EXPECT_REFUSED(RenameStoreFolder(nullptr, 1));
    EXPECT_REFUSED(SetStoreResList(nullptr));
    EXPECT_REFUSED(GetStoreResByIndexCode(nullptr, "c1", 0));
    EXPECT_REFUSED(GetStoreResList(nullptr, 0));
    EXPECT_REFUSED(IsStoreResExist(nullptr, 0));
    EXPECT_REFUSED(GetCustomViewList(nullptr));
    EXPECT_REFUSED(GetCustomViewOrgList(nullptr, 1));
    EXPECT_REFUSED(GetCustomViewRes(nullptr, 1, 1));
    EXPECT_REFUSED(GetCustomViewResList(nullptr, 1));
    EXPECT_REFUSED(GetCrowdFolderByID(1, nullptr));
    EXPECT_REFUSED(GetCrowdResList(1, nullptr));
    EXPECT_REFUSED(GetCrowdFolderListByRes(0, 1, nullptr));
    EXPECT_REFUSED(DeleteCameras(nullptr));
    EXPECT_REFUSED(SetCameraList(nullptr, 0));
    EXPECT_REFUSED(GetCameraList(nullptr, 0, 0));
    EXPECT_REFUSED(GetCameraByID(nullptr, 1));
    EXPECT_REFUSED(CheckCameraPrivilegeByID(0, 1, nullptr));
    EXPECT_REFUSED(CheckCameraPrivilegeByIndexCode(0, "c1", nullptr));
    EXPECT_REFUSED(CheckCameraPrivilegeByIndexCode(0, nullptr, &allowed));
    EXPECT_FALSE(allowed) << "a refused code grants nothing";
    EXPECT_REFUSED(GetCameraListByIDs(nullptr, "1"));
    EXPECT_REFUSED(GetCameraListByIDs(&cameras, nullptr));
    EXPECT_REFUSED(GetCameraByIndexCode(nullptr, "c1"));
    EXPECT_REFUSED(GetCameraByIndexCode(&camera, nullptr));
    EXPECT_REFUSED(GetCameraListByIndexCodes(nullptr, "c1", &notFound));
    EXPECT_REFUSED(GetCameraListByIndexCodes(&cameras, nullptr, &notFound));
    EXPECT_REFUSED(GetCameraListByIndexCodes(&cameras, "c1", nullptr));
    EXPECT_REFUSED(GetCameraByMatrixCode(nullptr, 1));
    EXPECT_REFUSED(SetIOList(nullptr));
    EXPECT_REFUSED(GetIOList(nullptr, 0));
    EXPECT_REFUSED(GetIOByID(nullptr, 1));
    EXPECT_REFUSED(GetIOByIndexCode(nullptr, "c1"));
    EXPECT_REFUSED(GetIOByIndexCode(&io, nullptr));
    EXPECT_REFUSED(SetDeviceList(nullptr));
    EXPECT_REFUSED(GetDeviceByID(nullptr, 1));
    EXPECT_REFUSED(GetDeviceByIndexCode(nullptr, "c1"));
    EXPECT_REFUSED(GetDeviceByIndexCode(&device, nullptr));
    EXPECT_REFUSED(SetTalkChannelList(nullptr));
    EXPECT_REFUSED(GetTalkChannelList(nullptr, 0));
    EXPECT_REFUSED(GetTalkChannelByID(nullptr, 1));
    EXPECT_REFUSED(GetTalkChannelByIndexCode(nullptr, "c1"));
    EXPECT_REFUSED(GetTalkChannelByIndexCode(&talk, nullptr));
    EXPECT_REFUSED(GetUserOrgStat(1, nullptr, &count));
    EXPECT_REFUSED(GetUserOrgStat(1, &count, nullptr));
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
