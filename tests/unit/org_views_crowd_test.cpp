// Custom views (views in deposit order, nodes by owner in sortIndex order, resources
// filed under client keys) and crowd data (folder names by id, resources of a folder,
// the folders a resource is filed in), on their components; ClearAll through the facade.
// Records the module copies whole, or whose padding is never compared, are built in field
// order: CUSTOM_VIEW_ORG {id, ownerId, nodeData, sortIndex}, CUSTOM_VIEW_RES {id, ownerId,
// resId, resData}, CROWD_FOLDER {id, name}.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "org/CrowdData.h"
#include "org/CustomViews.h"
#include "org_test_support.h"
#include "store/DataOper.h"

namespace {

using org_test::Ids;
using org_test::Linked;
using org_test::Listed;
using org_test::SameRecord;
using org_test::SameRecords;
using org_test::SetText;
using org_test::TakeList;
using org_test::Zeroed;

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
    auto listed = [&] {
        return Listed<CUSTOM_VIEW>([&](auto** head) { return views.GetCustomViewList(head); });
    };
    EXPECT_TRUE(listed().empty());
    std::vector<CUSTOM_VIEW> deposit{{{1, 1}, nullptr}, {{2}, nullptr}};
    views.SetCustomViewList(Linked(deposit));
    views.SetCustomViewList(Linked(deposit));
    EXPECT_TRUE(SameRecords(listed(), {deposit[0], deposit[1], deposit[0], deposit[1]}));

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

// By id: the first deposited copy, only id and name written, the name read to its width,
// and a miss writes nothing. By resource: in ascending folder id, a folder once per copy
// it holds, an unknown folder unnamed.
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
TEST(ViewsAndCrowds, ClearAllEmptiesEveryContainer) {
    CDataOper store;
    CUSTOM_VIEW view{{1}, nullptr};
    CUSTOM_VIEW_ORG node{1, 7, {}, 0, nullptr};
    CUSTOM_VIEW_RES resource{1, 1, 1, {}, nullptr};
    CROWD_FOLDER folder{3, "three", nullptr};
    CROWD_RES crowd = CrowdResource(1, 5, "x");
    store.SetCustomViewList(&view);
    store.SetCustomViewOrgList(&node);
    store.SetCustomViewResList(&resource, 4);
    store.SetCrowdFolderList(&folder);
    store.SetCrowdResList(&crowd, 3);
    auto answers = [&] {
        CUSTOM_VIEW* views = nullptr;
        CUSTOM_VIEW_ORG* nodes = nullptr;
        CUSTOM_VIEW_RES* resources = nullptr;
        CROWD_RES* crowds = nullptr;
        const std::vector<bool> found{
            store.GetCustomViewList(&views), store.GetCustomViewOrgList(&nodes, 7),
            store.GetCustomViewResList(&resources, 4), store.GetCrowdFolderByID(3, &folder),
            store.GetCrowdResList(3, &crowds)};
        TakeList(views);
        TakeList(nodes);
        TakeList(resources);
        TakeList(crowds);
        return found;
    };
    EXPECT_EQ(answers(), std::vector<bool>(5, true));
    store.ClearAll();
    EXPECT_EQ(answers(), std::vector<bool>(5, false));
}

}  // namespace
