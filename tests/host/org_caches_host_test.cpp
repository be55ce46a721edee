// The organisation caches through the loaded module, as the client uses them: one
// operation of each cache, every list handed out freed through its list-freeing slot.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ModuleLoader.h"
#include "libs/xlog/xlog.h"

namespace {

template <class Record>
Record Zeroed() {
    Record record;
    std::memset(&record, 0, sizeof record);
    return record;
}

template <class Record>
Record* Linked(std::vector<Record>& records) {
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].next = i + 1 < records.size() ? &records[i + 1] : nullptr;
    return records.empty() ? nullptr : &records[0];
}

// Walks a handed-out list, reading one int field of each record.
template <class Record, class Field>
std::vector<int> Collect(const Record* head, Field field) {
    std::vector<int> values;
    for (const Record* r = head; r != nullptr; r = r->next) values.push_back(r->*field);
    return values;
}

CELL_INFO HostCell(int id, int parentId, const char* code, int cellType, int sortOrder) {
    CELL_INFO cell = Zeroed<CELL_INFO>();
    cell.id = id;
    cell.parentId = parentId;
    std::strcpy(cell.indexCode, code);
    std::strcpy(cell.name, code);
    cell.cellType = cellType;
    cell.sortOrder = sortOrder;
    cell.ownerId = cellType == 2 ? 1 : 0;
    return cell;
}

std::vector<std::string> g_lines;
void KeepLine(int, const char*, const char* line, void*) { g_lines.emplace_back(line); }

TEST(OrgCachesThroughTheModule, CellTreeRepairsListsAndFreesChildren) {
    HostInstance vellum;
    std::vector<CELL_INFO> cells{HostCell(1, 5, "a", 1, 0), HostCell(2, 1, "b", 1, 2),
                                 HostCell(3, 1, "c", 1, 1), HostCell(4, 0, "d", 2, 9)};
    g_lines.clear();
    xlog_set_sink(&KeepLine, nullptr);
    vellum->SetCellList(Linked(cells));
    xlog_set_sink(nullptr, nullptr);
    ASSERT_EQ(g_lines.size(), 3u);
    EXPECT_EQ(g_lines.back(),
              "<.\\DataOper [356] - CDataOper::SetCellList> <not find root cell, name a id 1 "
              "parentid 5, set parentid to 0>");
    EXPECT_EQ(vellum->GetCellLevel(3, 1), 1);

    CELL_INFO* children = nullptr;
    ASSERT_TRUE(vellum->GetChildCellList(&children, 1, 1));
    EXPECT_EQ(Collect(children, &CELL_INFO::id), (std::vector<int>{4, 3, 2}));
    Module().instances->FreeCellList(children);
}

TEST(OrgCachesThroughTheModule, StorageFoldersAndResourcesAreListedAndFreed) {
    HostInstance vellum;
    std::vector<STORE_FOLDER> folders(3, Zeroed<STORE_FOLDER>());
    for (int i = 0; i < 3; ++i) {
        folders[i].id = 10 + i;
        folders[i].parentId = 1;
        folders[i].sortIndex = 3 - i;
    }
    vellum->SetStoreFolderList(Linked(folders));
    STORE_FOLDER* folderList = nullptr;
    ASSERT_TRUE(vellum->GetStoreFolderList(&folderList, 1));
    EXPECT_EQ(Collect(folderList, &STORE_FOLDER::id), (std::vector<int>{12, 11, 10}));
    Module().instances->FreeStoreFolderList(folderList);

    std::vector<STORE_RES> resources(2, Zeroed<STORE_RES>());
    std::strcpy(resources[0].indexCode, "r1");
    std::strcpy(resources[1].indexCode, "r2");
    resources[0].folderId = resources[1].folderId = 11;
    resources[0].resId = 2;
    resources[1].resId = 1;
    ASSERT_TRUE(vellum->SetStoreResList(Linked(resources)));
    STORE_RES* resourceList = nullptr;
    ASSERT_TRUE(vellum->GetStoreResList(&resourceList, 11));
    EXPECT_EQ(Collect(resourceList, &STORE_RES::resId), (std::vector<int>{1, 2}));
    Module().instances->FreeStoreResList(resourceList);

    vellum->DeleteStoreFolder(1);  // not cached: nothing goes
    EXPECT_EQ(vellum->GetStoreResCount(11), 2);
    vellum->DeleteStoreFolder(11);
    EXPECT_EQ(vellum->GetStoreResCount(11), 0);
}

TEST(OrgCachesThroughTheModule, CustomViewListsAreFreedThroughTheirSlots) {
    HostInstance vellum;
    std::vector<CUSTOM_VIEW> views(2, Zeroed<CUSTOM_VIEW>());
    vellum->SetCustomViewList(Linked(views));
    CUSTOM_VIEW* viewList = nullptr;
    ASSERT_TRUE(vellum->GetCustomViewList(&viewList));
    Module().instances->FreeCustomViewList(viewList);

    std::vector<CUSTOM_VIEW_ORG> nodes(3, Zeroed<CUSTOM_VIEW_ORG>());
    for (int i = 0; i < 3; ++i) {
        nodes[i].id = i;
        nodes[i].ownerId = 4;
        nodes[i].sortIndex = i == 1 ? 0 : 7;
    }
    vellum->SetCustomViewOrgList(Linked(nodes));
    CUSTOM_VIEW_ORG* nodeList = nullptr;
    ASSERT_TRUE(vellum->GetCustomViewOrgList(&nodeList, 4));
    EXPECT_EQ(Collect(nodeList, &CUSTOM_VIEW_ORG::id), (std::vector<int>{1, 0, 2}));
    Module().instances->FreeCustomViewOrgList(nodeList);

    std::vector<CUSTOM_VIEW_RES> viewResources(2, Zeroed<CUSTOM_VIEW_RES>());
    vellum->SetCustomViewResList(Linked(viewResources), 3);
    CUSTOM_VIEW_RES* resourceList = nullptr;
    ASSERT_TRUE(vellum->GetCustomViewResList(&resourceList, 3));
    Module().instances->FreeCustomViewResList(resourceList);
}

TEST(OrgCachesThroughTheModule, CrowdListsAreFreedThroughTheirSlots) {
    HostInstance vellum;
    std::vector<CROWD_FOLDER> folders(2, Zeroed<CROWD_FOLDER>());
    folders[0].id = 7;
    std::strcpy(folders[0].name, "seven");
    folders[1].id = 3;
    std::strcpy(folders[1].name, "three");
    vellum->SetCrowdFolderList(Linked(folders));
    std::vector<CROWD_RES> resources(1, Zeroed<CROWD_RES>());
    resources[0].resId = 1;
    resources[0].resType = 5;
    vellum->SetCrowdResList(Linked(resources), 7);
    vellum->SetCrowdResList(Linked(resources), 3);

    CROWD_FOLDER* folderList = nullptr;
    ASSERT_TRUE(vellum->GetCrowdFolderListByRes(5, 1, &folderList));
    ASSERT_NE(folderList, nullptr);
    EXPECT_EQ(Collect(folderList, &CROWD_FOLDER::id), (std::vector<int>{3, 7}));
    EXPECT_STREQ(folderList->name, "three");
    Module().instances->FreeCrowdFolderList(folderList);

    CROWD_RES* resourceList = nullptr;
    ASSERT_TRUE(vellum->GetCrowdResList(7, &resourceList));
    EXPECT_EQ(Collect(resourceList, &CROWD_RES::resId), std::vector<int>{1});
    Module().instances->FreeCrowdResList(resourceList);
}

}  // namespace
