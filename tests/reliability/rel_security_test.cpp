// Security properties over whole sessions: no argument of the client's reaches SQL as
// text; device user names and passwords appear in no log line, failures included. The
// scratch file's privacy is checked by the storage and store scratch-file tests.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include "rel_sql_watch.h"
#endif
#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::Cell;
using chan_test::Ids;
using chan_test::Linked;
using chan_test::Org;
using chan_test::SetText;

// Markers no statement of the module's own contains: a text, and numbers.
constexpr char kMarker[] = "Zq9mark";
constexpr int32_t kId = 987654321;
constexpr int32_t kCellId = 87654321;
constexpr int32_t kMatrixCode = 76543210;
constexpr char kUserName[] = "u53r-Zq9name";
constexpr char kPassword[] = "pa55-Zq9word";

std::string Marked(const std::string& text) { return text + kMarker; }

// A device whose index code is `code` and whose credentials are the markers.
DEVICE_INFO Device(int32_t id, const std::string& code) {
    DEVICE_INFO device = chan_test::Device(id);
    SetText(device.INDEXCODE, code);
    SetText(device.USERNAME, kUserName);
    SetText(device.PASSWORD, kPassword);
    return device;
}

// Every operation that takes a text or an identifier, each given the markers, around
// deposits whose records hold them too. Reads and writes each a few times.
void MarkedSession(CDataOper& store) {
    std::vector<CELL_INFO> cells = {Cell(1, 0, Marked("root")), Cell(kCellId, 1, Marked("cell"))};
    store.SetCellList(Linked(cells));
    std::vector<CAMERA_INFO> cameras = {Camera(kId, kCellId), Camera(kId + 1, kCellId)};
    for (CAMERA_INFO& camera : cameras) {
        SetText(camera.INDEXCODE, Marked("c'"));
        SetText(camera.CAMNAME, Marked("name"));
        SetText(camera.MATRIXCODE, std::to_string(kMatrixCode));
        SetText(camera.PRIVILEGE, Marked("1,3"));
        SetText(camera.TRANSPATH, Marked("rtsp://"));
    }
    ASSERT_TRUE(store.SetCameraList(Linked(cameras), kId));
    std::vector<DEVICE_INFO> devices = {Device(kId, Marked("d'"))};
    ASSERT_TRUE(store.SetDeviceList(Linked(devices)));
    std::vector<IO_INFO> ios = {chan_test::Io(kId, kCellId)};
    SetText(ios[0].INDEXCODE, Marked("i'"));
    ASSERT_TRUE(store.SetIOList(Linked(ios)));
    std::vector<TALK_CHANNEL> talks = {chan_test::Talk(kId, kCellId)};
    SetText(talks[0].INDEXCODE, Marked("t'"));
    ASSERT_TRUE(store.SetTalkChannelList(Linked(talks)));
    std::vector<USER_ORG> stats = {Org(kCellId, 2, 0)};
    store.SetUserOrgStatList(Linked(stats));

    const std::string code = Marked("c'");
    CAMERA_INFO camera;
    CAMERA_INFO* head = nullptr;
    EXPECT_TRUE(store.GetCameraList(&head, 2, kCellId));
    EXPECT_EQ(Ids(head), (std::vector<int32_t>{kId, kId + 1}));
    EXPECT_TRUE(store.GetCameraByID(&camera, kId));
    EXPECT_TRUE(store.GetCameraByIndexCode(&camera, code.c_str()));
    EXPECT_TRUE(store.GetCameraByMatrixCode(&camera, kMatrixCode));
    bool allowed = false;
    EXPECT_TRUE(store.CheckCameraPrivilegeByID(10004, kId, &allowed));
    EXPECT_TRUE(store.CheckCameraPrivilegeByIndexCode(10004, code.c_str(), &allowed));
    const std::string ids = std::to_string(kId) + "," + std::to_string(kId + 1);
    EXPECT_TRUE(store.GetCameraListByIDs(&head, ids.c_str()));
    EXPECT_EQ(Ids(head).size(), 2u);
    std::string notFound;
    EXPECT_TRUE(
        store.GetCameraListByIndexCodes(&head, (code + "," + Marked("x")).c_str(), &notFound));
    EXPECT_EQ(Ids(head).size(), 1u) << "a code gives its first camera";
    EXPECT_EQ(notFound, Marked("x") + ",");
    IO_INFO* ioHead = nullptr;
    EXPECT_TRUE(store.GetIOList(&ioHead, kCellId));
    Ids(ioHead);
    IO_INFO io;
    EXPECT_TRUE(store.GetIOByID(&io, kId));
    EXPECT_TRUE(store.GetIOByIndexCode(&io, Marked("i'").c_str()));
    DEVICE_INFO device;
    EXPECT_TRUE(store.GetDeviceByID(&device, kId));
    EXPECT_TRUE(store.GetDeviceByIndexCode(&device, Marked("d'").c_str()));
    EXPECT_STREQ(device.PASSWORD, kPassword);
    TALK_CHANNEL* talkHead = nullptr;
    EXPECT_TRUE(store.GetTalkChannelList(&talkHead, kCellId));
    Ids(talkHead);
    TALK_CHANNEL talk;
    EXPECT_TRUE(store.GetTalkChannelByID(&talk, kId));
    EXPECT_TRUE(store.GetTalkChannelByIndexCode(&talk, Marked("t'").c_str()));
    std::vector<CAMERA_STATUS> changes = {{kId, 1, nullptr}};
    store.UpdateCameraStatus(Linked(changes));
    store.RecountUserOrgStat(kCellId, 2);
    int online = 0, total = 0;
    EXPECT_TRUE(store.GetUserOrgStat(kCellId, &online, &total));
    EXPECT_EQ(online, 1);
    std::vector<CAMERA_INFO> gone = {Camera(kId)};
    EXPECT_TRUE(store.DeleteCameras(Linked(gone)));
    EXPECT_FALSE(store.GetCameraByID(&camera, kId));
    store.ClearAll();
}

class Security : public store_test::FaultSafeTest {
protected:
    chan_test::ConfigLock m_configLock;
    store_test::TempDir m_dir;
};

// The watch interposes SQLite's functions through the dynamic linker, which the Windows
// build (SQLite linked in statically) has not; the texts are the same on every build.
#if !defined(_WIN32)
TEST_F(Security, NoTextOrIdentifierOfTheClientReachesSqlAsText) {
    store_test::LogCapture log;
    rel_test::SqlWatch watch;
    CDataOper store;
    ASSERT_TRUE(store.Init(m_dir.Path().c_str()));
    MarkedSession(store);
    store.UnInit();

    const std::vector<std::string> texts = watch.Texts();
    bool sawCodeLookup = false;
    for (const std::string& sql : texts) {
        EXPECT_EQ(sql.find(kMarker), std::string::npos) << sql;
        for (int32_t number : {kId, kId + 1, kCellId, kMatrixCode})
            EXPECT_EQ(sql.find(std::to_string(number)), std::string::npos) << sql;
        sawCodeLookup |= sql.find("WHERE INDEXCODE = ?") != std::string::npos;
    }
    EXPECT_TRUE(sawCodeLookup) << "the watch saw the statements (" << texts.size() << ")";
}
#endif

TEST_F(Security, UserNamesAndPasswordsAppearInNoLogLineEvenWhenTheStorageFails) {
    store_test::LogCapture log;
    CDataOper store;
    ASSERT_TRUE(store.Init(m_dir.Path().c_str()));
    MarkedSession(store);
    // A root repair logs cell names; device writes under a failing storage and a full
    // disk, and reads whose rows fail, log nothing of the device either.
    std::vector<CELL_INFO> rootless = {Cell(5, 9, "orphan"), Cell(6, 5, "below")};
    store.SetCellList(Linked(rootless));
    std::vector<DEVICE_INFO> devices = {Device(7, "DEV-7")};
    for (const char* operation : {"TransBegin", "BeginBind", "BindString", "ExecuteBind",
                                  "TransCommit", "BeginRead", "ReadStringByIndex"}) {
        vellum::fault::Storage().Arm(0, -1, operation);
        store.SetDeviceList(Linked(devices));
        DEVICE_INFO device;
        store.GetDeviceByID(&device, 7);
        vellum::fault::Storage().Disarm();
    }
    store.SetScratchPageLimit(1);
    std::vector<DEVICE_INFO> many;
    for (int32_t id = 100; id < 400; ++id) many.push_back(Device(id, "D-" + std::to_string(id)));
    store.SetDeviceList(Linked(many));
    store.UnInit();

    std::size_t repairLines = 0;
    for (const store_test::LogLine& line : log.Lines()) {
        EXPECT_EQ(line.text.find(kUserName), std::string::npos) << line.text;
        EXPECT_EQ(line.text.find(kPassword), std::string::npos) << line.text;
        repairLines += line.text.find("CDataOper::SetCellList") != std::string::npos;
    }
    EXPECT_GT(repairLines, 0u) << "the capture saw the module's lines";
}

}  // namespace
