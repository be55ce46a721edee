// Camera queries: the cell list and its sort setting, the single look-ups, the lists by
// identifiers and by index codes, the privilege checks, and argument safety.
#include <string>
#include <utility>
#include <vector>

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::ChannelTest;
using chan_test::ConfigFile;
using chan_test::Linked;
using chan_test::SetText;
using chan_test::StorageCallCounter;
using chan_test::TakeList;

using CameraCellList = ChannelTest;

class CameraCellListSorting : public ChannelTest {
protected:
    void SetUp() override {
        ChannelTest::SetUp();
        // SEQINDEX 3, 1, 2, 2 with the tie stored in descending ID order.
        StoreCameras(
            {Camera(10, 7, 2, 3), Camera(11, 7, 2, 1), Camera(13, 7, 2, 2), Camera(12, 7, 2, 2)});
    }
    std::vector<int32_t> List() {
        CAMERA_INFO* head = nullptr;
        EXPECT_TRUE(m_store.GetCameraList(&head, 2, 7));
        return Ids(head);
    }
};

// Ascending SEQINDEX unless camera_index_sort is 1, then descending; ties by ascending
// ID either way. The setting is read afresh at each call.
TEST_F(CameraCellListSorting, FollowsTheSettingInForceAtEachCallWithIdBreakingTies) {
    const std::vector<int32_t> ascending = {11, 12, 13, 10};
    EXPECT_EQ(List(), ascending) << "no settings file";
    const std::pair<const char*, std::vector<int32_t>> settings[] = {
        {"1", {10, 12, 13, 11}}, {"2", ascending}, {"0", ascending}};
    for (const auto& [value, expected] : settings) {
        ConfigFile config(std::string("[ResTree]\ncamera_index_sort=") + value + "\n");
        EXPECT_EQ(List(), expected) << "camera_index_sort=" << value;
    }
    EXPECT_EQ(List(), ascending) << "the settings file removed again";
}

TEST_F(CameraCellList, BothCellTypeAndCellIdMustMatch) {
    StoreCameras({Camera(1, 7, 2), Camera(2, 7, 1), Camera(3, 8, 2)});
    CAMERA_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetCameraList(&head, 2, 7));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{1});
}

TEST_F(CameraCellList, AnEmptyCellGivesFalseAndLeavesTheHeadNull) {
    StoreCameras({Camera(1, 7, 2)});
    CAMERA_INFO* head = nullptr;
    EXPECT_FALSE(m_store.GetCameraList(&head, 2, 8));
    EXPECT_EQ(head, nullptr);
    EXPECT_FALSE(m_store.GetCameraList(nullptr, 2, 7));
}

using CameraLookup = ChannelTest;

TEST_F(CameraLookup, ByIndexCodeFindsTheFirstOfTwoCamerasSharingACode) {
    CAMERA_INFO a = Camera(2);
    CAMERA_INFO b = Camera(1);
    SetText(a.INDEXCODE, "shared");
    SetText(b.INDEXCODE, "shared");
    StoreCameras({a, b});
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByIndexCode(&read, "shared"));
    EXPECT_EQ(read.ID, 2);
    EXPECT_EQ(read.next, nullptr);
}

TEST_F(CameraLookup, ByMatrixCodeComparesTheNumberAsDecimalText) {
    CAMERA_INFO zero = Camera(1);
    SetText(zero.MATRIXCODE, "0");
    CAMERA_INFO padded = Camera(2);
    SetText(padded.MATRIXCODE, "012");
    CAMERA_INFO twelve = Camera(3);
    SetText(twelve.MATRIXCODE, "12");
    StoreCameras({zero, padded, twelve});
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByMatrixCode(&read, 0));
    EXPECT_EQ(read.ID, 1);
    ASSERT_TRUE(m_store.GetCameraByMatrixCode(&read, 12));
    EXPECT_EQ(read.ID, 3);
    EXPECT_FALSE(m_store.GetCameraByMatrixCode(&read, 13));
}

TEST_F(CameraLookup, AMissLeavesTheCallersRecordUntouched) {
    StoreCameras({Camera(1)});
    CAMERA_INFO read, before;
    std::memset(static_cast<void*>(&read), 0x5A, sizeof read);
    std::memcpy(&before, &read, sizeof read);
    EXPECT_FALSE(m_store.GetCameraByID(&read, 2));
    EXPECT_FALSE(m_store.GetCameraByIndexCode(&read, "CAM-2"));
    EXPECT_FALSE(m_store.GetCameraByMatrixCode(&read, 1002));
    EXPECT_EQ(std::memcmp(&read, &before, sizeof read), 0);
}

TEST_F(CameraLookup, ACodeTooLongForItsFieldMatchesNothing) {
    CAMERA_INFO camera = Camera(1);
    SetText(camera.INDEXCODE, std::string(63, 'c'));
    StoreCameras({camera});
    CAMERA_INFO read;
    EXPECT_TRUE(m_store.GetCameraByIndexCode(&read, std::string(63, 'c').c_str()));
    EXPECT_FALSE(m_store.GetCameraByIndexCode(&read, std::string(64, 'c').c_str()));
    EXPECT_FALSE(m_store.GetCameraByIndexCode(&read, std::string(5000, 'c').c_str()));

    // The privilege check takes codes up to 79 characters: longer than a field, they
    // name no camera and are allowed nothing; a longer one is refused.
    for (std::size_t length : {64, 79, 80}) {
        bool allowed = true;
        EXPECT_EQ(m_store.CheckCameraPrivilegeByIndexCode(10001, std::string(length, 'c').c_str(),
                                                          &allowed),
                  length <= 79)
            << length;
        EXPECT_FALSE(allowed) << length;
    }

    CAMERA_INFO* head = nullptr;
    std::string notFound;
    const std::string codes = std::string(64, 'c') + "," + std::string(63, 'c');
    ASSERT_TRUE(m_store.GetCameraListByIndexCodes(&head, codes.c_str(), &notFound));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{1});
    EXPECT_EQ(notFound, std::string(64, 'c') + ",");
}

TEST_F(CameraLookup, ANullTextArgumentFindsNothing) {
    StoreCameras({Camera(1)});
    CAMERA_INFO read;
    EXPECT_FALSE(m_store.GetCameraByIndexCode(&read, nullptr));
    bool allowed = true;
    EXPECT_FALSE(m_store.CheckCameraPrivilegeByIndexCode(10001, nullptr, &allowed));
    EXPECT_FALSE(allowed);
    CAMERA_INFO* head = nullptr;
    EXPECT_FALSE(m_store.GetCameraListByIDs(&head, nullptr));
    std::string notFound = "stale";
    EXPECT_FALSE(m_store.GetCameraListByIndexCodes(&head, nullptr, &notFound));
    EXPECT_EQ(notFound, "");
    EXPECT_EQ(head, nullptr);
    IO_INFO io;
    DEVICE_INFO device;
    TALK_CHANNEL talk;
    EXPECT_FALSE(m_store.GetIOByIndexCode(&io, nullptr));
    EXPECT_FALSE(m_store.GetDeviceByIndexCode(&device, nullptr));
    EXPECT_FALSE(m_store.GetTalkChannelByIndexCode(&talk, nullptr));
}

using CameraListByIds = ChannelTest;

TEST_F(CameraListByIds, PiecesAreReadAsAtoiDoes) {
    StoreCameras({Camera(0), Camera(5), Camera(7), Camera(-3)});
    CAMERA_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetCameraListByIDs(&head, "5,x,7"));
    EXPECT_EQ(Ids(head), (std::vector<int32_t>{5, 0, 7}));
    ASSERT_TRUE(m_store.GetCameraListByIDs(&head, " 7abc,-3, +5"));
    EXPECT_EQ(Ids(head), (std::vector<int32_t>{7, -3, 5}));
}

TEST_F(CameraListByIds, EmptyPiecesAreSkippedAndARepeatedIdYieldsTwoRecords) {
    StoreCameras({Camera(5), Camera(7)});
    CAMERA_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetCameraListByIDs(&head, ",,5,,7,5,"));
    EXPECT_EQ(Ids(head), (std::vector<int32_t>{5, 7, 5}));
}

TEST_F(CameraListByIds, CommasOnlyGiveFalseWithoutAnyQuery) {
    StoreCameras({Camera(0)});
    StorageCallCounter reads("BeginRead");
    CAMERA_INFO* head = nullptr;
    EXPECT_FALSE(m_store.GetCameraListByIDs(&head, ",,,"));
    EXPECT_FALSE(m_store.GetCameraListByIDs(&head, ""));
    EXPECT_EQ(reads.Calls(), 0);
    EXPECT_EQ(head, nullptr);
}

TEST_F(CameraListByIds, UnknownIdsGiveFalseAndOutOfRangeNumbersSaturate) {
    StoreCameras({Camera(2147483647)});
    CAMERA_INFO* head = nullptr;
    EXPECT_FALSE(m_store.GetCameraListByIDs(&head, "1,2"));
    ASSERT_TRUE(m_store.GetCameraListByIDs(&head, "99999999999999999999"));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{2147483647});
}

using CameraListByIndexCodes = ChannelTest;

TEST_F(CameraListByIndexCodes, CodesNotFoundAreListedEachFollowedByAComma) {
    CAMERA_INFO q = Camera(1);
    SetText(q.INDEXCODE, "Q");
    StoreCameras({q});
    CAMERA_INFO* head = nullptr;
    std::string notFound = "left over";
    ASSERT_TRUE(m_store.GetCameraListByIndexCodes(&head, "P,Q,R", &notFound));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{1});
    EXPECT_EQ(notFound, "P,R,");
}

TEST_F(CameraListByIndexCodes, NoCodeFoundGivesFalseWithEveryCodeListed) {
    StoreCameras({Camera(1)});
    CAMERA_INFO* head = nullptr;
    std::string notFound;
    EXPECT_FALSE(m_store.GetCameraListByIndexCodes(&head, "A,,B, C", &notFound));
    EXPECT_EQ(head, nullptr);
    EXPECT_EQ(notFound, "A,B, C,");  // pieces are not trimmed
}

TEST_F(CameraListByIndexCodes, ACodeWhoseQueryCannotOpenIsNotListed) {
    StoreCameras({Camera(2)});
    vellum::fault::Storage().Arm(0, 1, "BeginRead");
    CAMERA_INFO* head = nullptr;
    std::string notFound;
    ASSERT_TRUE(m_store.GetCameraListByIndexCodes(&head, "CAM-1,CAM-2,CAM-3", &notFound));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{2});
    EXPECT_EQ(notFound, "CAM-3,");
}

using CameraPrivilege = ChannelTest;

TEST_F(CameraPrivilege, ATypeIsAllowedWhenPrivilegeHoldsItsCode) {
    StoreCameras({Camera(1)});  // PRIVILEGE "1,3"
    bool allowed = false;
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(10004, 1, &allowed));  // code 3
    EXPECT_TRUE(allowed);
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(10001, 1, &allowed));  // code 1
    EXPECT_TRUE(allowed);
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(10003, 1, &allowed));  // code 5
    EXPECT_FALSE(allowed);
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(10002, 1, &allowed));  // unmapped: -1
    EXPECT_FALSE(allowed);
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByIndexCode(10004, "CAM-1", &allowed));
    EXPECT_TRUE(allowed);
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByIndexCode(10006, "CAM-1", &allowed));  // code 2
    EXPECT_FALSE(allowed);
}

TEST_F(CameraPrivilege, EachMappedTypeLooksForItsOwnCode) {
    const std::pair<int, const char*> table[] = {{10001, "1"}, {10003, "5"}, {10004, "3"},
                                                 {10005, "4"}, {10006, "2"}, {10015, "6"}};
    for (const auto& entry : table) {
        CAMERA_INFO camera = Camera(entry.first);
        SetText(camera.PRIVILEGE, entry.second);
        StoreCameras({camera});
    }
    for (const auto& granted : table) {
        for (const auto& type : table) {
            bool allowed = false;
            ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(type.first, granted.first, &allowed));
            EXPECT_EQ(allowed, granted.first == type.first) << granted.second << " " << type.first;
        }
    }
}

TEST_F(CameraPrivilege, AZeroAnywhereGrantsEveryType) {
    CAMERA_INFO zero = Camera(1);
    SetText(zero.PRIVILEGE, "7,10");
    CAMERA_INFO minusOne = Camera(2);
    SetText(minusOne.PRIVILEGE, "-1");
    StoreCameras({zero, minusOne});
    bool allowed = false;
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(10002, 1, &allowed));
    EXPECT_TRUE(allowed);
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(10002, 2, &allowed));
    EXPECT_TRUE(allowed);
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(10001, 2, &allowed));
    EXPECT_TRUE(allowed);  // "-1" holds the code 1 too
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(10003, 2, &allowed));
    EXPECT_FALSE(allowed);
}

TEST_F(CameraPrivilege, AnUnknownCameraIsAllowedNothing) {
    bool allowed = true;
    EXPECT_TRUE(m_store.CheckCameraPrivilegeByID(10001, 99, &allowed));
    EXPECT_FALSE(allowed);
    allowed = true;
    EXPECT_TRUE(m_store.CheckCameraPrivilegeByIndexCode(10001, "none", &allowed));
    EXPECT_FALSE(allowed);
}

}  // namespace
