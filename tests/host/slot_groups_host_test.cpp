// The forwarding slots of IVellum that vellum-host's session (HostProgram.DefaultRun...)
// does not call, reached through the loaded module as the client reaches them; the rules
// behind the answers are the unit tests'. One answer per slot shows it is wired through.
#include <gtest/gtest.h>

#include <cstring>

#include "ModuleLoader.h"
#include "tests/TempDir.h"

namespace {

TEST(SlotGroups, EachSlotTheSessionLeavesOutAnswersThroughTheTable) {
    const InstanceFuncTable& t = *Module().instances;
    vellum_test::TempDir dir;
    IVellum* vellum = t.CreateVellum();
    ASSERT_TRUE(vellum->Init(dir.Path().c_str()));

    USER_ORG org{};
    org.orgId = 4;
    vellum->SetUserOrgList(&org);
    USER_ORG* orgs = nullptr;
    ASSERT_TRUE(vellum->GetUserOrgList(&orgs, 0));
    EXPECT_EQ(orgs->orgId, 4);
    t.FreeUserOrgList(orgs);

    STORE_FOLDER folders[2] = {};
    folders[0].id = 10;
    folders[0].next = &folders[1];
    folders[1].id = 11;
    vellum->SetStoreFolderList(folders);
    STORE_RES resource{};
    resource.folderId = 11;
    resource.resType = 1;
    std::strcpy(resource.indexCode, "r0");
    ASSERT_TRUE(vellum->SetStoreResList(&resource));
    ASSERT_TRUE(vellum->RenameStoreFolder("Cellar", 11));
    EXPECT_TRUE(vellum->IsStoreFolderNameExist("Cellar", 10));
    vellum->DeleteStoreRes("r0", 11);
    EXPECT_FALSE(vellum->IsStoreResExist("r0", 1));
    vellum->DeleteStoreFolder(11);
    STORE_FOLDER folder{};
    EXPECT_FALSE(vellum->GetStoreFolderByID(&folder, 11));
    EXPECT_TRUE(vellum->GetStoreFolderByID(&folder, 10));
    vellum->ClearStoreData();
    EXPECT_FALSE(vellum->GetStoreFolderByID(&folder, 10));

    CAMERA_INFO camera{};
    camera.ID = 1;
    camera.INDEXCODE[0] = 'A';
    ASSERT_TRUE(vellum->SetCameraList(&camera, 0));
    ASSERT_TRUE(vellum->DeleteCameras(&camera));
    EXPECT_FALSE(vellum->GetCameraByID(&camera, 1));
    DEVICE_INFO device{};
    device.ID = 8;
    ASSERT_TRUE(vellum->SetDeviceList(&device));
    vellum->ClearAll();
    EXPECT_FALSE(vellum->GetDeviceByID(&device, 8));

    vellum->UnInit();
    t.DestroyVellum(vellum);
}

}  // namespace
