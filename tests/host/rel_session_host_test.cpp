// A whole client session through the loaded module: two created instances and the
// shared one, every kind of deposit and query, hostile codes, status changes,
// ClearAll and a second Init, each list freed through its slot of the instance table.
// The CI runs this program under valgrind's memcheck as well, so the module's own
// code is checked for invalid accesses and leaks as the client loads it.
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

// Counts a list's records and frees it through `freeList`.
template <class Record>
std::size_t Free(Record* head, void (*freeList)(Record*)) {
    std::size_t count = 0;
    for (const Record* r = head; r != nullptr; r = r->next) ++count;
    freeList(head);
    return count;
}

constexpr char kUserName[] = "host-u53r";
constexpr char kPassword[] = "host-pa55";

struct Captured {
    std::vector<std::string> lines;
};

void Capture(int, const char*, const char* line, void* context) {
    static_cast<Captured*>(context)->lines.push_back(line);
}

// One session on `store`; the codes hold quotes, SQL and format directives.
void Session(IVellum* store, const InstanceFuncTable& table) {
    std::vector<CELL_INFO> cells(3, Zeroed<CELL_INFO>());
    cells[0].id = 1, cells[0].cellType = 1, Put(cells[0].indexCode, "root");
    cells[1].id = 2, cells[1].cellType = 2, cells[1].ownerId = 1, Put(cells[1].indexCode, "sub'");
    cells[2].id = 3, cells[2].cellType = 1, cells[2].parentId = 3, Put(cells[2].indexCode, "loop");
    store->SetCellList(Linked(cells));

    std::vector<CAMERA_INFO> cameras(3, Zeroed<CAMERA_INFO>());
    const char* codes[] = {"it's", "%s%n%x", "'; DROP TABLE CAMERAINFO; --"};
    for (int i = 0; i < 3; ++i) {
        cameras[i].ID = i + 1;
        cameras[i].CELLID = 2;
        cameras[i].CELLTYPE = 2;
        Put(cameras[i].INDEXCODE, codes[i]);
        Put(cameras[i].CAMNAME, codes[i]);
        Put(cameras[i].PRIVILEGE, "1");
    }
    ASSERT_TRUE(store->SetCameraList(Linked(cameras), 0));
    std::vector<DEVICE_INFO> devices(1, Zeroed<DEVICE_INFO>());
    devices[0].ID = 1;
    Put(devices[0].INDEXCODE, "dev'");
    Put(devices[0].USERNAME, kUserName);
    Put(devices[0].PASSWORD, kPassword);
    ASSERT_TRUE(store->SetDeviceList(Linked(devices)));
    std::vector<IO_INFO> ios(2, Zeroed<IO_INFO>());
    ios[0].ID = 1, ios[0].CELLID = 2, Put(ios[0].INDEXCODE, "io'");
    ios[1].ID = 2, ios[1].CELLID = 2, Put(ios[1].INDEXCODE, "io2");
    ASSERT_TRUE(store->SetIOList(Linked(ios)));
    std::vector<TALK_CHANNEL> talks(2, Zeroed<TALK_CHANNEL>());
    talks[0].ID = 1, talks[0].CELLID = 2, Put(talks[0].INDEXCODE, "talk'");
    talks[1].ID = 2, talks[1].CELLID = 2, Put(talks[1].INDEXCODE, "talk2");
    ASSERT_TRUE(store->SetTalkChannelList(Linked(talks)));
    std::vector<USER_ORG> stats(2, Zeroed<USER_ORG>());
    stats[0].orgId = 2, stats[0].cameraCount = 3;
    stats[1].orgId = 1, stats[1].cameraCount = 3;
    store->SetUserOrgStatList(Linked(stats));
    std::vector<STORE_FOLDER> folders(2, Zeroed<STORE_FOLDER>());
    folders[0].id = 1, folders[0].parentId = 2, Put(folders[0].name, "a");
    folders[1].id = 2, folders[1].parentId = 1, Put(folders[1].name, "b");
    store->SetStoreFolderList(Linked(folders));

    CELL_INFO* cellList = nullptr;
    EXPECT_TRUE(store->GetChildCellList(&cellList, 1, 1));
    EXPECT_EQ(Free(cellList, table.FreeCellList), 1u);
    EXPECT_EQ(store->GetCellLevel(3, 1), -1) << "a cell that is its own parent";
    CAMERA_INFO* cameraList = nullptr;
    EXPECT_TRUE(store->GetCameraList(&cameraList, 2, 2));
    EXPECT_EQ(Free(cameraList, table.FreeCameraList), 3u);
    cameraList = nullptr;
    std::string notFound;
    EXPECT_TRUE(store->GetCameraListByIndexCodes(&cameraList, "it's,%s%n%x,nope", &notFound));
    EXPECT_EQ(Free(cameraList, table.FreeCameraList), 2u);
    EXPECT_EQ(notFound, "nope,");
    CAMERA_INFO camera = Zeroed<CAMERA_INFO>();
    EXPECT_TRUE(store->GetCameraByIndexCode(&camera, "'; DROP TABLE CAMERAINFO; --"));
    EXPECT_EQ(camera.ID, 3);
    bool allowed = false;
    EXPECT_TRUE(store->CheckCameraPrivilegeByIndexCode(10001, "it's", &allowed));
    EXPECT_TRUE(allowed);
    DEVICE_INFO device = Zeroed<DEVICE_INFO>();
    EXPECT_TRUE(store->GetDeviceByIndexCode(&device, "dev'"));
    IO_INFO* ioList = nullptr;
    EXPECT_TRUE(store->GetIOList(&ioList, 2));
    EXPECT_EQ(Free(ioList, table.FreeIOInfoList), 2u);
    TALK_CHANNEL* talkList = nullptr;
    EXPECT_TRUE(store->GetTalkChannelList(&talkList, 2));
    EXPECT_EQ(Free(talkList, table.FreeTalkChannelList), 2u);

    std::vector<CAMERA_STATUS> changes = {{1, 1, nullptr}, {2, 1, nullptr}, {9, 1, nullptr}};
    store->UpdateCameraStatus(Linked(changes));
    int online = 0, total = 0;
    EXPECT_TRUE(store->GetUserOrgStat(1, &online, &total));
    EXPECT_EQ(online, 2);
    store->RecountUserOrgStat(2, 2);
    EXPECT_TRUE(store->GetUserOrgStat(2, &online, &total));
    EXPECT_EQ(online, 2);
    std::vector<CAMERA_INFO> gone(1, Zeroed<CAMERA_INFO>());
    gone[0].ID = 1;
    EXPECT_TRUE(store->DeleteCameras(Linked(gone)));
    store->DeleteStoreFolder(1);
    STORE_FOLDER folder = Zeroed<STORE_FOLDER>();
    EXPECT_FALSE(store->GetStoreFolderByID(&folder, 2)) << "the folder cycle was removed whole";
    store->ClearAll();
    EXPECT_FALSE(store->GetCameraByID(&camera, 2));
    EXPECT_TRUE(store->GetIOByIndexCode(&ios[0], "io'"));
}

TEST(HostSession, CreatedAndSharedInstancesRunWholeSessionsAndLogNoSecrets) {
    Captured captured;
    xlog_set_sink(&Capture, &captured);
    const InstanceFuncTable& table = *Module().instances;
    {
        HostInstance first;
        HostInstance second;
        Session(first.get(), table);
        Session(second.get(), table);
        // A second life of the first instance after UnInit.
        first->UnInit();
        ASSERT_TRUE(first->Init(
            (std::string(VELLUM_TEST_TMP) + "session-" + std::to_string(getpid()) + "-").c_str()));
        Session(first.get(), table);
    }
    IVellum* shared = table.GetSharedVellum();
    ASSERT_TRUE(shared->Init(
        (std::string(VELLUM_TEST_TMP) + "shared-" + std::to_string(getpid()) + "-").c_str()));
    Session(shared, table);
    shared->UnInit();
    xlog_set_sink(nullptr, nullptr);

    ASSERT_FALSE(captured.lines.empty());
    for (const std::string& line : captured.lines) {
        EXPECT_EQ(line.find(kUserName), std::string::npos) << line;
        EXPECT_EQ(line.find(kPassword), std::string::npos) << line;
    }
}

}  // namespace
