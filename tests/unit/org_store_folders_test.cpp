// Storage folders: deposits, children listing, single copies, rename, the name check
// and deletion with descendants and their resource collections.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "store_test_support.h"

namespace {

using org_test::Folder;
using org_test::Linked;
using org_test::Resource;
using org_test::TakeList;

class StoreFolderTest : public store_test::FaultSafeTest {
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

    CDataOper m_store;
};

using StoreFolderDeposit = StoreFolderTest;

TEST_F(StoreFolderDeposit, LaterRecordOfAnIdWinsAndASecondListAdds) {
    Deposit({Folder(1, 0, "first"), Folder(1, 0, "second")});
    Deposit({Folder(2, 0, "other")});
    STORE_FOLDER out;
    ASSERT_TRUE(m_store.GetStoreFolderByID(&out, 1));
    EXPECT_STREQ(out.name, "second");
    EXPECT_TRUE(Cached(2));
}

TEST_F(StoreFolderDeposit, SingleCopyIsWholeWithNoNextAndAMissWritesNothing) {
    std::vector<STORE_FOLDER> folders{Folder(4, 2, "four", 9), Folder(5, 2, "five")};
    m_store.SetStoreFolderList(Linked(folders));
    STORE_FOLDER out;
    ASSERT_TRUE(m_store.GetStoreFolderByID(&out, 4));
    EXPECT_TRUE(org_test::SameRecord(out, folders[0]));
    EXPECT_EQ(out.next, nullptr);

    std::memset(&out, 0x5A, sizeof out);
    const STORE_FOLDER before = out;
    EXPECT_FALSE(m_store.GetStoreFolderByID(&out, 6));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
}

using StoreFolderList = StoreFolderTest;

TEST_F(StoreFolderList, ChildrenComeInSortIndexThenIdOrder) {
    Deposit({Folder(9, 1, "a", 2), Folder(3, 1, "b", 2), Folder(7, 1, "c", -1),
             Folder(5, 1, "d", 2), Folder(4, 3, "grandchild", 0)});
    EXPECT_EQ(ChildIds(1), (std::vector<int>{7, 3, 5, 9}));
    EXPECT_EQ(ChildIds(8), std::vector<int>{});
    EXPECT_FALSE(m_store.GetStoreFolderList(nullptr, 1));
}

TEST_F(StoreFolderList, FolderThatIsItsOwnParentIsAmongItsChildrenAndDeletesNormally) {
    Deposit({Folder(6, 6, "self"), Folder(7, 6, "child")});
    EXPECT_EQ(ChildIds(6), (std::vector<int>{6, 7}));
    m_store.DeleteStoreFolder(6);
    EXPECT_FALSE(Cached(6));
    EXPECT_FALSE(Cached(7));
}

using StoreFolderDelete = StoreFolderTest;

TEST_F(StoreFolderDelete, ReachesGrandchildrenAndTheirResourcesAndSparesAParallelSubtree) {
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

TEST_F(StoreFolderDelete, UncachedIdRemovesNothingNotEvenItsChildren) {
    Deposit({Folder(2, 1, "orphan")});
    DepositResources({Resource(1, "r")});
    m_store.DeleteStoreFolder(1);
    EXPECT_TRUE(Cached(2));
    EXPECT_EQ(m_store.GetStoreResCount(1), 1);
}

TEST_F(StoreFolderDelete, CycleInParentLinksEnds) {
    Deposit({Folder(1, 2, "a"), Folder(2, 1, "b"), Folder(3, 2, "c"), Folder(4, 9, "kept")});
    m_store.DeleteStoreFolder(1);
    EXPECT_FALSE(Cached(1));
    EXPECT_FALSE(Cached(2));
    EXPECT_FALSE(Cached(3));
    EXPECT_TRUE(Cached(4));
}

using StoreFolderRename = StoreFolderTest;

TEST_F(StoreFolderRename, LongNameIsCutAfter258Characters) {
    Deposit({Folder(1, 0, "old")});
    const std::string longName(300, 'L');
    EXPECT_TRUE(m_store.RenameStoreFolder(longName.c_str(), 1));
    STORE_FOLDER out;
    ASSERT_TRUE(m_store.GetStoreFolderByID(&out, 1));
    EXPECT_EQ(std::string(out.name), std::string(258, 'L'));

    EXPECT_TRUE(m_store.RenameStoreFolder("short", 1));
    ASSERT_TRUE(m_store.GetStoreFolderByID(&out, 1));
    EXPECT_STREQ(out.name, "short");
}

TEST_F(StoreFolderRename, UncachedFolderOrNullNameChangesNothing) {
    Deposit({Folder(1, 0, "old")});
    EXPECT_FALSE(m_store.RenameStoreFolder("new", 2));
    EXPECT_FALSE(m_store.RenameStoreFolder(nullptr, 1));
    STORE_FOLDER out;
    ASSERT_TRUE(m_store.GetStoreFolderByID(&out, 1));
    EXPECT_STREQ(out.name, "old");
    EXPECT_FALSE(Cached(2));
}

using StoreFolderNameCheck = StoreFolderTest;

TEST_F(StoreFolderNameCheck, NameCountsAsTakenExceptForTheFolderThatBearsIt) {
    Deposit({Folder(1, 0, "top"), Folder(2, 1, "Shared"), Folder(3, 1, "x")});
    EXPECT_FALSE(m_store.IsStoreFolderNameExist("Shared", 2));
    EXPECT_TRUE(m_store.IsStoreFolderNameExist("Shared", 3));
    EXPECT_TRUE(m_store.IsStoreFolderNameExist("Shared", 99));
    EXPECT_FALSE(m_store.IsStoreFolderNameExist("shared", 3));
    EXPECT_FALSE(m_store.IsStoreFolderNameExist("Share", 3));
    EXPECT_FALSE(m_store.IsStoreFolderNameExist(nullptr, 3));
}

TEST_F(StoreFolderNameCheck, UnterminatedNameIsComparedUpToItsWidth) {
    STORE_FOLDER folder = Folder(1, 0, "");
    std::memset(folder.name, 'w', sizeof folder.name);
    Deposit({folder, Folder(2, 0, "next")});
    EXPECT_TRUE(m_store.IsStoreFolderNameExist(std::string(260, 'w').c_str(), 5));
    EXPECT_FALSE(m_store.IsStoreFolderNameExist(std::string(261, 'w').c_str(), 5));
}

}  // namespace
