// A null pointer is refused: the slot answers false (or does nothing), what was stored stays.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "chan_test_support.h"

namespace {

using org_test::Zeroed;

// One record of each kind with identifier 1 (a camera's matrix code is 1001), so that
// a lookup that ignored its null argument would find something to write.
class NullArguments : public chan_test::ChannelTest {
protected:
    void SetUp() override {
        ChannelTest::SetUp();
        auto cell = org_test::Cell(1, 0, "c1");
        auto keyed = Zeroed<KEYED_INFO>();
        auto org = chan_test::Org(1, 0, 0);
        keyed.key = 1;
        m_store.SetCellList(&cell);
        m_store.SetKeyedInfoList(&keyed);
        m_store.SetUserOrgStatList(&org);
        auto camera = chan_test::Camera(1);
        auto io = chan_test::Io(1, 7);
        auto device = chan_test::Device(1);
        auto talk = chan_test::Talk(1, 7);
        ASSERT_TRUE(m_store.SetCameraList(&camera, 0) && m_store.SetIOList(&io) &&
                    m_store.SetDeviceList(&device) && m_store.SetTalkChannelList(&talk));
    }
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
    EXPECT_REFUSED(GetCameraList(nullptr, 2, 7));
    EXPECT_REFUSED(GetCameraByID(nullptr, 1));
    EXPECT_REFUSED(CheckCameraPrivilegeByID(0, 1, nullptr));
    EXPECT_REFUSED(CheckCameraPrivilegeByIndexCode(0, "CAM-1", nullptr));
    EXPECT_REFUSED(CheckCameraPrivilegeByIndexCode(0, nullptr, &allowed));
    EXPECT_FALSE(allowed) << "a refused code grants nothing";
    EXPECT_REFUSED(GetCameraListByIDs(nullptr, "1"));
    EXPECT_REFUSED(GetCameraListByIDs(&cameras, nullptr));
    EXPECT_REFUSED(GetCameraByIndexCode(nullptr, "CAM-1"));
    EXPECT_REFUSED(GetCameraByIndexCode(&camera, nullptr));
    EXPECT_REFUSED(GetCameraListByIndexCodes(nullptr, "CAM-1", &notFound));
    EXPECT_REFUSED(GetCameraListByIndexCodes(&cameras, nullptr, &notFound));
    EXPECT_REFUSED(GetCameraListByIndexCodes(&cameras, "CAM-1", nullptr));
    EXPECT_REFUSED(GetCameraByMatrixCode(nullptr, 1001));
    EXPECT_REFUSED(SetIOList(nullptr));
    EXPECT_REFUSED(GetIOList(nullptr, 7));
    EXPECT_REFUSED(GetIOByID(nullptr, 1));
    EXPECT_REFUSED(GetIOByIndexCode(nullptr, "IO-1"));
    EXPECT_REFUSED(GetIOByIndexCode(&io, nullptr));
    EXPECT_REFUSED(SetDeviceList(nullptr));
    EXPECT_REFUSED(GetDeviceByID(nullptr, 1));
    EXPECT_REFUSED(GetDeviceByIndexCode(nullptr, "DEV-1"));
    EXPECT_REFUSED(GetDeviceByIndexCode(&device, nullptr));
    EXPECT_REFUSED(SetTalkChannelList(nullptr));
    EXPECT_REFUSED(GetTalkChannelList(nullptr, 7));
    EXPECT_REFUSED(GetTalkChannelByID(nullptr, 1));
    EXPECT_REFUSED(GetTalkChannelByIndexCode(nullptr, "TALK-1"));
    EXPECT_REFUSED(GetTalkChannelByIndexCode(&talk, nullptr));
    EXPECT_REFUSED(GetUserOrgStat(1, nullptr, &count));
    EXPECT_REFUSED(GetUserOrgStat(1, &count, nullptr));
    ASSERT_TRUE(m_store.GetCameraByID(&camera, 1));
    EXPECT_STREQ(camera.INDEXCODE, "CAM-1");
}

// A new instance's context blocks are zero and it has no level; each block comes back
// whole, and neither a null buffer nor the other slots without a result harm it. The
// level count and host value are seen in FuzzFindings and through the exported tables.
TEST_F(NullArguments, SlotsWithoutAResultIgnoreANullPointerAndKeepWhatWasStored) {
    using namespace store_test;
    EXPECT_EQ(m_store.GetMaxLevel(), -1);
    EXPECT_EQ(Blocks(m_store),
              Padded(std::string(kInstanceBlock, '\0'), std::string(kTransientBlock, '\0')));
    const std::string instance = Filled(kInstanceBlock, 31);
    const std::string transient = Filled(kTransientBlock, 17);
    m_store.SetInstanceContext(instance.data());
    m_store.SetTransientContext(transient.data());
    m_store.GetInstanceContext(nullptr);
    m_store.SetInstanceContext(nullptr);
    m_store.GetTransientContext(nullptr);
    m_store.SetTransientContext(nullptr);
    m_store.DeleteStoreRes(nullptr, 0);
    m_store.UpdateCameraStatus(nullptr);
    EXPECT_EQ(Blocks(m_store), Padded(instance, transient));
    int online = -1, total = -1;
    ASSERT_TRUE(m_store.GetUserOrgStat(1, &online, &total));
    EXPECT_EQ(online + total, 0);
}

}  // namespace
