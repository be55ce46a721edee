// Camera queries: a cell's list in either order, the single look-ups, the lists by
// identifiers and by index codes, and the privilege checks.
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::Ids;
using chan_test::SetText;
using CameraQueries = chan_test::TablesTest;

// Ties by ascending ID either way; the order is asked for at each call.
TEST_F(CameraQueries, ACellListHoldsItsTypeAndCellInTheOrderOfTheSettingAtEachCall) {
    ASSERT_TRUE(m_t.StoreCameras({Camera(10, 7, 2, 3), Camera(11, 7, 2, 1), Camera(13, 7, 2, 2),
                                  Camera(12, 7, 2, 2), Camera(1, 7, 1), Camera(2, 8, 2)}));
    CAMERA_INFO* head = nullptr;
    for (bool descending : {false, true, false}) {
        m_t.settings.descending = descending;
        ASSERT_TRUE(m_t.cameras.GetCameraList(&head, 2, 7));
        EXPECT_EQ(Ids(head), descending ? (std::vector<int32_t>{10, 12, 13, 11})
                                        : (std::vector<int32_t>{11, 12, 13, 10}));
    }
    EXPECT_FALSE(m_t.cameras.GetCameraList(&head, 2, 9));
    EXPECT_EQ(head, nullptr);
}

// Matrix codes compare as decimal text: 12 finds "12", not "012". A miss writes nothing.
TEST_F(CameraQueries, AMatrixCodeIsComparedAsDecimalText) {
    std::vector<CAMERA_INFO> cameras = {Camera(2), Camera(1), Camera(3)};
    SetText(cameras[0].MATRIXCODE, "012");
    SetText(cameras[1].MATRIXCODE, "12");
    SetText(cameras[2].MATRIXCODE, "0");
    ASSERT_TRUE(m_t.StoreCameras(cameras));
    CAMERA_INFO read;
    for (const auto& [code, id] : {std::pair{12, 1}, {0, 3}}) {
        ASSERT_TRUE(m_t.cameras.GetCameraByMatrixCode(&read, code));
        EXPECT_EQ(read.ID, id);
    }
    read = chan_test::Sentinel<CAMERA_INFO>();
    EXPECT_FALSE(m_t.cameras.GetCameraByID(&read, 4));
    EXPECT_FALSE(m_t.cameras.GetCameraByMatrixCode(&read, 13));
    EXPECT_TRUE(chan_test::IsUntouched(read));
}

// Pieces are read as atoi does (out-of-range numbers saturate), empty pieces are
// skipped, and a repeated ID yields its record again.
TEST_F(CameraQueries, ListsByIdsReadEachPieceAsAtoiDoes) {
    ASSERT_TRUE(
        m_t.StoreCameras({Camera(0), Camera(5), Camera(7), Camera(-3), Camera(2147483647)}));
    const std::pair<const char*, std::vector<int32_t>> cases[] = {
        {"5,x,7", {5, 0, 7}},   {" 7abc,-3, +5", {7, -3, 5}},
        {",,5,,7,5,", {5, 7, 5}}, {"99999999999999999999", {2147483647}},
        {",,,", {}},            {"", {}},
        {"1,2", {}},
    };
    for (const auto& [ids, expected] : cases) {
        CAMERA_INFO* head = nullptr;
        EXPECT_EQ(m_t.cameras.GetCameraListByIDs(&head, ids), !expected.empty()) << ids;
        EXPECT_EQ(Ids(head), expected) << ids;
    }
}

// Pieces are not trimmed; a code too long for the field, and one whose query cannot
// open, name no camera. Only the one found by a query is noted as not found.
TEST_F(CameraQueries, ListsByIndexCodesNameEachCodeNotFoundFollowedByAComma) {
    CAMERA_INFO q = Camera(1);
    SetText(q.INDEXCODE, std::string(63, 'q'));
    ASSERT_TRUE(m_t.StoreCameras({q, Camera(2)}));
    const std::string codes = "P," + std::string(64, 'q') + "," + std::string(63, 'q') + ",R";
    const std::pair<std::string, std::string> cases[] = {
        {codes, "P," + std::string(64, 'q') + ",R,"}, {"A,,B, C", "A,B, C,"}, {"", ""}};
    CAMERA_INFO* head = nullptr;
    for (const auto& [list, notFound] : cases) {
        std::string missing = "left over";
        EXPECT_EQ(m_t.cameras.GetCameraListByIndexCodes(&head, list.c_str(), &missing),
                  list == codes);
        EXPECT_EQ(Ids(head), list == codes ? std::vector<int32_t>{1} : std::vector<int32_t>{});
        EXPECT_EQ(missing, notFound);
    }
    vellum::fault::Storage().Arm(0, 1, "BeginRead");
    std::string missing;
    ASSERT_TRUE(m_t.cameras.GetCameraListByIndexCodes(&head, "CAM-1,CAM-2,CAM-3", &missing));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{2});
    EXPECT_EQ(missing, "CAM-3,");
}

// The text is searched for the type's code: "1,3" holds 1 and 3, a "0" anywhere grants
// every type, "-1" holds both the unmapped types' -1 and 1. An unknown camera is
// allowed nothing. (By index code the same: ChannelTables.)
TEST_F(CameraQueries, ATypeIsAllowedWhenThePrivilegeTextHoldsItsCode) {
    const std::pair<int, const char*> mapped[] = {{10001, "1"}, {10003, "5"}, {10004, "3"},
                                                  {10005, "4"}, {10006, "2"}, {10015, "6"}};
    std::vector<CAMERA_INFO> cameras = {Camera(1), Camera(2), Camera(3)};
    SetText(cameras[1].PRIVILEGE, "7,10");
    SetText(cameras[2].PRIVILEGE, "-1");
    for (const auto& [type, code] : mapped) {
        cameras.push_back(Camera(type));
        SetText(cameras.back().PRIVILEGE, code);
    }
    ASSERT_TRUE(m_t.StoreCameras(cameras));
    // {type, camera, allowed}
    std::vector<std::tuple<int, int32_t, bool>> cases = {
        {10004, 1, true},  {10001, 1, true}, {10003, 1, false}, {10002, 1, false},
        {10002, 2, true},  {10003, 2, true}, {10002, 3, true},  {10001, 3, true},
        {10003, 3, false}, {10001, 99, false}};
    for (const auto& granted : mapped)
        for (const auto& type : mapped)
            cases.emplace_back(type.first, granted.first, granted.first == type.first);
    for (const auto& [type, camera, expected] : cases) {
        bool allowed = !expected;
        ASSERT_TRUE(m_t.cameras.CheckCameraPrivilegeByID(type, camera, &allowed));
        EXPECT_EQ(allowed, expected) << type << " on camera " << camera;
    }
}

}  // namespace
