// The forwarding slots of IVellum that vellum-host's session does not call, reached
// through the loaded module as the client reaches them. The session
// (HostProgram.DefaultRun...) calls every other forwarding slot through the exports,
// checks each answer against its site and frees each list through its slot; the
// registers and context blocks are CDataOper's own (ContextBlocks, ValueRegisters,
// KeyedRecords). Here one answer per slot shows that the slot is wired through.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ModuleLoader.h"
#include "tests/TempDir.h"

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

// One int of each record of a handed-out list, which is then freed through `free`.
template <class Record>
std::vector<int> Take(Record* head, int Record::*field, void (*free)(Record*)) {
    std::vector<int> values;
    for (const Record* r = head; r != nullptr; r = r->next) values.push_back(r->*field);
    free(head);
    return values;
}

CAMERA_INFO Camera(int id, const std::string& code) {
    CAMERA_INFO camera = Zeroed<CAMERA_INFO>();
    camera.ID = id;
    camera.CELLID = 7;
    camera.CELLTYPE = 2;
    Put(camera.INDEXCODE, code);
    return camera;
}

class SlotGroups : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(vellum->Init(dir.Path().c_str())); }
    void TearDown() override {
        vellum->UnInit();
        t.DestroyVellum(vellum);
    }
    const InstanceFuncTable& t = *Module().instances;
    vellum_test::TempDir dir;
    IVellum* vellum = t.CreateVellum();
};

TEST_F(SlotGroups, UserOrgListsAreHandedOutAndFreed) {
    std::vector<USER_ORG> orgs(3, Zeroed<USER_ORG>());
    for (int i = 0; i < 3; ++i) {
        orgs[i].orgId = i + 1;
        orgs[i].listKey = i % 2;
    }
    vellum->SetUserOrgList(Linked(orgs));
    USER_ORG* list = nullptr;
    ASSERT_TRUE(vellum->GetUserOrgList(&list, 0));
    EXPECT_EQ(Take(list, &USER_ORG::orgId, t.FreeUserOrgList), (std::vector<int>{1, 3}));
}

TEST_F(SlotGroups, StorageFoldersAndResourcesAreRenamedAndDeleted) {
    std::vector<STORE_FOLDER> folders(2, Zeroed<STORE_FOLDER>());
    folders[0].id = 10;
    folders[1].id = 11;
    vellum->SetStoreFolderList(Linked(folders));
    ASSERT_TRUE(vellum->RenameStoreFolder("Cellar", 11));
    EXPECT_TRUE(vellum->IsStoreFolderNameExist("Cellar", 10));
    STORE_FOLDER folder = Zeroed<STORE_FOLDER>();
    ASSERT_TRUE(vellum->GetStoreFolderByID(&folder, 11));
    EXPECT_STREQ(folder.name, "Cellar");

    std::vector<STORE_RES> resources(2, Zeroed<STORE_RES>());
    for (int i = 0; i < 2; ++i) {
        resources[i].folderId = 11;
        resources[i].resType = 1;
        Put(resources[i].indexCode, "r" + std::to_string(i));
    }
    ASSERT_TRUE(vellum->SetStoreResList(Linked(resources)));
    vellum->DeleteStoreRes("r0", 11);
    EXPECT_FALSE(vellum->IsStoreResExist("r0", 1));
    EXPECT_TRUE(vellum->IsStoreResExist("r1", 1));
    vellum->DeleteStoreFolder(11);
    EXPECT_FALSE(vellum->IsStoreResExist("r1", 1));
    EXPECT_TRUE(vellum->GetStoreFolderByID(&folder, 10));
    vellum->ClearStoreData();
    EXPECT_FALSE(vellum->GetStoreFolderByID(&folder, 10));
}

TEST_F(SlotGroups, CamerasAreDeletedAndClearAllEmptiesTheCameraAndDeviceTables) {
    std::vector<CAMERA_INFO> cameras{Camera(1, "A"), Camera(2, "B"), Camera(3, "C")};
    ASSERT_TRUE(vellum->SetCameraList(Linked(cameras), 0));
    std::vector<CAMERA_INFO> gone{Camera(1, ""), Camera(3, "")};
    ASSERT_TRUE(vellum->DeleteCameras(Linked(gone)));
    CAMERA_INFO* list = nullptr;
    ASSERT_TRUE(vellum->GetCameraList(&list, 2, 7));
    EXPECT_EQ(Take(list, &CAMERA_INFO::ID, t.FreeCameraList), std::vector<int>{2});

    std::vector<DEVICE_INFO> devices(1, Zeroed<DEVICE_INFO>());
    devices[0].ID = 8;
    ASSERT_TRUE(vellum->SetDeviceList(Linked(devices)));
    vellum->ClearAll();
    CAMERA_INFO camera = Zeroed<CAMERA_INFO>();
    EXPECT_FALSE(vellum->GetCameraByID(&camera, 2));
    DEVICE_INFO device = Zeroed<DEVICE_INFO>();
    EXPECT_FALSE(vellum->GetDeviceByID(&device, 8));
}

}  // namespace
