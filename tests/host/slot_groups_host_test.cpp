// The forwarding slots of IVellum that vellum-host's session does not call, reached
// through the loaded module as the client reaches them. The session
// (HostProgram.DefaultRun...) calls every other forwarding slot through the exports and
// checks each answer against its site; the rules behind the answers are the unit tests'.
// Here one answer per slot shows that the slot is wired through.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ModuleLoader.h"
#include "tests/TempDir.h"

namespace {

// `count` zeroed records linked in order, each filled by `fill(record, index)`.
template <class Record, class Fill>
std::vector<Record> Linked(int count, Fill fill) {
    std::vector<Record> records(count);
    for (int i = 0; i < count; ++i) {
        fill(records[i], i);
        records[i].next = i + 1 < count ? &records[i + 1] : nullptr;
    }
    return records;
}

// One int of each record of a handed-out list, which is then freed through `free`.
template <class Record>
std::vector<int> Take(Record* head, int Record::*field, void (*free)(Record*)) {
    std::vector<int> values;
    for (const Record* r = head; r != nullptr; r = r->next) values.push_back(r->*field);
    free(head);
    return values;
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
    std::vector<USER_ORG> orgs = Linked<USER_ORG>(3, [](USER_ORG& org, int i) {
        org.orgId = i + 1;
        org.listKey = i % 2;
    });
    vellum->SetUserOrgList(orgs.data());
    USER_ORG* list = nullptr;
    ASSERT_TRUE(vellum->GetUserOrgList(&list, 0));
    EXPECT_EQ(Take(list, &USER_ORG::orgId, t.FreeUserOrgList), (std::vector<int>{1, 3}));
}

TEST_F(SlotGroups, StorageFoldersAndResourcesAreRenamedAndDeleted) {
    std::vector<STORE_FOLDER> folders =
        Linked<STORE_FOLDER>(2, [](STORE_FOLDER& folder, int i) { folder.id = 10 + i; });
    vellum->SetStoreFolderList(folders.data());
    ASSERT_TRUE(vellum->RenameStoreFolder("Cellar", 11));
    EXPECT_TRUE(vellum->IsStoreFolderNameExist("Cellar", 10));
    STORE_FOLDER folder{};
    ASSERT_TRUE(vellum->GetStoreFolderByID(&folder, 11));
    EXPECT_STREQ(folder.name, "Cellar");

    std::vector<STORE_RES> resources = Linked<STORE_RES>(2, [](STORE_RES& resource, int i) {
        resource.folderId = 11;
        resource.resType = 1;
        std::strcpy(resource.indexCode, i == 0 ? "r0" : "r1");
    });
    ASSERT_TRUE(vellum->SetStoreResList(resources.data()));
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
    std::vector<CAMERA_INFO> cameras = Linked<CAMERA_INFO>(3, [](CAMERA_INFO& camera, int i) {
        camera.ID = i + 1;
        camera.CELLID = 7;
        camera.CELLTYPE = 2;
        camera.INDEXCODE[0] = static_cast<char>('A' + i);
    });
    ASSERT_TRUE(vellum->SetCameraList(cameras.data(), 0));
    std::vector<CAMERA_INFO> gone =
        Linked<CAMERA_INFO>(2, [](CAMERA_INFO& camera, int i) { camera.ID = 1 + 2 * i; });
    ASSERT_TRUE(vellum->DeleteCameras(gone.data()));
    CAMERA_INFO* list = nullptr;
    ASSERT_TRUE(vellum->GetCameraList(&list, 2, 7));
    EXPECT_EQ(Take(list, &CAMERA_INFO::ID, t.FreeCameraList), std::vector<int>{2});

    DEVICE_INFO device{};
    device.ID = 8;
    ASSERT_TRUE(vellum->SetDeviceList(&device));
    vellum->ClearAll();
    CAMERA_INFO camera{};
    EXPECT_FALSE(vellum->GetCameraByID(&camera, 2));
    EXPECT_FALSE(vellum->GetDeviceByID(&device, 8));
}

}  // namespace
