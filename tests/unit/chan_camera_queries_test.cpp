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
using chan_test::Ids;
using chan_test::IsUntouched;
using chan_test::Sentinel;
using chan_test::SetText;

using CameraCellList = ChannelTest;

// Ascending SEQINDEX unless camera_index_sort is 1, then descending; ties by ascending
// ID either way. The setting is read afresh at each call.
TEST_F(CameraCellList, FollowsTheSettingInForceAtEachCallWithIdBreakingTies) {
    // SEQINDEX 3, 1, 2, 2 with the tie stored in descending ID order.
    StoreCameras(
        {Camera(10, 7, 2, 3), Camera(11, 7, 2, 1), Camera(13, 7, 2, 2), Camera(12, 7, 2, 2)});
    const auto list = [this] {
        CAMERA_INFO* head = nullptr;
        EXPECT_TRUE(m_store.GetCameraList(&head, 2, 7));
        return Ids(head);
    };
    const std::vector<int32_t> ascending = {11, 12, 13, 10};
    EXPECT_EQ(list(), ascending) << "no settings file";
    const std::pair<const char*, std::vector<int32_t>> settings[] = {
        {"1", {10, 12, 13, 11}}, {"2", ascending}, {"0", ascending}};
    for (const auto& [value, expected] : settings) {
        ConfigFile config(std::string("[ResTree]\ncamera_index_sort=") + value + "\n");
        EXPECT_EQ(list(), expected) << "camera_index_sort=" << value;
    }
    EXPECT_EQ(list(), ascending) << "the settings file removed again";
}

TEST_F(CameraCellList, BothCellTypeAndCellIdMustMatchAndAnEmptyCellGivesFalse) {
    StoreCameras({Camera(1, 7, 2), Camera(2, 7, 1), Camera(3, 8, 2)});
    CAMERA_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetCameraList(&head, 2, 7));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{1});
    EXPECT_FALSE(m_store.GetCameraList(&head, 2, 9));
    EXPECT_EQ(head, nullptr);
    EXPECT_FALSE(m_store.GetCameraList(nullptr, 2, 7));
}

using CameraLookup = ChannelTest;

TEST_F(CameraLookup, AHitIsTheFirstMatchingRowAndAMissLeavesTheRecordUntouched) {
    CAMERA_INFO a = Camera(2);
    CAMERA_INFO b = Camera(1);
    SetText(a.INDEXCODE, "shared");
    SetText(b.INDEXCODE, "shared");
    SetText(a.MATRIXCODE, "012");  // matrix codes compare as decimal text
    SetText(b.MATRIXCODE, "12");
    CAMERA_INFO zero = Camera(3);
    SetText(zero.MATRIXCODE, "0");
    StoreCameras({a, b, zero});
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByIndexCode(&read, "shared"));
    EXPECT_EQ(read.ID, 2);
    EXPECT_EQ(read.next, nullptr);
    ASSERT_TRUE(m_store.GetCameraByMatrixCode(&read, 12));
    EXPECT_EQ(read.ID, 1);
    ASSERT_TRUE(m_store.GetCameraByMatrixCode(&read, 0));
    EXPECT_EQ(read.ID, 3);

    read = Sentinel<CAMERA_INFO>();
    EXPECT_FALSE(m_store.GetCameraByID(&read, 4));
    EXPECT_FALSE(m_store.GetCameraByIndexCode(&read, "CAM-4"));
    EXPECT_FALSE(m_store.GetCameraByMatrixCode(&read, 13));
    EXPECT_TRUE(IsUntouched(read));
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

// Pieces are read as atoi does (out-of-range numbers saturate), empty pieces are
// skipped, and a repeated ID yields its record again.
TEST_F(CameraLookup, ListsByIdsReadEachPieceAsAtoiDoes) {
    StoreCameras({Camera(0), Camera(5), Camera(7), Camera(-3), Camera(2147483647)});
    const std::pair<const char*, std::vector<int32_t>> cases[] = {
        {"5,x,7", {5, 0, 7}},
        {" 7abc,-3, +5", {7, -3, 5}},
        {",,5,,7,5,", {5, 7, 5}},
        {"99999999999999999999", {2147483647}},
        {",,,", {}},
        {"", {}},
        {"1,2", {}},
    };
    for (const auto& [ids, expected] : cases) {
        CAMERA_INFO* head = nullptr;
        EXPECT_EQ(m_store.GetCameraListByIDs(&head, ids), !expected.empty()) << ids;
        EXPECT_EQ(Ids(head), expected) << ids;
    }
}

TEST_F(CameraLookup, ListsByIndexCodesNameEachCodeNotFoundFollowedByAComma) {
    CAMERA_INFO q = Camera(1);
    SetText(q.INDEXCODE, "Q");
    StoreCameras({q});
    CAMERA_INFO* head = nullptr;
    std::string notFound = "left over";
    ASSERT_TRUE(m_store.GetCameraListByIndexCodes(&head, "P,Q,R", &notFound));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{1});
    EXPECT_EQ(notFound, "P,R,");
    EXPECT_FALSE(m_store.GetCameraListByIndexCodes(&head, "A,,B, C", &notFound));
    EXPECT_EQ(head, nullptr);
    EXPECT_EQ(notFound, "A,B, C,");  // pieces are not trimmed
}

TEST_F(CameraLookup, ACodeWhoseQueryCannotOpenIsNotListed) {
    StoreCameras({Camera(2)});
    vellum::fault::Storage().Arm(0, 1, "BeginRead");
    CAMERA_INFO* head = nullptr;
    std::string notFound;
    ASSERT_TRUE(m_store.GetCameraListByIndexCodes(&head, "CAM-1,CAM-2,CAM-3", &notFound));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{2});
    EXPECT_EQ(notFound, "CAM-3,");
}

using CameraPrivilege = ChannelTest;

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

// The privilege text is searched for the type's code: "1,3" holds 1 and 3, a "0"
// anywhere grants every type, "-1" holds both the unmapped types' -1 and 1.
TEST_F(CameraPrivilege, ATypeIsAllowedWhenThePrivilegeTextHoldsItsCode) {
    const char* const privileges[] = {"1,3", "7,10", "-1"};
    for (int32_t id = 1; id <= 3; ++id) {
        CAMERA_INFO camera = Camera(id);
        SetText(camera.PRIVILEGE, privileges[id - 1]);
        StoreCameras({camera});
    }
    struct Case {
        int type;
        int32_t camera;
        bool allowed;
    };
    const Case cases[] = {{10004, 1, true},  {10001, 1, true}, {10003, 1, false},
                          {10002, 1, false}, {10002, 2, true}, {10003, 2, true},
                          {10002, 3, true},  {10001, 3, true}, {10003, 3, false}};
    for (const Case& c : cases) {
        bool allowed = !c.allowed;
        ASSERT_TRUE(m_store.CheckCameraPrivilegeByID(c.type, c.camera, &allowed));
        EXPECT_EQ(allowed, c.allowed) << c.type << " on camera " << c.camera;
    }
    bool allowed = false;
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByIndexCode(10004, "CAM-1", &allowed));
    EXPECT_TRUE(allowed);
    ASSERT_TRUE(m_store.CheckCameraPrivilegeByIndexCode(10006, "CAM-1", &allowed));
    EXPECT_FALSE(allowed);
    // An unknown camera is allowed nothing.
    allowed = true;
    EXPECT_TRUE(m_store.CheckCameraPrivilegeByID(10001, 99, &allowed));
    EXPECT_FALSE(allowed);
    allowed = true;
    EXPECT_TRUE(m_store.CheckCameraPrivilegeByIndexCode(10001, "none", &allowed));
    EXPECT_FALSE(allowed);
}

}  // namespace
