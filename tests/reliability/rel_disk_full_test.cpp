// The scratch file's disk filling up in the middle of a deposit (SQLite's page limit on
// the instance's connection): the module keeps answering, the deposits report the
// failure, and the instance is whole again after ClearAll and after UnInit and Init.
#include <gtest/gtest.h>

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::Device;
using chan_test::Ids;
using chan_test::Linked;
using chan_test::Range;

// Rows of any channel table that a freshly made file has no room for without growing.
constexpr int32_t kMoreThanTheFreePages = 1600;

template <class Make>
auto Records(int32_t first, int32_t count, Make make) {
    std::vector<decltype(make(0))> records;
    for (int32_t id : Range(first, count)) records.push_back(make(id));
    return records;
}

std::vector<CAMERA_INFO> Cameras(int32_t first, int32_t count) {
    return Records(first, count, [](int32_t id) { return Camera(id, 7); });
}

std::vector<TALK_CHANNEL> Talks(int32_t first, int32_t count, int32_t cellId) {
    return Records(first, count, [cellId](int32_t id) { return chan_test::Talk(id, cellId); });
}

using DiskFull = chan_test::ChannelTest;

// The camera, IO and device deposits also report a list not stored on an instance never
// initialised or uninitialised.
TEST_F(DiskFull, DepositsReportItOtherCallsKeepAnsweringAndClearAllOrANewInitMakeRoom) {
    std::vector<CAMERA_INFO> cameras = Cameras(1, kMoreThanTheFreePages);
    std::vector<CAMERA_INFO> more = Cameras(5000, kMoreThanTheFreePages);
    auto ios = Records(1, kMoreThanTheFreePages, [](int32_t id) { return chan_test::Io(id, 7); });
    auto devices = Records(1, kMoreThanTheFreePages, [](int32_t id) { return Device(id); });
    const auto refusesEveryDeposit = [&](CDataOper& store, const char* state) {
        EXPECT_FALSE(store.SetCameraList(Linked(more), 0)) << state;
        EXPECT_FALSE(store.SetIOList(Linked(ios))) << state;
        EXPECT_FALSE(store.SetDeviceList(Linked(devices))) << state;
    };
    // Every listed talk channel of the cell reads back by its id too.
    const auto readableTalks = [this](int32_t cellId) {
        TALK_CHANNEL* head = nullptr;
        m_store.GetTalkChannelList(&head, cellId);
        const std::vector<int32_t> ids = Ids(head);
        TALK_CHANNEL talk;
        for (int32_t id : ids) EXPECT_TRUE(m_store.GetTalkChannelByID(&talk, id)) << id;
        return ids;
    };
    const auto cameraList = [this] {
        CAMERA_INFO* head = nullptr;
        m_store.GetCameraList(&head, 2, 7);
        return Ids(head);
    };
    CDataOper neverInitialised;
    refusesEveryDeposit(neverInitialised, "never initialised");
    StoreCameras(cameras);
    m_store.SetScratchPageLimit(1);  // the file cannot grow from now on
    refusesEveryDeposit(m_store, "full disk");
    std::vector<TALK_CHANNEL> refused = Talks(1, kMoreThanTheFreePages, 5);
    EXPECT_FALSE(m_store.SetTalkChannelList(Linked(refused)));

    const std::vector<int32_t> listed = cameraList();
    ASSERT_GE(listed.size(), cameras.size());
    EXPECT_EQ(std::vector<int32_t>(listed.begin(), listed.begin() + kMoreThanTheFreePages),
              Range(1, kMoreThanTheFreePages));
    CAMERA_INFO camera;
    for (int32_t id : listed) EXPECT_TRUE(m_store.GetCameraByID(&camera, id)) << id;
    // A status change rewrites rows in place; it needs no new page.
    CAMERA_STATUS change = {2, 1, nullptr};
    m_store.UpdateCameraStatus(&change);
    ASSERT_TRUE(m_store.GetCameraByID(&camera, 2));
    EXPECT_TRUE(camera.STATUS);
    std::vector<CAMERA_INFO> gone = {Camera(1)};
    EXPECT_TRUE(m_store.DeleteCameras(Linked(gone)));
    EXPECT_FALSE(m_store.GetCameraByID(&camera, 1));
    // SQLite rolls the whole transaction back on a full disk; the rows after that
    // point are written one by one until the file is full again. Whatever stays is
    // whole and readable, and the caller has been told the list was not written.
    const std::vector<int32_t> before = readableTalks(5);
    EXPECT_LT(before.size(), refused.size());
    for (int32_t id : before) EXPECT_TRUE(id >= 1 && id <= kMoreThanTheFreePages) << id;

    m_store.ClearAll();  // the camera rows free their pages; the limit stays
    std::vector<TALK_CHANNEL> talks = Talks(5000, 100, 6);
    EXPECT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    EXPECT_EQ(readableTalks(6), Range(5000, 100));
    EXPECT_EQ(readableTalks(5), before) << "ClearAll keeps the talk channels";
    std::vector<CAMERA_INFO> again = Cameras(1, 3);
    EXPECT_TRUE(m_store.SetCameraList(Linked(again), 0));
    EXPECT_EQ(cameraList(), Range(1, 3));

    m_store.UnInit();
    EXPECT_FALSE(store_test::Exists(m_store.DbPath()));
    refusesEveryDeposit(m_store, "after UnInit");
    ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
    EXPECT_TRUE(m_store.SetTalkChannelList(Linked(refused)));
    EXPECT_EQ(readableTalks(5), Range(1, kMoreThanTheFreePages));
    EXPECT_TRUE(m_store.SetCameraList(Linked(cameras), 0));
    EXPECT_EQ(cameraList(), Range(1, kMoreThanTheFreePages));
}

}  // namespace
