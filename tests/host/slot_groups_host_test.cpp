// Each slot group of IVellum reached through the loaded module, as the client uses it: a
// deposit, the queries that read it back, and every handed-out list freed through its
// own slot of the instance table. The rules of each component are tested on the
// component itself; here one answer per slot shows that the slot is wired through.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
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

// One int of each record of a handed-out list, which is then freed through `free`; `head`
// is left null, as the next query into it expects.
template <class Record, class Field, class Argument>
std::vector<int> Take(Record*& head, Field field, void (*free)(Argument*)) {
    std::vector<int> values;
    for (const Record* r = head; r != nullptr; r = r->next) values.push_back(std::invoke(field, *r));
    free(reinterpret_cast<Argument*>(head));
    head = nullptr;
    return values;
}

CELL_INFO Cell(int id, int parentId, int cellType, int ownerId) {
    CELL_INFO cell = Zeroed<CELL_INFO>();
    cell.id = id;
    cell.parentId = parentId;
    cell.cellType = cellType;
    cell.ownerId = ownerId;
    Put(cell.indexCode, "c" + std::to_string(id));
    return cell;
}

CAMERA_INFO Camera(int id, int seqIndex, const std::string& code) {
    CAMERA_INFO camera = Zeroed<CAMERA_INFO>();
    camera.ID = id;
    camera.CELLID = 7;
    camera.CELLTYPE = 2;
    camera.SEQINDEX = seqIndex;
    Put(camera.INDEXCODE, code);
    Put(camera.MATRIXCODE, std::to_string(id * 10));
    Put(camera.PRIVILEGE, "1,3");
    return camera;
}

std::vector<std::string> g_lines;
void KeepLine(int, const char*, const char* line, void*) { g_lines.emplace_back(line); }

// A DefCfg.ini beside the module would change the camera order; none is written here.
class SlotGroups : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string module = VELLUM_MODULE_PATH;
        std::remove((module.substr(0, module.find_last_of("/\\") + 1) + "DefCfg.ini").c_str());
        g_lines.clear();
        xlog_set_sink(&KeepLine, nullptr);
    }
    void TearDown() override { xlog_set_sink(nullptr, nullptr); }
    const InstanceFuncTable& t = *Module().instances;
    HostInstance vellum;
};

TEST_F(SlotGroups, CellTreeLogsThroughTheHostsSinkAndAnswersLevelsAndChildren) {
    std::vector<CELL_INFO> cells{Cell(1, 5, 1, 0), Cell(2, 1, 1, 0), Cell(7, 0, 2, 1)};
    vellum->SetCellList(Linked(cells));
    // The module's xlog is the library this program configured: the repair line arrives.
    ASSERT_FALSE(g_lines.empty());
    EXPECT_NE(g_lines.back().find("set parentid to 0"), std::string::npos) << g_lines.back();
    EXPECT_EQ(vellum->GetCellLevel(2, 1), 1);
    vellum->SetLevelCount(4);
    EXPECT_EQ(vellum->GetMaxLevel(), 3);
    CELL_INFO one = Zeroed<CELL_INFO>();
    ASSERT_TRUE(vellum->GetCellInfo(&one, 7, 2));
    EXPECT_EQ(one.ownerId, 1);
    CELL_INFO* children = nullptr;
    ASSERT_TRUE(vellum->GetChildCellList(&children, 1, 1));
    EXPECT_EQ(Take(children, &CELL_INFO::id, t.FreeCellList), (std::vector<int>{7, 2}));
}

TEST_F(SlotGroups, RegistersContextsAndKeyedRecordsKeepWhatIsSet) {
    vellum->SetHostValue(31);
    EXPECT_EQ(vellum->GetHostValue(), 31);
    unsigned char block[788] = {1, 2, 3};
    unsigned char back[788] = {};
    vellum->SetInstanceContext(block);
    vellum->GetInstanceContext(back);
    EXPECT_EQ(std::memcmp(block, back, sizeof block), 0);
    block[527] = 9;
    vellum->SetTransientContext(block);
    vellum->GetTransientContext(back);
    EXPECT_EQ(std::memcmp(block, back, 528), 0);
    std::vector<KEYED_INFO> keyed(1, Zeroed<KEYED_INFO>());
    keyed[0].key = 4;
    keyed[0].payload[0] = 8;
    vellum->SetKeyedInfoList(Linked(keyed));
    KEYED_INFO found = Zeroed<KEYED_INFO>();
    ASSERT_TRUE(vellum->GetKeyedInfo(&found, 4));
    EXPECT_EQ(found.payload[0], 8);
}

TEST_F(SlotGroups, UserOrgsAndTheirStatisticsFollowStatusChangesAndRecounts) {
    std::vector<USER_ORG> orgs(3, Zeroed<USER_ORG>());
    for (int i = 0; i < 3; ++i) {
        orgs[i].orgId = i == 0 ? 7 : i;
        orgs[i].listKey = i % 2;
        orgs[i].cameraCount = 5;
    }
    vellum->SetUserOrgList(Linked(orgs));
    USER_ORG* list = nullptr;
    ASSERT_TRUE(vellum->GetUserOrgList(&list, 0));
    EXPECT_EQ(Take(list, &USER_ORG::orgId, t.FreeUserOrgList), (std::vector<int>{7, 2}));

    std::vector<CELL_INFO> cells{Cell(1, 0, 1, 0), Cell(7, 0, 2, 1)};
    vellum->SetCellList(Linked(cells));
    std::vector<CAMERA_INFO> cameras{Camera(1, 0, "A")};
    ASSERT_TRUE(vellum->SetCameraList(Linked(cameras), 0));
    vellum->SetUserOrgStatList(Linked(orgs));
    std::vector<CAMERA_STATUS> status{{1, 1, nullptr}};
    vellum->UpdateCameraStatus(Linked(status));
    int online = -1;
    int total = -1;
    ASSERT_TRUE(vellum->GetUserOrgStat(7, &online, &total));
    EXPECT_EQ(online, 1);
    EXPECT_EQ(total, 5);
    vellum->RecountUserOrgStat(7, 2);
    ASSERT_TRUE(vellum->GetUserOrgStat(7, &online, &total));
    EXPECT_EQ(total, 1);
}

TEST_F(SlotGroups, StorageFoldersAndResourcesAreListedRenamedAndDeleted) {
    std::vector<STORE_FOLDER> folders(2, Zeroed<STORE_FOLDER>());
    for (int i = 0; i < 2; ++i) {
        folders[i].id = 10 + i;
        folders[i].parentId = 1;
        folders[i].sortIndex = 2 - i;
    }
    vellum->SetStoreFolderList(Linked(folders));
    STORE_FOLDER* folderList = nullptr;
    ASSERT_TRUE(vellum->GetStoreFolderList(&folderList, 1));
    EXPECT_EQ(Take(folderList, &STORE_FOLDER::id, t.FreeStoreFolderList),
              (std::vector<int>{11, 10}));
    ASSERT_TRUE(vellum->RenameStoreFolder("Cellar", 11));
    EXPECT_TRUE(vellum->IsStoreFolderNameExist("Cellar", 10));
    STORE_FOLDER folder = Zeroed<STORE_FOLDER>();
    ASSERT_TRUE(vellum->GetStoreFolderByID(&folder, 11));
    EXPECT_STREQ(folder.name, "Cellar");

    std::vector<STORE_RES> resources(2, Zeroed<STORE_RES>());
    for (int i = 0; i < 2; ++i) {
        resources[i].folderId = 11;
        resources[i].resType = 1;
        resources[i].resId = 2 - i;
        Put(resources[i].indexCode, "r" + std::to_string(i));
    }
    ASSERT_TRUE(vellum->SetStoreResList(Linked(resources)));
    STORE_RES* resourceList = nullptr;
    ASSERT_TRUE(vellum->GetStoreResList(&resourceList, 11));
    EXPECT_EQ(Take(resourceList, &STORE_RES::resId, t.FreeStoreResList), (std::vector<int>{1, 2}));
    STORE_RES resource = Zeroed<STORE_RES>();
    ASSERT_TRUE(vellum->GetStoreResByIndexCode(&resource, "r0", 1));
    EXPECT_EQ(resource.resId, 2);
    vellum->DeleteStoreRes("r0", 11);
    EXPECT_FALSE(vellum->IsStoreResExist("r0", 1));
    EXPECT_TRUE(vellum->IsStoreResExist("r1", 1));
    vellum->DeleteStoreFolder(11);
    EXPECT_EQ(vellum->GetStoreResCount(11), 0);
    EXPECT_TRUE(vellum->GetStoreFolderByID(&folder, 10));
    vellum->ClearStoreData();
    EXPECT_FALSE(vellum->GetStoreFolderByID(&folder, 10));
}

TEST_F(SlotGroups, CustomViewsAndCrowdDataAreListedAndFreedThroughTheirSlots) {
    std::vector<CUSTOM_VIEW> views(2, Zeroed<CUSTOM_VIEW>());
    views[1].viewData[0] = 5;
    vellum->SetCustomViewList(Linked(views));
    CUSTOM_VIEW* viewList = nullptr;
    ASSERT_TRUE(vellum->GetCustomViewList(&viewList));
    const auto firstByte = [](const CUSTOM_VIEW& view) { return int{view.viewData[0]}; };
    EXPECT_EQ(Take(viewList, firstByte, t.FreeCustomViewList), (std::vector<int>{0, 5}));
    std::vector<CUSTOM_VIEW_ORG> nodes(2, Zeroed<CUSTOM_VIEW_ORG>());
    nodes[0] = {1, 4, {}, 7, nullptr};
    nodes[1] = {2, 4, {}, 0, nullptr};
    vellum->SetCustomViewOrgList(Linked(nodes));
    CUSTOM_VIEW_ORG* nodeList = nullptr;
    ASSERT_TRUE(vellum->GetCustomViewOrgList(&nodeList, 4));
    EXPECT_EQ(Take(nodeList, &CUSTOM_VIEW_ORG::id, t.FreeCustomViewOrgList),
              (std::vector<int>{2, 1}));
    std::vector<CUSTOM_VIEW_RES> viewResources(1, Zeroed<CUSTOM_VIEW_RES>());
    viewResources[0].ownerId = 2;
    viewResources[0].resId = 6;
    vellum->SetCustomViewResList(Linked(viewResources), 3);
    CUSTOM_VIEW_RES viewResource = Zeroed<CUSTOM_VIEW_RES>();
    EXPECT_TRUE(vellum->GetCustomViewRes(&viewResource, 6, 2));
    CUSTOM_VIEW_RES* viewResourceList = nullptr;
    ASSERT_TRUE(vellum->GetCustomViewResList(&viewResourceList, 3));
    EXPECT_EQ(Take(viewResourceList, &CUSTOM_VIEW_RES::resId, t.FreeCustomViewResList),
              std::vector<int>{6});

    std::vector<CROWD_FOLDER> folders(2, Zeroed<CROWD_FOLDER>());
    folders[0].id = 7;
    folders[1].id = 3;
    Put(folders[1].name, "three");
    vellum->SetCrowdFolderList(Linked(folders));
    std::vector<CROWD_RES> resources(1, Zeroed<CROWD_RES>());
    resources[0].resId = 1;
    resources[0].resType = 5;
    vellum->SetCrowdResList(Linked(resources), 7);
    vellum->SetCrowdResList(Linked(resources), 3);
    CROWD_FOLDER folder = Zeroed<CROWD_FOLDER>();
    ASSERT_TRUE(vellum->GetCrowdFolderByID(3, &folder));
    EXPECT_STREQ(folder.name, "three");
    CROWD_FOLDER* folderList = nullptr;
    ASSERT_TRUE(vellum->GetCrowdFolderListByRes(5, 1, &folderList));
    EXPECT_EQ(Take(folderList, &CROWD_FOLDER::id, t.FreeCrowdFolderList), (std::vector<int>{3, 7}));
    CROWD_RES* resourceList = nullptr;
    ASSERT_TRUE(vellum->GetCrowdResList(7, &resourceList));
    EXPECT_EQ(Take(resourceList, &CROWD_RES::resId, t.FreeCrowdResList), std::vector<int>{1});
}

TEST_F(SlotGroups, CamerasAreListedLookedUpCheckedAndDeleted) {
    std::vector<CAMERA_INFO> cameras{Camera(1, 2, "A"), Camera(2, 1, "B"), Camera(3, 3, "C")};
    ASSERT_TRUE(vellum->SetCameraList(Linked(cameras), 0));
    CAMERA_INFO* list = nullptr;
    ASSERT_TRUE(vellum->GetCameraList(&list, 2, 7));
    EXPECT_EQ(Take(list, &CAMERA_INFO::ID, t.FreeCameraList), (std::vector<int>{2, 1, 3}));
    CAMERA_INFO one = Zeroed<CAMERA_INFO>();
    ASSERT_TRUE(vellum->GetCameraByID(&one, 2));
    EXPECT_STREQ(one.INDEXCODE, "B");
    ASSERT_TRUE(vellum->GetCameraByIndexCode(&one, "C"));
    EXPECT_EQ(one.ID, 3);
    ASSERT_TRUE(vellum->GetCameraByMatrixCode(&one, 10));
    EXPECT_EQ(one.ID, 1);
    ASSERT_TRUE(vellum->GetCameraListByIDs(&list, "3,1"));
    EXPECT_EQ(Take(list, &CAMERA_INFO::ID, t.FreeCameraList), (std::vector<int>{3, 1}));
    std::string notFound;
    ASSERT_TRUE(vellum->GetCameraListByIndexCodes(&list, "P,B", &notFound));
    EXPECT_EQ(Take(list, &CAMERA_INFO::ID, t.FreeCameraList), std::vector<int>{2});
    EXPECT_EQ(notFound, "P,");
    bool allowed = false;
    ASSERT_TRUE(vellum->CheckCameraPrivilegeByID(10004, 1, &allowed));
    EXPECT_TRUE(allowed);
    ASSERT_TRUE(vellum->CheckCameraPrivilegeByIndexCode(10003, "A", &allowed));
    EXPECT_FALSE(allowed);
    std::vector<CAMERA_INFO> gone{Camera(1, 0, ""), Camera(3, 0, "")};
    ASSERT_TRUE(vellum->DeleteCameras(Linked(gone)));
    ASSERT_TRUE(vellum->GetCameraList(&list, 2, 7));
    EXPECT_EQ(Take(list, &CAMERA_INFO::ID, t.FreeCameraList), std::vector<int>{2});
}

TEST_F(SlotGroups, IoDeviceAndTalkChannelsAnswerAndClearAllKeepsOnlyChannels) {
    std::vector<IO_INFO> ios(2, Zeroed<IO_INFO>());
    std::vector<TALK_CHANNEL> talks(2, Zeroed<TALK_CHANNEL>());
    for (int i = 0; i < 2; ++i) {
        ios[i].ID = talks[i].ID = 9 - i;
        ios[i].CELLID = talks[i].CELLID = 4;
        Put(ios[i].INDEXCODE, "io" + std::to_string(i));
        Put(talks[i].INDEXCODE, "t" + std::to_string(i));
    }
    std::vector<DEVICE_INFO> devices(1, Zeroed<DEVICE_INFO>());
    devices[0].ID = 8;
    devices[0].DOMAINID = 2;
    Put(devices[0].INDEXCODE, "dev8");
    ASSERT_TRUE(vellum->SetIOList(Linked(ios)));
    ASSERT_TRUE(vellum->SetTalkChannelList(Linked(talks)));
    ASSERT_TRUE(vellum->SetDeviceList(Linked(devices)));
    DEVICE_INFO device = Zeroed<DEVICE_INFO>();
    ASSERT_TRUE(vellum->GetDeviceByIndexCode(&device, "dev8"));
    EXPECT_EQ(device.DOMAINID, 2);
    EXPECT_TRUE(vellum->GetDeviceByID(&device, 8));
    vellum->ClearAll();
    EXPECT_FALSE(vellum->GetDeviceByID(&device, 8));

    IO_INFO* ioList = nullptr;
    ASSERT_TRUE(vellum->GetIOList(&ioList, 4));
    EXPECT_EQ(Take(ioList, &IO_INFO::ID, t.FreeIOInfoList), (std::vector<int>{8, 9}));
    IO_INFO io = Zeroed<IO_INFO>();
    ASSERT_TRUE(vellum->GetIOByIndexCode(&io, "io1"));
    EXPECT_EQ(io.ID, 8);
    EXPECT_TRUE(vellum->GetIOByID(&io, 9));
    TALK_CHANNEL* talkList = nullptr;
    ASSERT_TRUE(vellum->GetTalkChannelList(&talkList, 4));
    EXPECT_EQ(Take(talkList, &TALK_CHANNEL::ID, t.FreeTalkChannelList), (std::vector<int>{8, 9}));
    TALK_CHANNEL talk = Zeroed<TALK_CHANNEL>();
    ASSERT_TRUE(vellum->GetTalkChannelByIndexCode(&talk, "t1"));
    EXPECT_EQ(talk.ID, 8);
    EXPECT_TRUE(vellum->GetTalkChannelByID(&talk, 9));
}

}  // namespace
