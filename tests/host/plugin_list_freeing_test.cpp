// The list-freeing functions of the instance table: every record of a list is
// released exactly once, for both record types of each shared pair, whether the list
// came from a real query or was built the way the object factory builds one.
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "ModuleLoader.h"
#include "plugin_test_support.h"

namespace {

using plugin_test::ReleaseWatch;

// A list of `count` records, each its own global operator new allocation, as the
// object factory makes them. The records are watched from the start.
template <class Record>
Record* BuildList(int count, ReleaseWatch& watch) {
    Record* head = nullptr;
    for (int i = count - 1; i >= 0; --i) {
        auto* record = static_cast<Record*>(::operator new(sizeof(Record)));
        std::memset(static_cast<void*>(record), 0, sizeof(Record));
        record->next = head;
        head = record;
        EXPECT_TRUE(watch.Add(record));
    }
    return head;
}

// Watches every record of a list handed out by the module and returns their count.
template <class Record>
int WatchList(const Record* head, ReleaseWatch& watch) {
    int count = 0;
    for (const Record* record = head; record != nullptr; record = record->next) {
        EXPECT_TRUE(watch.Add(record));
        ++count;
    }
    return count;
}

template <class Record>
std::vector<const void*> Addresses(const Record* head) {
    std::vector<const void*> addresses;
    for (const Record* record = head; record != nullptr; record = record->next)
        addresses.push_back(record);
    return addresses;
}

void ExpectEachReleasedOnce(const std::vector<const void*>& records, const ReleaseWatch& watch) {
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(watch.Releases(records[i]), 1) << "record " << i << " of " << records.size();
}

// Builds a list of `count` records of Record, frees it through `free` and checks that
// every record was released exactly once.
template <class Record, class Argument>
void FreeThrough(void (*free)(Argument*), int count) {
    ReleaseWatch watch;
    Record* head = BuildList<Record>(count, watch);
    const std::vector<const void*> records = Addresses(head);
    // Both types of a pair have one size and their `next` at one offset, so the
    // shared function walks either; the client calls it with whichever it holds.
    static_assert(sizeof(Record) == sizeof(Argument), "a shared slot frees equal-sized records");
    free(reinterpret_cast<Argument*>(head));
    ExpectEachReleasedOnce(records, watch);
}

TEST(ListFreeing, ANullHeadDoesNothingInAnySlot) {
    const InstanceFuncTable* t = Module().instances;
    t->FreeCellList(nullptr);
    t->FreeIOInfoList(nullptr);
    t->FreeCrowdResList(nullptr);
    t->FreeCustomViewList(nullptr);
    t->FreeStoreResList(nullptr);
    t->FreeCustomViewOrgList(nullptr);
    t->FreeCameraList(nullptr);
    t->FreeTalkChannelList(nullptr);
    t->FreeCrowdFolderList(nullptr);
    t->FreeStoreFolderList(nullptr);
    t->FreeCustomViewResList(nullptr);
    t->FreeUserOrgList(nullptr);
    EXPECT_EQ(Module().getLastError(), 0);
}

TEST(ListFreeing, EverySlotReleasesEveryRecordOfItsOwnKind) {
    const InstanceFuncTable* t = Module().instances;
    for (int count : {1, 2, 7}) {
        SCOPED_TRACE(count);
        FreeThrough<CELL_INFO>(t->FreeCellList, count);
        FreeThrough<IO_INFO>(t->FreeIOInfoList, count);
        FreeThrough<CROWD_RES>(t->FreeCrowdResList, count);
        FreeThrough<CUSTOM_VIEW>(t->FreeCustomViewList, count);
        FreeThrough<STORE_RES>(t->FreeStoreResList, count);
        FreeThrough<CUSTOM_VIEW_ORG>(t->FreeCustomViewOrgList, count);
        FreeThrough<CAMERA_INFO>(t->FreeCameraList, count);
        FreeThrough<TALK_CHANNEL>(t->FreeTalkChannelList, count);
        FreeThrough<CROWD_FOLDER>(t->FreeCrowdFolderList, count);
        FreeThrough<STORE_FOLDER>(t->FreeStoreFolderList, count);
        FreeThrough<CUSTOM_VIEW_RES>(t->FreeCustomViewResList, count);
        FreeThrough<USER_ORG>(t->FreeUserOrgList, count);
    }
}

TEST(ListFreeing, SharedSlotsReleaseListsOfTheOtherTypeOfTheirPair) {
    const InstanceFuncTable* t = Module().instances;
    for (int count : {1, 5}) {
        SCOPED_TRACE(count);
        FreeThrough<TALK_CHANNEL>(t->FreeIOInfoList, count);
        FreeThrough<IO_INFO>(t->FreeTalkChannelList, count);
        FreeThrough<CROWD_FOLDER>(t->FreeCustomViewList, count);
        FreeThrough<CUSTOM_VIEW>(t->FreeCrowdFolderList, count);
        FreeThrough<CUSTOM_VIEW_RES>(t->FreeCustomViewOrgList, count);
        FreeThrough<CUSTOM_VIEW_ORG>(t->FreeCustomViewResList, count);
    }
}

// Lists made by real queries of an initialised instance, so the records come from the
// module's own object factory.
class QueryListFreeing : public ::testing::Test {
protected:
    void SetUp() override {
        m_instance = Module().instances->CreateVellum();
        ASSERT_NE(m_instance, nullptr);
        ASSERT_TRUE(m_instance->Init(m_dir.Path().c_str()));
    }
    void TearDown() override {
        if (m_instance != nullptr) {
            m_instance->UnInit();
            Module().instances->DestroyVellum(m_instance);
        }
    }

    // Frees the list through `free` and checks that all `expected` records went.
    template <class Record, class Argument>
    void FreeQueried(Record* head, int expected, void (*free)(Argument*)) {
        ReleaseWatch watch;
        EXPECT_EQ(WatchList(head, watch), expected);
        const std::vector<const void*> records = Addresses(head);
        free(reinterpret_cast<Argument*>(head));
        ExpectEachReleasedOnce(records, watch);
    }

    plugin_test::TempDir m_dir;
    IVellum* m_instance = nullptr;
};

// Links `records` through next and returns the head.
template <class Record>
Record* Chain(std::vector<Record>& records) {
    for (std::size_t i = 0; i + 1 < records.size(); ++i) records[i].next = &records[i + 1];
    if (!records.empty()) records.back().next = nullptr;
    return records.empty() ? nullptr : &records[0];
}

TEST_F(QueryListFreeing, ChildCells) {
    std::vector<CELL_INFO> cells(3);
    for (int i = 0; i < 3; ++i) {
        cells[i] = CELL_INFO{};
        cells[i].id = i + 1;
        cells[i].parentId = i == 0 ? 0 : 1;
        cells[i].cellType = 1;
        std::snprintf(cells[i].indexCode, sizeof cells[i].indexCode, "cell-%d", i + 1);
    }
    m_instance->SetCellList(Chain(cells));
    CELL_INFO* head = nullptr;
    ASSERT_TRUE(m_instance->GetChildCellList(&head, 1, 1));
    FreeQueried(head, 2, Module().instances->FreeCellList);
}

TEST_F(QueryListFreeing, IOChannelsThroughBothSlotsOfTheirPair) {
    std::vector<IO_INFO> channels(3);
    for (int i = 0; i < 3; ++i) {
        channels[i] = IO_INFO{};
        channels[i].ID = i + 1;
        channels[i].CELLID = 7;
        std::snprintf(channels[i].INDEXCODE, sizeof channels[i].INDEXCODE, "io-%d", i + 1);
        std::snprintf(channels[i].IONAME, sizeof channels[i].IONAME, "IO %d", i + 1);
    }
    ASSERT_TRUE(m_instance->SetIOList(Chain(channels)));
    IO_INFO* head = nullptr;
    ASSERT_TRUE(m_instance->GetIOList(&head, 7));
    FreeQueried(head, 3, Module().instances->FreeIOInfoList);
    head = nullptr;
    ASSERT_TRUE(m_instance->GetIOList(&head, 7));
    FreeQueried(head, 3, Module().instances->FreeTalkChannelList);
}

TEST_F(QueryListFreeing, TalkChannelsThroughBothSlotsOfTheirPair) {
    std::vector<TALK_CHANNEL> channels(2);
    for (int i = 0; i < 2; ++i) {
        channels[i] = TALK_CHANNEL{};
        channels[i].ID = i + 1;
        channels[i].CELLID = 9;
        std::snprintf(channels[i].INDEXCODE, sizeof channels[i].INDEXCODE, "talk-%d", i + 1);
        std::snprintf(channels[i].TALKNAME, sizeof channels[i].TALKNAME, "Talk %d", i + 1);
    }
    ASSERT_TRUE(m_instance->SetTalkChannelList(Chain(channels)));
    TALK_CHANNEL* head = nullptr;
    ASSERT_TRUE(m_instance->GetTalkChannelList(&head, 9));
    FreeQueried(head, 2, Module().instances->FreeTalkChannelList);
    head = nullptr;
    ASSERT_TRUE(m_instance->GetTalkChannelList(&head, 9));
    FreeQueried(head, 2, Module().instances->FreeIOInfoList);
}

TEST_F(QueryListFreeing, Cameras) {
    std::vector<CAMERA_INFO> cameras(3);
    for (int i = 0; i < 3; ++i) {
        cameras[i] = CAMERA_INFO{};
        cameras[i].ID = i + 1;
        cameras[i].CELLID = 4;
        cameras[i].CELLTYPE = 1;
        std::snprintf(cameras[i].INDEXCODE, sizeof cameras[i].INDEXCODE, "cam-%d", i + 1);
        std::snprintf(cameras[i].MATRIXCODE, sizeof cameras[i].MATRIXCODE, "%d", i + 1);
    }
    ASSERT_TRUE(m_instance->SetCameraList(Chain(cameras), 0));
    CAMERA_INFO* head = nullptr;
    ASSERT_TRUE(m_instance->GetCameraList(&head, 1, 4));
    FreeQueried(head, 3, Module().instances->FreeCameraList);
}

TEST_F(QueryListFreeing, StoreFoldersAndStoreResources) {
    std::vector<STORE_FOLDER> folders(2);
    for (int i = 0; i < 2; ++i) {
        folders[i] = STORE_FOLDER{};
        folders[i].id = i + 10;
        folders[i].parentId = 1;
        std::snprintf(folders[i].name, sizeof folders[i].name, "folder %d", i);
    }
    m_instance->SetStoreFolderList(Chain(folders));
    STORE_FOLDER* folderHead = nullptr;
    ASSERT_TRUE(m_instance->GetStoreFolderList(&folderHead, 1));
    FreeQueried(folderHead, 2, Module().instances->FreeStoreFolderList);

    std::vector<STORE_RES> resources(3);
    for (int i = 0; i < 3; ++i) {
        resources[i] = STORE_RES{};
        resources[i].id = i + 1;
        resources[i].folderId = 10;
        resources[i].resId = i + 1;
        std::snprintf(resources[i].indexCode, sizeof resources[i].indexCode, "res-%d", i);
    }
    ASSERT_TRUE(m_instance->SetStoreResList(Chain(resources)));
    STORE_RES* resHead = nullptr;
    ASSERT_TRUE(m_instance->GetStoreResList(&resHead, 10));
    FreeQueried(resHead, 3, Module().instances->FreeStoreResList);
}

TEST_F(QueryListFreeing, CustomViewsNodesAndResourcesThroughBothSlotsOfTheirPairs) {
    const InstanceFuncTable* t = Module().instances;
    std::vector<CUSTOM_VIEW> views(2, CUSTOM_VIEW{});
    m_instance->SetCustomViewList(Chain(views));
    CUSTOM_VIEW* viewHead = nullptr;
    ASSERT_TRUE(m_instance->GetCustomViewList(&viewHead));
    FreeQueried(viewHead, 2, t->FreeCustomViewList);
    viewHead = nullptr;
    ASSERT_TRUE(m_instance->GetCustomViewList(&viewHead));
    FreeQueried(viewHead, 2, t->FreeCrowdFolderList);

    std::vector<CUSTOM_VIEW_ORG> nodes(3);
    for (int i = 0; i < 3; ++i) {
        nodes[i] = CUSTOM_VIEW_ORG{};
        nodes[i].id = i + 1;
        nodes[i].ownerId = 5;
        nodes[i].sortIndex = 3 - i;
    }
    m_instance->SetCustomViewOrgList(Chain(nodes));
    CUSTOM_VIEW_ORG* nodeHead = nullptr;
    ASSERT_TRUE(m_instance->GetCustomViewOrgList(&nodeHead, 5));
    FreeQueried(nodeHead, 3, t->FreeCustomViewOrgList);
    nodeHead = nullptr;
    ASSERT_TRUE(m_instance->GetCustomViewOrgList(&nodeHead, 5));
    FreeQueried(nodeHead, 3, t->FreeCustomViewResList);

    std::vector<CUSTOM_VIEW_RES> resources(2);
    for (int i = 0; i < 2; ++i) {
        resources[i] = CUSTOM_VIEW_RES{};
        resources[i].id = i + 1;
        resources[i].ownerId = 5;
        resources[i].resId = i + 100;
    }
    m_instance->SetCustomViewResList(Chain(resources), 8);
    CUSTOM_VIEW_RES* resHead = nullptr;
    ASSERT_TRUE(m_instance->GetCustomViewResList(&resHead, 8));
    FreeQueried(resHead, 2, t->FreeCustomViewResList);
    resHead = nullptr;
    ASSERT_TRUE(m_instance->GetCustomViewResList(&resHead, 8));
    FreeQueried(resHead, 2, t->FreeCustomViewOrgList);
}

TEST_F(QueryListFreeing, CrowdResourcesAndFoldersThroughBothSlotsOfTheirPair) {
    const InstanceFuncTable* t = Module().instances;
    std::vector<CROWD_FOLDER> folders(2);
    for (int i = 0; i < 2; ++i) {
        folders[i] = CROWD_FOLDER{};
        folders[i].id = i + 1;
        std::snprintf(folders[i].name, sizeof folders[i].name, "crowd %d", i + 1);
    }
    m_instance->SetCrowdFolderList(Chain(folders));
    for (int folder : {1, 2}) {
        std::vector<CROWD_RES> resources(2);
        for (int i = 0; i < 2; ++i) {
            resources[i] = CROWD_RES{};
            resources[i].resType = 3;
            resources[i].resId = 40 + i;
        }
        m_instance->SetCrowdResList(Chain(resources), folder);
    }

    CROWD_RES* resHead = nullptr;
    ASSERT_TRUE(m_instance->GetCrowdResList(1, &resHead));
    FreeQueried(resHead, 2, t->FreeCrowdResList);

    CROWD_FOLDER* folderHead = nullptr;
    ASSERT_TRUE(m_instance->GetCrowdFolderListByRes(3, 41, &folderHead));
    FreeQueried(folderHead, 2, t->FreeCrowdFolderList);
    folderHead = nullptr;
    ASSERT_TRUE(m_instance->GetCrowdFolderListByRes(3, 40, &folderHead));
    FreeQueried(folderHead, 2, t->FreeCustomViewList);
}

TEST_F(QueryListFreeing, UserOrganisations) {
    std::vector<USER_ORG> orgs(3);
    for (int i = 0; i < 3; ++i) {
        orgs[i] = USER_ORG{};
        orgs[i].orgId = i + 1;
        orgs[i].listKey = 6;
    }
    m_instance->SetUserOrgList(Chain(orgs));
    USER_ORG* head = nullptr;
    ASSERT_TRUE(m_instance->GetUserOrgList(&head, 6));
    FreeQueried(head, 3, Module().instances->FreeUserOrgList);
}

}  // namespace
