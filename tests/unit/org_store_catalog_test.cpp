// Storage folders and resources: deposits, children in order, rename, the name check,
// deletion with descendants, resources filed under the first record's folder, and the
// look-ups across folders against a scan of a plain model.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "store_test_support.h"

namespace {

using org_test::Folder;
using org_test::Linked;
using org_test::Resource;
using org_test::SameRecord;
using org_test::TakeList;

class StoreCatalog : public store_test::FaultSafeTest {
protected:
    void Deposit(std::vector<STORE_FOLDER> folders) { m_store.SetStoreFolderList(Linked(folders)); }
    void DepositResources(std::vector<STORE_RES> resources) {
        EXPECT_TRUE(m_store.SetStoreResList(Linked(resources)));
    }

    std::vector<int> ChildIds(int parentId) {
        STORE_FOLDER* head = nullptr;
        const bool found = m_store.GetStoreFolderList(&head, parentId);
        std::vector<int> ids;
        for (const STORE_FOLDER& folder : TakeList(head)) ids.push_back(folder.id);
        EXPECT_EQ(found, !ids.empty());
        return ids;
    }

    bool Cached(int id) {
        STORE_FOLDER out;
        return m_store.GetStoreFolderByID(&out, id);
    }

    std::string Name(int id) {
        STORE_FOLDER out;
        EXPECT_TRUE(m_store.GetStoreFolderByID(&out, id)) << id;
        return out.name;
    }

    CDataOper m_store;
};

TEST_F(StoreCatalog, ALaterFolderOfAnIdWinsAndItsCopyIsWholeWithNoNext) {
    std::vector<STORE_FOLDER> folders{Folder(1, 0, "first"), Folder(1, 2, "second", 9)};
    m_store.SetStoreFolderList(Linked(folders));
    Deposit({Folder(2, 0, "other")});
    STORE_FOLDER out;
    ASSERT_TRUE(m_store.GetStoreFolderByID(&out, 1));
    EXPECT_TRUE(SameRecord(out, folders[1]));
    EXPECT_EQ(out.next, nullptr);
    EXPECT_TRUE(Cached(2));

    std::memset(&out, 0x5A, sizeof out);
    const STORE_FOLDER before = out;
    EXPECT_FALSE(m_store.GetStoreFolderByID(&out, 6));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
}

TEST_F(StoreCatalog, ChildrenComeInSortIndexThenIdOrderAndASelfParentIsAmongThem) {
    Deposit({Folder(9, 1, "a", 2), Folder(3, 1, "b", 2), Folder(7, 1, "c", -1),
             Folder(5, 1, "d", 2), Folder(4, 3, "grandchild", 0), Folder(6, 6, "self"),
             Folder(8, 6, "child")});
    EXPECT_EQ(ChildIds(1), (std::vector<int>{7, 3, 5, 9}));
    EXPECT_EQ(ChildIds(2), std::vector<int>{});
    EXPECT_FALSE(m_store.GetStoreFolderList(nullptr, 1));
    EXPECT_EQ(ChildIds(6), (std::vector<int>{6, 8}));
    m_store.DeleteStoreFolder(6);
    EXPECT_FALSE(Cached(6));
    EXPECT_FALSE(Cached(8));
}

TEST_F(StoreCatalog, DeleteReachesGrandchildrenAndTheirResourcesAndSparesAParallelSubtree) {
    //      1            10
    //    2   3          11
    //    4              12
    //    5
    Deposit({Folder(1, 0, "top"), Folder(2, 1, "a"), Folder(3, 1, "b"), Folder(4, 2, "c"),
             Folder(5, 4, "d"), Folder(10, 0, "other"), Folder(11, 10, "e"), Folder(12, 11, "f")});
    for (int id : {1, 2, 3, 4, 5, 10, 11, 12})
        DepositResources({Resource(id, "r" + std::to_string(id)), Resource(id, "shared")});

    m_store.DeleteStoreFolder(1);
    for (int id : {1, 2, 3, 4, 5}) {
        EXPECT_FALSE(Cached(id)) << id;
        EXPECT_EQ(m_store.GetStoreResCount(id), 0) << id;
    }
    for (int id : {10, 11, 12}) {
        EXPECT_TRUE(Cached(id)) << id;
        EXPECT_EQ(m_store.GetStoreResCount(id), 2) << id;
    }
    EXPECT_TRUE(m_store.IsStoreResExist("shared", 1));
}

// An uncached folder takes nothing with it, not even its children; a cycle ends.
TEST_F(StoreCatalog, DeleteOfAnUncachedIdRemovesNothingAndACycleInParentLinksEnds) {
    Deposit({Folder(2, 1, "orphan")});
    DepositResources({Resource(1, "r")});
    m_store.DeleteStoreFolder(1);
    EXPECT_TRUE(Cached(2));
    EXPECT_EQ(m_store.GetStoreResCount(1), 1);

    Deposit({Folder(1, 2, "a"), Folder(2, 1, "b"), Folder(3, 2, "c"), Folder(4, 9, "kept")});
    m_store.DeleteStoreFolder(1);
    EXPECT_FALSE(Cached(1));
    EXPECT_FALSE(Cached(2));
    EXPECT_FALSE(Cached(3));
    EXPECT_TRUE(Cached(4));
}

TEST_F(StoreCatalog, RenameCutsALongNameAfter258CharactersAndAMissChangesNothing) {
    Deposit({Folder(1, 0, "old")});
    EXPECT_FALSE(m_store.RenameStoreFolder("new", 2));
    EXPECT_FALSE(m_store.RenameStoreFolder(nullptr, 1));
    EXPECT_EQ(Name(1), "old");
    EXPECT_FALSE(Cached(2));
    EXPECT_TRUE(m_store.RenameStoreFolder(std::string(300, 'L').c_str(), 1));
    EXPECT_EQ(Name(1), std::string(258, 'L'));
    EXPECT_TRUE(m_store.RenameStoreFolder("short", 1));
    EXPECT_EQ(Name(1), "short");
}

// A name counts as taken except for the folder that bears it; an unterminated name is
// compared up to its width.
TEST_F(StoreCatalog, FolderNameCheck) {
    STORE_FOLDER unterminated = Folder(4, 0, "");
    std::memset(unterminated.name, 'w', sizeof unterminated.name);
    Deposit({Folder(1, 0, "top"), Folder(2, 1, "Shared"), Folder(3, 1, "x"), unterminated});
    const std::string wide(260, 'w');
    const std::string wider(261, 'w');
    const struct {
        const char* name;
        int id;
        bool taken;
    } cases[] = {{"Shared", 2, false}, {"Shared", 3, true},   {"Shared", 99, true},
                 {"shared", 3, false}, {"Share", 3, false},   {nullptr, 3, false},
                 {wide.c_str(), 5, true}, {wider.c_str(), 5, false}};
    for (const auto& c : cases)
        EXPECT_EQ(m_store.IsStoreFolderNameExist(c.name, c.id), c.taken)
            << (c.name ? c.name : "null") << " for " << c.id;
}

// Only the first record's folder counts, even for a record whose own folderId differs;
// a later copy of a code replaces the earlier.
TEST_F(StoreCatalog, AResourceListIsFiledUnderItsFirstRecordsFolder) {
    DepositResources({Resource(1, "a"), Resource(2, "b"), Resource(1, "c")});
    DepositResources({Resource(1, "a", 1, 6), Resource(1, "a", 1, 7)});
    EXPECT_EQ(m_store.GetStoreResCount(1), 3);
    EXPECT_EQ(m_store.GetStoreResCount(2), 0);
    STORE_RES* head = nullptr;
    EXPECT_FALSE(m_store.GetStoreResList(&head, 2));
    ASSERT_TRUE(m_store.GetStoreResList(&head, 1));
    const std::vector<STORE_RES> listed = TakeList(head);
    ASSERT_EQ(listed.size(), 2u);  // listed by their own folderId
    EXPECT_STREQ(listed[0].indexCode, "c");
    EXPECT_EQ(listed[1].sortIndex, 7);
    STORE_RES out;
    ASSERT_TRUE(m_store.GetStoreResByIndexCode(&out, "b", 1));
    EXPECT_EQ(out.folderId, 2);
    EXPECT_FALSE(m_store.SetStoreResList(nullptr));
}

TEST_F(StoreCatalog, ResourcesAreListedInSortIndexThenResIdOrderAsWholeCopies) {
    std::vector<STORE_RES> resources{Resource(4, "a", 1, 3, 1), Resource(4, "b", 1, -2, 9),
                                     Resource(4, "c", 1, 3, 0), Resource(4, "d", 1, 1, 5)};
    DepositResources(resources);
    STORE_RES* head = nullptr;
    ASSERT_TRUE(m_store.GetStoreResList(&head, 4));
    const std::vector<STORE_RES> listed = TakeList(head);
    const std::size_t order[] = {1, 3, 2, 0};
    ASSERT_EQ(listed.size(), 4u);
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_TRUE(SameRecord(listed[i], resources[order[i]])) << i;
    EXPECT_FALSE(m_store.GetStoreResList(nullptr, 4));
}

TEST_F(StoreCatalog, AnUnterminatedIndexCodeIsKeyedByItsFullWidth) {
    STORE_RES resource = Resource(1, "");
    std::memset(resource.indexCode, 'k', sizeof resource.indexCode);
    DepositResources({resource});
    EXPECT_TRUE(m_store.IsStoreResExist(std::string(324, 'k').c_str(), 1));
    EXPECT_FALSE(m_store.IsStoreResExist(std::string(325, 'k').c_str(), 1));
}

TEST_F(StoreCatalog, ClearStoreDataEmptiesResourcesAndFolders) {
    Deposit({Folder(1, 0, "f")});
    DepositResources({Resource(1, "x")});
    m_store.ClearStoreData();
    EXPECT_EQ(m_store.GetStoreResCount(1), 0);
    EXPECT_FALSE(Cached(1));
}

// A plain model of the resource cache: folders in ascending id, codes in order.
using ResourceModel = std::map<int32_t, std::map<std::string, STORE_RES>>;

const STORE_RES* ScanModel(const ResourceModel& model, const std::string& code, int resType) {
    for (const auto& [folderId, resources] : model) {
        auto found = resources.find(code);
        if (found != resources.end() && found->second.resType == resType) return &found->second;
    }
    return nullptr;
}

// Deposits, single deletes and folder deletes in random order; after each step every
// code and type is looked up across folders and compared with a scan of the model: the
// smallest folder id holding the code with that type wins, and a miss writes nothing.
TEST_F(StoreCatalog, LookupsAnswerLikeAScanOfEveryFolderThroughDepositsAndDeletes) {
    std::mt19937 random(7);
    ResourceModel model;
    std::vector<STORE_FOLDER> folders;  // deposited one by one; next stays null
    folders.reserve(12);
    std::set<int> cached;  // folders still in the folder cache; folder f's parent is f / 4
    for (int folder = 1; folder <= 12; ++folder, cached.insert(folder - 1))
        m_store.SetStoreFolderList(&(folders.emplace_back(Folder(folder, folder / 4, "f"))));
    auto pick = [&](int bound) { return static_cast<int>(random() % bound); };
    for (int step = 0; step < 300; ++step) {
        const int folder = 1 + pick(12);
        const std::string code = "c" + std::to_string(pick(15));
        switch (pick(6)) {
            case 0:
                m_store.DeleteStoreRes(code.c_str(), folder);
                if (model.count(folder)) model[folder].erase(code);
                break;
            case 1:
                if (pick(4) != 0) break;  // a folder with its descendants, rarely
                m_store.DeleteStoreFolder(folder);
                if (cached.erase(folder) == 0) break;  // not cached: nothing goes
                model.erase(folder);
                for (int child = folder * 4; child < folder * 4 + 4; ++child)
                    if (cached.erase(child) != 0) model.erase(child);
                break;
            default: {
                std::vector<STORE_RES> list{
                    Resource(folder, code, pick(3)),
                    Resource(folder, "c" + std::to_string(pick(15)), pick(3))};
                DepositResources(list);
                for (const STORE_RES& resource : list) model[folder][resource.indexCode] = resource;
            }
        }
        for (int c = 0; c < 15; ++c) {
            const std::string probe = "c" + std::to_string(c);
            for (int type = 0; type < 3; ++type) {
                const STORE_RES* expected = ScanModel(model, probe, type);
                const STORE_RES untouched = Resource(-1, "untouched");
                STORE_RES out = untouched;
                ASSERT_EQ(m_store.GetStoreResByIndexCode(&out, probe.c_str(), type),
                          expected != nullptr);
                ASSERT_EQ(m_store.IsStoreResExist(probe.c_str(), type), expected != nullptr);
                ASSERT_TRUE(SameRecord(out, expected != nullptr ? *expected : untouched));
                ASSERT_EQ(out.next, nullptr);
            }
        }
    }
}

}  // namespace
