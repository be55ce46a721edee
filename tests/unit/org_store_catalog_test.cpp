// The flat organisation collections: storage folders and resources (deposits, deletes and
// look-ups across folders also against a plain model), and on their components custom
// views and crowd data, with their ClearAll through the facade.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "org/CrowdData.h"
#include "org/CustomViews.h"
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
using org_test::SetText;
using org_test::TakeList;
using org_test::Zeroed;

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
    std::vector<int> Cached(const std::vector<int>& ids) {
        std::vector<int> cached;
        STORE_FOLDER out;
        for (int id : ids)
            if (m_store.GetStoreFolderByID(&out, id)) cached.push_back(id);
        return cached;
    }

    CDataOper m_store;
};

// A later folder of an id replaces the earlier; a hit is a whole copy, a miss writes nothing;
// children in (sortIndex, id) order, a self-parent among its own; a cycle ends a delete.
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
    EXPECT_TRUE(SameRecords(
        Listed<STORE_RES>([&](auto** head) { return m_store.GetStoreResList(head, 4); }),
        {resources[1], resources[4], resources[3], resources[0]}));
    EXPECT_TRUE(Listed<STORE_RES>([&](auto** h) { return m_store.GetStoreResList(h, 2); }).empty());

    STORE_RES unterminated = Resource(1, "");
    std::memset(unterminated.indexCode, 'k', sizeof unterminated.indexCode);
    DepositResources({unterminated});
    EXPECT_TRUE(m_store.IsStoreResExist(std::string(324, 'k').c_str(), 1));
    EXPECT_FALSE(m_store.IsStoreResExist(std::string(325, 'k').c_str(), 1));
}

// Random deposits and deletes over folders 0 to 12, f under f / 2 (0 its own parent),
// checked against a plain model after each step: folders cached, counts, and look-ups of
// every code and type. A list is filed under its first record's folder, replacing copies
// of its codes there; a folder delete takes all descendants and their resources, that of
// an uncached folder nothing; the lowest folder id holding code and type wins.
TEST_F(StoreCatalog, DepositsDeletesAndLookupsAnswerLikeAPlainModel) {
    std::mt19937 random(7);
    auto pick = [&](int bound) { return static_cast<int>(random() % bound); };
    std::set<int> cached;
    std::map<int32_t, std::map<std::string, STORE_RES>> model;  // folders in ascending id
    auto scan = [&](const std::string& code, int resType) -> const STORE_RES* {
        for (const auto& [folderId, resources] : model) {
            auto found = resources.find(code);
            if (found != resources.end() && found->second.resType == resType) return &found->second;
        }
        return nullptr;
    };
    int deepDeletes = 0;  // deletes that took a grandchild
    for (int step = 0; step < 300; ++step) {
        const int folder = pick(13);
        const int otherFolder = pick(13);  // one draw per statement: the same data everywhere
        const std::string code = "c" + std::to_string(pick(15));
        const std::string otherCode = "c" + std::to_string(pick(15));
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
            case 3:
                Deposit({Folder(folder, folder / 2, "f")});
                cached.insert(folder);
                break;
            default: {
                std::vector<STORE_RES> list{Resource(folder, code, pick(3)),
                                            Resource(otherFolder, otherCode, pick(3), folder)};
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
                const STORE_RES* expected = scan(probe, type);
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

// Braced records are in field order: CUSTOM_VIEW_ORG {id, ownerId, nodeData, sortIndex},
// CUSTOM_VIEW_RES {id, ownerId, resId, resData}, CROWD_FOLDER {id, name}. Crowd resources
// are zero-filled, padding too, as the module makes those it hands out.
CROWD_RES CrowdResource(int32_t resId, int32_t resType, const std::string& name) {
    auto resource = Zeroed<CROWD_RES>();
    resource.resId = resId;
    resource.resType = resType;
    SetText(resource.name, name);
    return resource;
}

// Views come back as often as deposited, in deposit order; every node of an owner comes
// back, in sortIndex order and nodes sharing one in deposit order.
TEST(CustomViews, ViewsAndNodesComeBackInDepositOrderAsOftenAsDeposited) {
    CustomViews views;
    EXPECT_TRUE(Listed<CUSTOM_VIEW>([&](auto** h) { return views.GetCustomViewList(h); }).empty());
    std::vector<CUSTOM_VIEW> deposit{{{1, 1}, nullptr}, {{2}, nullptr}};
    views.SetCustomViewList(Linked(deposit));
    views.SetCustomViewList(Linked(deposit));
    EXPECT_TRUE(
        SameRecords(Listed<CUSTOM_VIEW>([&](auto** h) { return views.GetCustomViewList(h); }),
                    {deposit[0], deposit[1], deposit[0], deposit[1]}));

    std::vector<CUSTOM_VIEW_ORG> nodes{{1, 7, {}, 5, nullptr},
                                       {2, 7, {}, -1, nullptr},
                                       {3, 7, {}, 5, nullptr},
                                       {4, 8, {}, 0, nullptr}};
    views.SetCustomViewOrgList(Linked(nodes));
    views.SetCustomViewOrgList(Linked(nodes));
    auto ids = [&](int ownerId) {
        return Ids(Listed<CUSTOM_VIEW_ORG>(
            [&](auto** head) { return views.GetCustomViewOrgList(head, ownerId); }));
    };
    EXPECT_EQ(ids(7), (std::vector<int>{2, 2, 1, 3, 1, 3}));
    EXPECT_EQ(ids(8), (std::vector<int>{4, 4}));
    EXPECT_EQ(ids(9), std::vector<int>{});
}

// Lists are kept per key and extended by later deposits; a look-up by resId and owner
// searches the keys in ascending order.
TEST(CustomViews, ResourcesAreKeptPerKeyAndFoundByResIdAndOwnerInKeyOrder) {
    CustomViews views;
    std::vector<CUSTOM_VIEW_RES> underNine{{90, 1, 5, {90}, nullptr}, {91, 1, 6, {91}, nullptr}};
    std::vector<CUSTOM_VIEW_RES> underTwo{{20, 2, 5, {20}, nullptr}, {21, 1, 5, {21}, nullptr}};
    views.SetCustomViewResList(Linked(underNine), 9);
    views.SetCustomViewResList(Linked(underTwo), 2);
    views.SetCustomViewResList(Linked(underTwo), 9);
    views.SetCustomViewResList(nullptr, 9);
    views.SetCustomViewResList(nullptr, 6);
    auto ids = [&](int key) {
        return Ids(Listed<CUSTOM_VIEW_RES>(
            [&](auto** head) { return views.GetCustomViewResList(head, key); }));
    };
    EXPECT_EQ(ids(9), (std::vector<int>{90, 91, 20, 21}));
    EXPECT_EQ(ids(6), std::vector<int>{});
    CUSTOM_VIEW_RES out;
    ASSERT_TRUE(views.GetCustomViewRes(&out, 5, 1));
    EXPECT_TRUE(SameRecord(out, underTwo[1]));
    EXPECT_EQ(out.next, nullptr);
    std::memset(&out, 0x77, sizeof out);
    const CUSTOM_VIEW_RES before = out;
    EXPECT_FALSE(views.GetCustomViewRes(&out, 5, 3));  // resId 5 only under other owners
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
}

// By id: the first copy, only id and name written, the name to its width; a miss writes
// nothing. By resource: ascending folder id, once per copy held, an unknown folder unnamed.
TEST(CrowdData, FoldersAreFoundByIdAndByTheResourcesTheyHold) {
    CrowdData crowds;
    CROWD_FOLDER unterminated{1, "", nullptr};
    std::memset(unterminated.name, 'z', sizeof unterminated.name);
    std::vector<CROWD_FOLDER> folders{
        {4, "first", nullptr}, {4, "second", nullptr}, {7, "seven", nullptr}, unterminated};
    crowds.SetCrowdFolderList(Linked(folders));
    CROWD_FOLDER out;
    std::memset(&out, 0x61, sizeof out);
    out.next = &out;
    ASSERT_TRUE(crowds.GetCrowdFolderByID(4, &out));
    EXPECT_EQ(out.id, 4);
    EXPECT_STREQ(out.name, "first");
    EXPECT_EQ(out.next, &out);
    const CROWD_FOLDER before = out;
    EXPECT_FALSE(crowds.GetCrowdFolderByID(5, &out));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
    ASSERT_TRUE(crowds.GetCrowdFolderByID(1, &out));
    EXPECT_EQ(std::string(out.name), std::string(259, 'z'));

    const std::pair<int, std::vector<CROWD_RES>> filings[] = {
        {7, {CrowdResource(1, 5, "x")}},
        {4, {CrowdResource(1, 5, "x"), CrowdResource(2, 5, "y"), CrowdResource(1, 5, "x")}},
        {2, {CrowdResource(1, 6, "other type")}},
        {9, {CrowdResource(1, 5, "x")}}};
    for (auto [folderId, resources] : filings) crowds.SetCrowdResList(Linked(resources), folderId);
    auto foldersOf = [&](int resType, int resId) {
        CROWD_FOLDER* head = nullptr;
        EXPECT_TRUE(crowds.GetCrowdFolderListByRes(resType, resId, &head));
        std::vector<std::pair<int, std::string>> found;
        for (const CROWD_FOLDER& folder : TakeList(head))
            found.emplace_back(folder.id, folder.name);
        return found;
    };
    EXPECT_EQ(foldersOf(5, 1), (std::vector<std::pair<int, std::string>>{
                                   {4, "first"}, {4, "first"}, {7, "seven"}, {9, ""}}));
    EXPECT_TRUE(foldersOf(5, 4).empty());
}

// A null deposit files an empty sequence; each deposit adds zero-filled, bounded copies.
TEST(CrowdData, ResourcesAreListedAsOftenAsDeposited) {
    CrowdData crowds;
    CROWD_RES* head = nullptr;
    EXPECT_FALSE(crowds.GetCrowdResList(3, &head));
    crowds.SetCrowdResList(nullptr, 3);
    EXPECT_TRUE(crowds.GetCrowdResList(3, &head));
    EXPECT_EQ(head, nullptr);

    std::vector<CROWD_RES> deposit{CrowdResource(1, 5, "one"), CrowdResource(2, 6, "")};
    std::memset(deposit[1].name, 'n', sizeof deposit[1].name);
    crowds.SetCrowdResList(Linked(deposit), 3);
    crowds.SetCrowdResList(Linked(deposit), 3);
    ASSERT_TRUE(crowds.GetCrowdResList(3, &head));
    const CROWD_RES bounded = CrowdResource(2, 6, std::string(259, 'n'));
    EXPECT_TRUE(SameRecords(TakeList(head), {deposit[0], bounded, deposit[0], bounded}));
}

// Each container answers through the facade before ClearAll and is empty after it.
TEST_F(StoreCatalog, ClearAllEmptiesTheViewAndCrowdContainers) {
    CUSTOM_VIEW view{{1}, nullptr};
    CUSTOM_VIEW_ORG node{1, 7, {}, 0, nullptr};
    CUSTOM_VIEW_RES resource{1, 1, 1, {}, nullptr};
    CROWD_FOLDER folder{3, "three", nullptr};
    CROWD_RES crowd = CrowdResource(1, 5, "x");
    m_store.SetCustomViewList(&view);
    m_store.SetCustomViewOrgList(&node);
    m_store.SetCustomViewResList(&resource, 4);
    m_store.SetCrowdFolderList(&folder);
    m_store.SetCrowdResList(&crowd, 3);
    auto answers = [&] {
        CUSTOM_VIEW* views = nullptr;
        CUSTOM_VIEW_ORG* nodes = nullptr;
        CUSTOM_VIEW_RES* resources = nullptr;
        CROWD_RES* crowds = nullptr;
        const std::vector<bool> found{
            m_store.GetCustomViewList(&views), m_store.GetCustomViewOrgList(&nodes, 7),
            m_store.GetCustomViewResList(&resources, 4), m_store.GetCrowdFolderByID(3, &folder),
            m_store.GetCrowdResList(3, &crowds)};
        TakeList(views);
        TakeList(nodes);
        TakeList(resources);
        TakeList(crowds);
        return found;
    };
    EXPECT_EQ(answers(), std::vector<bool>(5, true));
    m_store.ClearAll();
    EXPECT_EQ(answers(), std::vector<bool>(5, false));
}

}  // namespace
