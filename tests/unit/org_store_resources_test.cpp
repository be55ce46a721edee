// Storage resources: filing under the first record's folder, listing by own folderId,
// counting, look-ups across folders, single deletes and the clearing of storage data.
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
using org_test::TakeList;

class StoreResourceTest : public store_test::FaultSafeTest {
protected:
    void Deposit(std::vector<STORE_RES> resources) {
        EXPECT_TRUE(m_store.SetStoreResList(Linked(resources)));
    }

    std::vector<std::string> ListedCodes(int folderId) {
        STORE_RES* head = nullptr;
        const bool found = m_store.GetStoreResList(&head, folderId);
        std::vector<std::string> codes;
        for (const STORE_RES& resource : TakeList(head)) codes.emplace_back(resource.indexCode);
        EXPECT_EQ(found, !codes.empty());
        return codes;
    }

    CDataOper m_store;
    std::vector<STORE_FOLDER> m_folders;  // deposited one by one; next stays null
};

using StoreResourceFiling = StoreResourceTest;

TEST_F(StoreResourceFiling, ListIsFiledUnderItsFirstRecordsFolder) {
    Deposit({Resource(1, "a"), Resource(2, "b"), Resource(1, "c")});
    EXPECT_EQ(m_store.GetStoreResCount(1), 3);
    EXPECT_EQ(m_store.GetStoreResCount(2), 0);
    EXPECT_EQ(ListedCodes(1), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(ListedCodes(2), std::vector<std::string>{});
    // Found across folders even though its own folderId is not where it is filed.
    STORE_RES out;
    ASSERT_TRUE(m_store.GetStoreResByIndexCode(&out, "b", 1));
    EXPECT_EQ(out.folderId, 2);
}

TEST_F(StoreResourceFiling, RedepositKeepsOneEntryPerIndexCodeWithTheLaterCopy) {
    Deposit({Resource(1, "a", 1, 5), Resource(1, "b")});
    Deposit({Resource(1, "a", 1, 6), Resource(1, "a", 1, 7)});
    EXPECT_EQ(m_store.GetStoreResCount(1), 2);
    STORE_RES out;
    ASSERT_TRUE(m_store.GetStoreResByIndexCode(&out, "a", 1));
    EXPECT_EQ(out.sortIndex, 7);
}

TEST_F(StoreResourceFiling, NullListIsRefused) {
    EXPECT_FALSE(m_store.SetStoreResList(nullptr));
    EXPECT_EQ(m_store.GetStoreResCount(0), 0);
}

TEST_F(StoreResourceFiling, UnterminatedIndexCodeIsKeyedByItsFullWidth) {
    STORE_RES resource = Resource(1, "");
    std::memset(resource.indexCode, 'k', sizeof resource.indexCode);
    Deposit({resource});
    EXPECT_TRUE(m_store.IsStoreResExist(std::string(324, 'k').c_str(), 1));
    EXPECT_FALSE(m_store.IsStoreResExist(std::string(325, 'k').c_str(), 1));
}

using StoreResourceList = StoreResourceTest;

TEST_F(StoreResourceList, ResourcesComeInSortIndexThenResIdOrderAsWholeCopies) {
    std::vector<STORE_RES> resources{Resource(4, "a", 1, 3, 1), Resource(4, "b", 1, -2, 9),
                                     Resource(4, "c", 1, 3, 0), Resource(4, "d", 1, 1, 5)};
    Deposit(resources);
    STORE_RES* head = nullptr;
    ASSERT_TRUE(m_store.GetStoreResList(&head, 4));
    const std::vector<STORE_RES> listed = TakeList(head);
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_TRUE(org_test::SameRecord(listed[0], resources[1]));
    EXPECT_TRUE(org_test::SameRecord(listed[1], resources[3]));
    EXPECT_TRUE(org_test::SameRecord(listed[2], resources[2]));
    EXPECT_TRUE(org_test::SameRecord(listed[3], resources[0]));
    EXPECT_FALSE(m_store.GetStoreResList(nullptr, 4));
}

using StoreResourceLookup = StoreResourceTest;

TEST_F(StoreResourceLookup, SmallerFolderIdWinsAndTheTypeMustMatch) {
    Deposit({Resource(9, "same", 2, 90)});
    Deposit({Resource(3, "same", 2, 30)});
    Deposit({Resource(1, "same", 5, 10)});
    STORE_RES out;
    ASSERT_TRUE(m_store.GetStoreResByIndexCode(&out, "same", 2));
    EXPECT_EQ(out.folderId, 3);
    EXPECT_EQ(out.next, nullptr);
    EXPECT_TRUE(m_store.IsStoreResExist("same", 5));
    EXPECT_FALSE(m_store.IsStoreResExist("same", 7));

    std::memset(&out, 0x33, sizeof out);
    const STORE_RES before = out;
    EXPECT_FALSE(m_store.GetStoreResByIndexCode(&out, "same", 7));
    EXPECT_FALSE(m_store.GetStoreResByIndexCode(&out, "Same", 2));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
}

using StoreResourceRemoval = StoreResourceTest;

TEST_F(StoreResourceRemoval, DeleteTakesOnlyThatFoldersEntry) {
    Deposit({Resource(1, "x"), Resource(1, "y")});
    Deposit({Resource(2, "x")});
    m_store.DeleteStoreRes("x", 1);
    m_store.DeleteStoreRes("missing", 1);
    m_store.DeleteStoreRes("x", 7);
    EXPECT_EQ(m_store.GetStoreResCount(1), 1);
    EXPECT_EQ(m_store.GetStoreResCount(2), 1);
    EXPECT_TRUE(m_store.IsStoreResExist("x", 1));
}

TEST_F(StoreResourceRemoval, ClearStoreDataEmptiesResourcesAndFolders) {
    std::vector<STORE_FOLDER> folders{Folder(1, 0, "f")};
    m_store.SetStoreFolderList(Linked(folders));
    Deposit({Resource(1, "x")});
    m_store.ClearStoreData();
    EXPECT_EQ(m_store.GetStoreResCount(1), 0);
    STORE_FOLDER out;
    EXPECT_FALSE(m_store.GetStoreFolderByID(&out, 1));
}

}  // namespace

namespace {

// A plain model of the resource cache: folders in ascending id, codes in order.
using ResourceModel = std::map<int32_t, std::map<std::string, STORE_RES>>;

const STORE_RES* ScanModel(const ResourceModel& model, const std::string& code, int resType) {
    for (const auto& [folderId, resources] : model) {
        auto found = resources.find(code);
        if (found != resources.end() && found->second.resType == resType) return &found->second;
    }
    return nullptr;
}

}  // namespace

// Deposits, single deletes and folder deletes in random order; after each step every
// code and type is looked up across folders and compared with a scan of the model.
TEST_F(StoreResourceLookup, AnswersLikeAScanOfEveryFolderThroughDepositsAndDeletes) {
    std::mt19937 random(7);
    ResourceModel model;
    std::set<int> cached;  // folders still in the folder cache; folder f's parent is f / 4
    for (int folder = 1; folder <= 12; ++folder, cached.insert(folder - 1))
        m_store.SetStoreFolderList(&(m_folders.emplace_back(Folder(folder, folder / 4, "f"))));
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
                Deposit(list);
                for (const STORE_RES& resource : list) model[folder][resource.indexCode] = resource;
            }
        }
        for (int c = 0; c < 15; ++c) {
            const std::string probe = "c" + std::to_string(c);
            for (int type = 0; type < 3; ++type) {
                const STORE_RES* expected = ScanModel(model, probe, type);
                STORE_RES out = Resource(-1, "untouched");
                ASSERT_EQ(m_store.GetStoreResByIndexCode(&out, probe.c_str(), type),
                          expected != nullptr);
                ASSERT_EQ(m_store.IsStoreResExist(probe.c_str(), type), expected != nullptr);
                if (expected != nullptr) {
                    ASSERT_TRUE(org_test::SameRecord(out, *expected));
                }
            }
        }
    }
}
