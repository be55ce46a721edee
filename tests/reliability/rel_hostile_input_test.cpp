// Input a client may hand over on a bad day: index codes holding quotes, SQL and
// format directives, bytes the host code page cannot hold, 5,000-character codes,
// identifier lists of 100,000 entries, cyclic cell and folder trees, the extreme
// identifiers, a million status changes, and deposits repeated a thousand times. Each
// gets a defined answer; the sanitizer build adds: no invalid access, no leak.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "rel_test_support.h"

namespace {

using rel_test::Camera;
using rel_test::CameraIds;
using rel_test::Cell;
using rel_test::Device;
using rel_test::Folder;
using rel_test::Io;
using rel_test::IsUntouched;
using rel_test::Linked;
using rel_test::Org;
using rel_test::Range;
using rel_test::Sentinel;
using rel_test::SetText;
using rel_test::TakeList;
using rel_test::Talk;

// Codes that would change a statement, a format or a conversion if they were ever
// treated as anything but bytes. None holds a comma (a separator in code lists).
const std::vector<std::string> kHostileCodes = {
    "it's",
    "x' OR '1'='1",
    "'; DROP TABLE CAMERAINFO; --",
    "\"quoted\" \\ back",
    "%s%n%x%p%99999d",
    "\xff\xfe\xc3(\xe2\x82",  // not UTF-8, the C locale's code page
    "tab\there\nline",
    std::string(63, '\''),
};

class HostileInput : public chan_test::ChannelTest {
protected:
    long TableRows(const std::string& table) {
        store_test::Peek peek(m_store.DbPath());
        return peek.Count(table);
    }
};

TEST_F(HostileInput, QuotedSqlAndFormatCodesAreStoredAndFoundExactly) {
    std::vector<CAMERA_INFO> cameras;
    std::vector<IO_INFO> ios;
    std::vector<DEVICE_INFO> devices;
    std::vector<TALK_CHANNEL> talks;
    std::vector<CELL_INFO> cells = {Cell(1, 0, "root")};
    std::vector<STORE_RES> resources;
    for (std::size_t i = 0; i < kHostileCodes.size(); ++i) {
        const int32_t id = static_cast<int32_t>(i) + 1;
        const std::string& code = kHostileCodes[i];
        cameras.push_back(Camera(id, 4));
        SetText(cameras.back().INDEXCODE, code);
        SetText(cameras.back().CAMNAME, code);
        ios.push_back(Io(id, 4, code));
        devices.push_back(Device(id, code));
        talks.push_back(Talk(id, 4, code));
        cells.push_back(Cell(id + 1, 1, code));
        resources.push_back(org_test::Resource(5, code, 1, 0, id));
    }
    ASSERT_TRUE(m_store.SetCameraList(Linked(cameras), 0));
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    m_store.SetCellList(Linked(cells));
    ASSERT_TRUE(m_store.SetStoreResList(Linked(resources)));

    for (std::size_t i = 0; i < kHostileCodes.size(); ++i) {
        const int32_t id = static_cast<int32_t>(i) + 1;
        const char* code = kHostileCodes[i].c_str();
        SCOPED_TRACE(kHostileCodes[i]);
        CAMERA_INFO camera;
        ASSERT_TRUE(m_store.GetCameraByIndexCode(&camera, code));
        EXPECT_EQ(camera.ID, id);
        EXPECT_EQ(std::string(camera.INDEXCODE), kHostileCodes[i]);
        bool allowed = false;
        EXPECT_TRUE(m_store.CheckCameraPrivilegeByIndexCode(10004, code, &allowed));
        EXPECT_TRUE(allowed);
        IO_INFO io;
        ASSERT_TRUE(m_store.GetIOByIndexCode(&io, code));
        EXPECT_EQ(io.ID, id);
        DEVICE_INFO device;
        ASSERT_TRUE(m_store.GetDeviceByIndexCode(&device, code));
        EXPECT_EQ(device.ID, id);
        TALK_CHANNEL talk;
        ASSERT_TRUE(m_store.GetTalkChannelByIndexCode(&talk, code));
        EXPECT_EQ(talk.ID, id);
        STORE_RES resource;
        ASSERT_TRUE(m_store.GetStoreResByIndexCode(&resource, code, 1));
        EXPECT_EQ(resource.resId, id);
        EXPECT_TRUE(m_store.IsStoreResExist(code, 1));
        // A near miss finds nothing: no pattern, no case folding, no trimming.
        const std::string nearMiss = kHostileCodes[i] + " ";
        EXPECT_FALSE(m_store.GetCameraByIndexCode(&camera, nearMiss.c_str()));
        EXPECT_FALSE(m_store.GetDeviceByIndexCode(&device, nearMiss.c_str()));
        EXPECT_FALSE(m_store.IsStoreResExist(nearMiss.c_str(), 1));
    }
    std::string codes;
    for (const std::string& code : kHostileCodes) codes += code + ",";
    CAMERA_INFO* head = nullptr;
    std::string notFound;
    ASSERT_TRUE(m_store.GetCameraListByIndexCodes(&head, codes.c_str(), &notFound));
    EXPECT_EQ(CameraIds(head), Range(1, static_cast<int32_t>(kHostileCodes.size())));
    EXPECT_EQ(notFound, "");

    // The tables hold exactly what was deposited: nothing dropped, deleted or added.
    EXPECT_EQ(TableRows("CAMERAINFO"), static_cast<long>(kHostileCodes.size()));
    EXPECT_EQ(TableRows("DEVICEINFO"), static_cast<long>(kHostileCodes.size()));
    EXPECT_EQ(TableRows("IOINFO"), static_cast<long>(kHostileCodes.size()));
    EXPECT_EQ(TableRows("TALKCHANNEL"), static_cast<long>(kHostileCodes.size()));
    // Each camera's log line carries its name as text, directives and all.
    std::size_t logged = 0;
    for (const store_test::LogLine& line : m_log.Lines())
        if (line.text.find("<setData to sqliteDb %s%n%x%p%99999d,%s%n%x%p%99999d,5,4>") !=
            std::string::npos)
            ++logged;
    EXPECT_EQ(logged, 1u);

    for (const std::string& code : kHostileCodes) m_store.DeleteStoreRes(code.c_str(), 5);
    EXPECT_EQ(m_store.GetStoreResCount(5), 0);
}

TEST_F(HostileInput, BytesTheCodePageCannotHoldAreReplacedOneByOneInNames) {
    std::vector<CAMERA_INFO> cameras = {Camera(1)};
    SetText(cameras[0].CAMNAME,
            "ab\xff\xfe"
            "cd\xc3");
    std::vector<TALK_CHANNEL> talks = {Talk(1, 7, "T-1")};
    SetText(talks[0].TALKNAME, "\x80name");
    ASSERT_TRUE(m_store.SetCameraList(Linked(cameras), 0));
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    CAMERA_INFO camera;
    ASSERT_TRUE(m_store.GetCameraByID(&camera, 1));
    TALK_CHANNEL talk;
    ASSERT_TRUE(m_store.GetTalkChannelByID(&talk, 1));
#if defined(_WIN32)
    // The host code page there is 1252, which holds every one of these bytes.
    EXPECT_STREQ(camera.CAMNAME, cameras[0].CAMNAME);
    EXPECT_STREQ(talk.TALKNAME, talks[0].TALKNAME);
#else
    EXPECT_EQ(std::string(camera.CAMNAME),
              "ab\xEF\xBF\xBD\xEF\xBF\xBD"
              "cd\xEF\xBF\xBD");
    EXPECT_EQ(std::string(talk.TALKNAME), "\xEF\xBF\xBDname");
#endif
}

TEST_F(HostileInput, FiveThousandCharacterTextsMatchNothingAndChangeNothing) {
    const std::string longCode(5000, 'k');
    const std::string longDigits(5000, '9');
    std::vector<CAMERA_INFO> cameras = {Camera(INT_MAX, 4)};
    ASSERT_TRUE(m_store.SetCameraList(Linked(cameras), 0));
    std::vector<STORE_FOLDER> folders = {Folder(1, 0, "folder")};
    m_store.SetStoreFolderList(Linked(folders));

    CAMERA_INFO camera = Sentinel<CAMERA_INFO>();
    EXPECT_FALSE(m_store.GetCameraByIndexCode(&camera, longCode.c_str()));
    bool allowed = true;
    EXPECT_FALSE(m_store.CheckCameraPrivilegeByIndexCode(10001, longCode.c_str(), &allowed));
    EXPECT_FALSE(allowed);
    IO_INFO io = Sentinel<IO_INFO>();
    EXPECT_FALSE(m_store.GetIOByIndexCode(&io, longCode.c_str()));
    DEVICE_INFO device = Sentinel<DEVICE_INFO>();
    EXPECT_FALSE(m_store.GetDeviceByIndexCode(&device, longCode.c_str()));
    TALK_CHANNEL talk = Sentinel<TALK_CHANNEL>();
    EXPECT_FALSE(m_store.GetTalkChannelByIndexCode(&talk, longCode.c_str()));
    STORE_RES resource = Sentinel<STORE_RES>();
    EXPECT_FALSE(m_store.GetStoreResByIndexCode(&resource, longCode.c_str(), 1));
    EXPECT_TRUE(IsUntouched(camera) && IsUntouched(io) && IsUntouched(device) &&
                IsUntouched(talk) && IsUntouched(resource));
    EXPECT_FALSE(m_store.IsStoreResExist(longCode.c_str(), 1));
    EXPECT_FALSE(m_store.IsStoreFolderNameExist(longCode.c_str(), 2));
    m_store.DeleteStoreRes(longCode.c_str(), 1);

    CAMERA_INFO* head = nullptr;
    std::string notFound;
    EXPECT_FALSE(m_store.GetCameraListByIndexCodes(&head, longCode.c_str(), &notFound));
    EXPECT_EQ(notFound, longCode + ",");
    // Digits beyond the int range saturate, as a bounded atoi.
    ASSERT_TRUE(m_store.GetCameraListByIDs(&head, longDigits.c_str()));
    EXPECT_EQ(CameraIds(head), std::vector<int32_t>{INT_MAX});

    // A rename keeps 258 characters; the name then exists under that length only.
    ASSERT_TRUE(m_store.RenameStoreFolder(longCode.c_str(), 1));
    STORE_FOLDER folder;
    ASSERT_TRUE(m_store.GetStoreFolderByID(&folder, 1));
    EXPECT_EQ(std::string(folder.name), longCode.substr(0, 258));
    EXPECT_TRUE(m_store.IsStoreFolderNameExist(longCode.substr(0, 258).c_str(), 2));
}

TEST_F(HostileInput, IdentifierListsOfAHundredThousandEntriesAnswerInOrder) {
    constexpr int kEntries = 100000;
    std::vector<CAMERA_INFO> cameras;
    for (int32_t id = 1; id <= 1000; ++id) cameras.push_back(Camera(id * 100, 4));
    ASSERT_TRUE(m_store.SetCameraList(Linked(cameras), 0));

    std::string ids, codes;
    std::vector<int32_t> expected;
    for (int32_t id = 1; id <= kEntries; ++id) {
        ids += std::to_string(id) + ",";
        codes += "CAM-" + std::to_string(id) + ",";
        if (id % 100 == 0) expected.push_back(id);
    }
    CAMERA_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetCameraListByIDs(&head, ids.c_str()));
    EXPECT_EQ(CameraIds(head), expected);
    std::string notFound;
    ASSERT_TRUE(m_store.GetCameraListByIndexCodes(&head, codes.c_str(), &notFound));
    EXPECT_EQ(CameraIds(head), expected);
    EXPECT_EQ(std::count(notFound.begin(), notFound.end(), ','), kEntries - 1000);

    std::vector<CAMERA_STATUS> changes;
    for (int32_t id = 1; id <= kEntries; ++id) changes.push_back({id, 1, nullptr});
    m_store.UpdateCameraStatus(Linked(changes));
    CAMERA_INFO camera;
    ASSERT_TRUE(m_store.GetCameraByID(&camera, 50000));
    EXPECT_TRUE(camera.STATUS);

    std::vector<CAMERA_INFO> gone(20000);
    for (int32_t i = 0; i < 20000; ++i) {
        std::memset(static_cast<void*>(&gone[i]), 0, sizeof gone[i]);
        gone[i].ID = (i + 1) * 5;  // every camera among them, in 67 batches
    }
    EXPECT_TRUE(m_store.DeleteCameras(Linked(gone)));
    EXPECT_FALSE(m_store.GetCameraList(&head, 2, 4));
}

TEST_F(HostileInput, CyclicCellAndFolderTreesEndEveryWalk) {
    // A cycle of type-1 cells with no root, a cycle of type-2 cells holding a camera
    // with statistics on every cell, and a cell that is its own parent.
    std::vector<CELL_INFO> cells = {Cell(1, 3, "c1"),       Cell(2, 1, "c2"),
                                    Cell(3, 2, "c3"),       Cell(10, 11, "s10", 2),
                                    Cell(11, 10, "s11", 2), Cell(20, 20, "self", 2)};
    m_store.SetCellList(Linked(cells));
    std::vector<USER_ORG> stats = {Org(10, 1, 0), Org(11, 1, 0), Org(1, 1, 0), Org(20, 1, 0)};
    m_store.SetUserOrgStatList(Linked(stats));
    std::vector<CAMERA_INFO> cameras = {Camera(1, 10), Camera(2, 20)};
    ASSERT_TRUE(m_store.SetCameraList(Linked(cameras), 0));

    EXPECT_EQ(m_store.GetCellLevel(1, 1), -1);
    EXPECT_EQ(m_store.GetCellLevel(10, 2), -1);
    EXPECT_EQ(m_store.GetCellLevel(20, 2), -1);
    std::vector<CAMERA_STATUS> changes = {{1, 1, nullptr}, {2, 1, nullptr}};
    m_store.UpdateCameraStatus(Linked(changes));
    m_store.RecountUserOrgStat(10, 2);
    m_store.RecountUserOrgStat(1, 1);
    m_store.RecountUserOrgStat(20, 2);
    for (int32_t orgId : {10, 11, 1, 20}) {
        int online = -1, total = -1;
        ASSERT_TRUE(m_store.GetUserOrgStat(orgId, &online, &total));
        EXPECT_TRUE(online >= 0 && online <= total) << orgId << ": " << online << "/" << total;
    }
    CELL_INFO* children = nullptr;
    ASSERT_TRUE(m_store.GetChildCellList(&children, 1, 1));
    EXPECT_EQ(TakeList(children).size(), 1u);

    std::vector<STORE_FOLDER> folders = {Folder(1, 3, "a"), Folder(2, 1, "b"), Folder(3, 2, "c"),
                                         Folder(4, 4, "self"), Folder(5, 0, "kept")};
    m_store.SetStoreFolderList(Linked(folders));
    m_store.DeleteStoreFolder(2);
    m_store.DeleteStoreFolder(4);
    STORE_FOLDER folder;
    for (int32_t id : {1, 2, 3, 4}) EXPECT_FALSE(m_store.GetStoreFolderByID(&folder, id)) << id;
    EXPECT_TRUE(m_store.GetStoreFolderByID(&folder, 5));
}

TEST_F(HostileInput, ExtremeIdentifiersAreOrdinaryKeys) {
    std::vector<CELL_INFO> cells = {Cell(INT_MIN, 0, "min"), Cell(INT_MAX, INT_MIN, "max"),
                                    Cell(-1, 0, "minus-one", 2, 0, INT_MAX)};
    m_store.SetCellList(Linked(cells));
    EXPECT_EQ(m_store.GetCellLevel(-1, 2), 2);
    std::vector<CAMERA_INFO> cameras = {Camera(INT_MIN, -1), Camera(INT_MAX, -1), Camera(0, -1)};
    SetText(cameras[0].MATRIXCODE, "-2147483648");
    ASSERT_TRUE(m_store.SetCameraList(Linked(cameras), 0));
    std::vector<USER_ORG> stats = {Org(-1, INT_MAX, INT_MAX), Org(INT_MAX, INT_MAX, INT_MAX),
                                   Org(INT_MIN, INT_MIN, INT_MIN)};
    m_store.SetUserOrgStatList(Linked(stats));

    CAMERA_INFO camera;
    ASSERT_TRUE(m_store.GetCameraByID(&camera, INT_MIN));
    EXPECT_EQ(camera.ID, INT_MIN);
    ASSERT_TRUE(m_store.GetCameraByMatrixCode(&camera, INT_MIN));
    EXPECT_EQ(camera.ID, INT_MIN);
    CAMERA_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetCameraListByIDs(
        &head, "-2147483648,2147483647,99999999999,-99999999999, 0,+0,-0"));
    EXPECT_EQ(CameraIds(head), (std::vector<int32_t>{INT_MIN, INT_MAX, INT_MAX, INT_MIN, 0, 0, 0}));
    ASSERT_TRUE(m_store.GetCameraList(&head, 2, -1));
    EXPECT_EQ(CameraIds(head), (std::vector<int32_t>{INT_MIN, 0, INT_MAX}));

    // Counts at the ends of the range move without overflowing.
    std::vector<CAMERA_STATUS> changes = {{INT_MIN, INT_MIN, nullptr}, {INT_MAX, 1, nullptr}};
    m_store.UpdateCameraStatus(Linked(changes));
    m_store.RecountUserOrgStat(-1, 2);
    m_store.RecountUserOrgStat(INT_MIN, 1);
    int online = 0, total = 0;
    ASSERT_TRUE(m_store.GetUserOrgStat(-1, &online, &total));
    EXPECT_EQ(total, 3);
    EXPECT_EQ(online, 1) << "only STATUS 1 counts in a recount";

    m_store.SetLevelCount(INT_MIN);
    EXPECT_EQ(m_store.GetMaxLevel(), INT_MAX);
    std::vector<STORE_FOLDER> folders = {Folder(INT_MIN, INT_MAX, "a"),
                                         Folder(INT_MAX, INT_MIN, "b")};
    m_store.SetStoreFolderList(Linked(folders));
    m_store.DeleteStoreFolder(INT_MIN);
    STORE_FOLDER folder;
    EXPECT_FALSE(m_store.GetStoreFolderByID(&folder, INT_MAX));
    KEYED_INFO keyed;
    std::memset(&keyed, 0, sizeof keyed);
    keyed.key = INT_MIN;
    m_store.SetKeyedInfoList(&keyed);
    EXPECT_TRUE(m_store.GetKeyedInfo(&keyed, INT_MIN));
    EXPECT_FALSE(m_store.GetKeyedInfo(&keyed, INT_MAX));
}

TEST_F(HostileInput, AMillionStatusChangesRollUpToTheCameraTablesCounts) {
    constexpr int kChanges = 1000000;
    std::vector<CELL_INFO> cells = {Cell(1, 0, "root"), Cell(2, 0, "hub", 2, 0, 1),
                                    Cell(3, 2, "leaf", 2)};
    m_store.SetCellList(Linked(cells));
    std::vector<CAMERA_INFO> cameras;
    for (int32_t id = 1; id <= 1000; ++id) cameras.push_back(Camera(id, 3));
    ASSERT_TRUE(m_store.SetCameraList(Linked(cameras), 0));
    std::vector<USER_ORG> stats = {Org(3, 1000, 0), Org(2, 1000, 0)};
    m_store.SetUserOrgStatList(Linked(stats));

    // Each camera is switched many times; the last change of camera c is online when
    // c is odd. Most identifiers name no camera.
    std::vector<CAMERA_STATUS> changes(kChanges);
    for (int i = 0; i < kChanges; ++i) {
        const int32_t id = i % 5000 + 1;
        const bool last = i >= kChanges - 5000;
        changes[i] = {id, last ? id % 2 : (i / 5000) % 2, nullptr};
    }
    m_store.UpdateCameraStatus(Linked(changes));
    int online = -1, total = -1;
    ASSERT_TRUE(m_store.GetUserOrgStat(2, &online, &total));
    EXPECT_EQ(online, 500);
    m_store.RecountUserOrgStat(3, 2);
    ASSERT_TRUE(m_store.GetUserOrgStat(2, &online, &total));
    EXPECT_EQ(online, 500);
    EXPECT_EQ(total, 1000);
}

TEST_F(HostileInput, DepositsRepeatedAThousandTimesKeepOneCopyOrAppendAsDocumented) {
    std::vector<CAMERA_INFO> cameras = {Camera(1, 4), Camera(2, 4)};
    std::vector<TALK_CHANNEL> talks = {Talk(1, 4, "T-1")};
    std::vector<IO_INFO> ios = {Io(1, 4, "IO-1")};
    std::vector<DEVICE_INFO> devices = {Device(1, "DEV-1")};
    std::vector<CELL_INFO> cells = {Cell(1, 0, "root"), Cell(2, 1, "child")};
    std::vector<STORE_RES> resources = {org_test::Resource(5, "R1")};
    std::vector<USER_ORG> orgs = {Org(1, 0, 0, 3)};
    std::vector<CUSTOM_VIEW> views(1);
    std::memset(&views[0], 0, sizeof views[0]);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(m_store.SetCameraList(Linked(cameras), 0));
        ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
        ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
        ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
        m_store.SetCellList(Linked(cells));
        ASSERT_TRUE(m_store.SetStoreResList(Linked(resources)));
        m_store.SetUserOrgList(Linked(orgs));
        m_store.SetCustomViewList(Linked(views));
    }
    EXPECT_EQ(TableRows("CAMERAINFO"), 2);
    EXPECT_EQ(TableRows("TALKCHANNEL"), 1);
    EXPECT_EQ(TableRows("IOINFO"), 1);
    EXPECT_EQ(TableRows("DEVICEINFO"), 1);
    CELL_INFO* children = nullptr;
    ASSERT_TRUE(m_store.GetChildCellList(&children, 1, 1));
    EXPECT_EQ(TakeList(children).size(), 1u);
    EXPECT_EQ(m_store.GetStoreResCount(5), 1);
    // The appending deposits hold every copy, and list them all.
    USER_ORG* orgList = nullptr;
    ASSERT_TRUE(m_store.GetUserOrgList(&orgList, 3));
    EXPECT_EQ(TakeList(orgList).size(), 1000u);
    CUSTOM_VIEW* viewList = nullptr;
    ASSERT_TRUE(m_store.GetCustomViewList(&viewList));
    EXPECT_EQ(TakeList(viewList).size(), 1000u);
}

}  // namespace
