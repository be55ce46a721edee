// Storage folders and resources: deposits, children in order, rename, the name check,
// resources filed under the first record's folder, and deletes and look-ups across
// folders against a scan of a plain model.
#include <gtest/gtest.h>

#include <algorithm>
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
using org_test::Ids;
using org_test::Linked;
using org_test::Listed;
using org_test::Resource;
using org_test::SameRecord;
using org_test::SameRecords;

class StoreCatalog : public store_test::FaultSafeTest {
protected:
    void Deposit(std::vector<STORE_FOLDER> folders) { m_store.SetStoreFolderList(Linked(folders)); }
    void DepositResources(std::vector<STORE_RES> resources) {
        EXPECT_TRUE(m_store.SetStoreResList(Linked(resources)));
    }
    std::vector<int> ChildIds(int parentId) {
        return Ids(Listed<STORE_FOLDER>(
            [&](auto** head) { return m_store.GetStoreFolderList(head, parentId); }));
    }
    // Those of `ids` that are cached, in the order given.
    std::vector<int> Cached(const std::vector<int>& ids) {
        std::vector<int> cached;
        STORE_FOLDER out;
        for (int id : ids)
            if (m_store.GetStoreFolderByID(&out, id)) cached.push_back(id);
        return cached;
    }

    CDataOper m_store;
};

// A later folder of an id replaces the earlier; a hit is a whole copy with a null next,
// a miss writes nothing; children come in (sortIndex, id) order, a folder that is its own
// parent among its children; parent links that loop still end a delete.
TEST_F(StoreCatalog, FoldersByIdChildrenInOrderAndADeleteThroughACycle) {
    std::vector<STORE_FOLDER> folders{Folder(1, 0, "first"), Folder(1, 2, "second", 9)};
    m_store.SetStoreFolderList(Linked(folders));
    Deposit({Folder(9, 1, "a", 2), Folder(3, 1, "b", 2), Folder(7, 1, "c", -1),
             Folder(5, 1, "d", 2), Folder(4, 3, "grandchild", 0), Folder(11, 12, "loop"),
             Folder(12, 11, "loop"), Folder(13, 12, "below"), Folder(16, 16, "self")});
    STORE_FOLDER out;
    ASSERT_TRUE(m_store.GetStoreFolderByID(&out, 1));
    EXPECT_TRUE(SameRecord(out, folders[1]));
    EXPECT_EQ(out.next, nullptr);
    std::memset(&out, 0x5A, sizeof out);
    const STORE_FOLDER before = out;
    EXPECT_FALSE(m_store.GetStoreFolderByID(&out, 6));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
    EXPECT_EQ(ChildIds(1), (std::vector<int>{7, 3, 5, 9}));
    EXPECT_EQ(ChildIds(2), std::vector<int>{1});
    EXPECT_EQ(ChildIds(0), std::vector<int>{});
    EXPECT_EQ(ChildIds(16), std::vector<int>{16});
    m_store.DeleteStoreFolder(11);
    EXPECT_EQ(Cached({11, 12, 13, 16}), std::vector<int>{16});
}

// A rename keeps at most 258 characters; a name counts as taken except for the folder
// that bears it, and an unterminated name is compared up to its width.
TEST_F(StoreCatalog, RenameAndTheFolderNameCheck) {
    STORE_FOLDER unterminated = Folder(4, 0, "");
    std::memset(unterminated.name, 'w', sizeof unterminated.name);
    Deposit({Folder(1, 0, "top"), Folder(2, 1, "Shared"), Folder(3, 1, "x"), unterminated});
    EXPECT_FALSE(m_store.RenameStoreFolder("new", 9));
    EXPECT_FALSE(m_store.RenameStoreFolder(nullptr, 1));
    EXPECT_TRUE(m_store.RenameStoreFolder(std::string(300, 'L').c_str(), 1));
    EXPECT_TRUE(m_store.IsStoreFolderNameExist(std::string(258, 'L').c_str(), 2));
    EXPECT_TRUE(m_store.RenameStoreFolder("short", 1));
    const std::string wide(260, 'w');
    const std::string wider(261, 'w');
    const struct {
        const char* name;
        int id;
        bool taken;
    } cases[] = {{"short", 2, true},      {"top", 2, false},        {"new", 2, false},
                 {"Shared", 2, false},    {"Shared", 3, true},      {"Shared", 99, true},
                 {"shared", 3, false},    {"Share", 3, false},      {nullptr, 3, false},
                 {wide.c_str(), 5, true}, {wider.c_str(), 5, false}};
    for (const auto& c : cases)
        EXPECT_EQ(m_store.IsStoreFolderNameExist(c.name, c.id), c.taken)
            << (c.name ? c.name : "null") << " for " << c.id;
}

// A folder lists, in (sortIndex, resId) order, those filed under it whose own folderId
// it is; an unterminated index code is keyed by its full width.
TEST_F(StoreCatalog, ResourcesAreListedInSortIndexThenResIdOrder) {
    std::vector<STORE_RES> resources{Resource(4, "a", 1, 3, 1), Resource(4, "b", 1, -2, 9),
                                     Resource(2, "c", 1, -5, 0), Resource(4, "d", 1, 3, 0),
                                     Resource(4, "e", 1, 1, 5)};
    DepositResources(resources);
    auto listed = [&](int folderId) {
        return Listed<STORE_RES>(
            [&](auto** head) { return m_store.GetStoreResList(head, folderId); });
    };
    EXPECT_TRUE(SameRecords(listed(4), {resources[1], resources[4], resources[3], resources[0]}));
    EXPECT_TRUE(listed(2).empty());

    STORE_RES unterminated = Resource(1, "");
    std::memset(unterminated.indexCode, 'k', sizeof unterminated.indexCode);
    DepositResources({unterminated});
    EXPECT_TRUE(m_store.IsStoreResExist(std::string(324, 'k').c_str(), 1));
    EXPECT_FALSE(m_store.IsStoreResExist(std::string(325, 'k').c_str(), 1));
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

// Random deposits and deletes over folders 0 to 12, folder f under f / 2 (so folder 0 is
// its own parent), compared with a plain model after each step: the folders cached, the
// counts, and every code and type looked up across folders. A list is filed under its
// first record's folder, replacing earlier copies of its codes there; a folder delete
// takes every descendant and their resources, that of a folder not cached nothing; the
// smallest folder id holding the code with that type wins, and a miss writes nothing.
TEST_F(StoreCatalog, DepositsDeletesAndLookupsAnswerLikeAPlainModel) {
    std::mt19937 random(7);
    auto pick = [&](int bound) { return static_cast<int>(random() % bound); };
    std::set<int> cached;
    ResourceModel model;
    int deepDeletes = 0;  // deletes that took a grandchild
    for (int step = 0; step < 300; ++step) {
        const int folder = pick(13);
        const std::string code = "c" + std::to_string(pick(15));
        switch (pick(8)) {
            case 0:
                m_store.DeleteStoreRes(code.c_str(), folder);
                model[folder].erase(code);
                break;
            case 1: {
                m_store.DeleteStoreFolder(folder);
                std::vector<int> doomed;  // in breadth-first order, so the largest id last
                if (cached.erase(folder) != 0) doomed.push_back(folder);
                for (std::size_t i = 0; i < doomed.size(); ++i)
                    for (int child : {doomed[i] * 2, doomed[i] * 2 + 1})
                        if (cached.erase(child) != 0) doomed.push_back(child);
                for (int gone : doomed) model.erase(gone);
                deepDeletes += !doomed.empty() && doomed.back() >= std::max(4 * folder, 2);
                break;
            }
            case 2:
                Deposit({Folder(folder, folder / 2, "f")});
                cached.insert(folder);
                break;
            default: {
                std::vector<STORE_RES> list{
                    Resource(folder, code, pick(3)),
                    Resource(pick(13), "c" + std::to_string(pick(15)), pick(3), pick(3))};
                DepositResources(list);
                for (const STORE_RES& resource : list) model[folder][resource.indexCode] = resource;
            }
        }
        for (int f = 0; f <= 12; ++f)
            ASSERT_EQ(m_store.GetStoreResCount(f), static_cast<int>(model[f].size())) << f;
        ASSERT_EQ(Cached({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
                  std::vector<int>(cached.begin(), cached.end()));
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
    EXPECT_GT(deepDeletes, 0);
}

}  // namespace
