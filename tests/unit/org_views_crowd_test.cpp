// Custom views (views in deposit order, nodes by owner in sortIndex order, resources
// filed under client keys) and crowd data (folder names by id, resources of a folder,
// the folders a resource is filed in).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "store_test_support.h"

namespace {

using org_test::Linked;
using org_test::SameRecord;
using org_test::SetText;
using org_test::TakeList;
using org_test::Zeroed;

CUSTOM_VIEW View(unsigned char tag) {
    auto view = Zeroed<CUSTOM_VIEW>();
    std::memset(view.viewData, tag, sizeof view.viewData);
    return view;
}

CUSTOM_VIEW_ORG Node(int32_t id, int32_t ownerId, int32_t sortIndex) {
    auto node = Zeroed<CUSTOM_VIEW_ORG>();
    node.id = id;
    node.ownerId = ownerId;
    node.sortIndex = sortIndex;
    return node;
}

CUSTOM_VIEW_RES ViewResource(int32_t id, int32_t ownerId, int32_t resId) {
    auto resource = Zeroed<CUSTOM_VIEW_RES>();
    resource.id = id;
    resource.ownerId = ownerId;
    resource.resId = resId;
    std::memset(resource.resData, id & 0xFF, sizeof resource.resData);
    return resource;
}

CROWD_FOLDER CrowdFolder(int32_t id, const std::string& name) {
    auto folder = Zeroed<CROWD_FOLDER>();
    folder.id = id;
    SetText(folder.name, name);
    return folder;
}

CROWD_RES CrowdResource(int32_t resId, int32_t resType, const std::string& name) {
    auto resource = Zeroed<CROWD_RES>();
    resource.resId = resId;
    resource.resType = resType;
    SetText(resource.name, name);
    return resource;
}

class ViewsAndCrowds : public store_test::FaultSafeTest {
protected:
    // The ids a list query hands out, freed; its result must say whether there were any.
    template <class Record, class Query>
    std::vector<int> Ids(Query query) {
        Record* head = nullptr;
        const bool found = query(&head);
        std::vector<int> ids;
        for (const Record& record : TakeList(head)) ids.push_back(record.id);
        EXPECT_EQ(found, !ids.empty());
        return ids;
    }
    std::vector<int> NodeIds(int ownerId) {
        return Ids<CUSTOM_VIEW_ORG>(
            [&](auto** head) { return m_store.GetCustomViewOrgList(head, ownerId); });
    }
    std::vector<int> ResourceIds(int key) {
        return Ids<CUSTOM_VIEW_RES>(
            [&](auto** head) { return m_store.GetCustomViewResList(head, key); });
    }

    void DepositCrowd(std::vector<CROWD_RES> resources, int folderId) {
        m_store.SetCrowdResList(Linked(resources), folderId);
    }

    // (folder id, name) of every folder holding the resource.
    std::vector<std::pair<int, std::string>> FoldersOf(int resType, int resId) {
        CROWD_FOLDER* head = nullptr;
        EXPECT_TRUE(m_store.GetCrowdFolderListByRes(resType, resId, &head));
        std::vector<std::pair<int, std::string>> folders;
        for (const CROWD_FOLDER& folder : TakeList(head))
            folders.emplace_back(folder.id, folder.name);
        return folders;
    }

    CDataOper m_store;
};

TEST_F(ViewsAndCrowds, ViewsComeBackInDepositOrderAsOftenAsDeposited) {
    CUSTOM_VIEW* head = nullptr;
    EXPECT_FALSE(m_store.GetCustomViewList(&head));
    EXPECT_EQ(head, nullptr);
    std::vector<CUSTOM_VIEW> views{View(1), View(2)};
    m_store.SetCustomViewList(Linked(views));
    m_store.SetCustomViewList(Linked(views));
    ASSERT_TRUE(m_store.GetCustomViewList(&head));
    const std::vector<CUSTOM_VIEW> listed = TakeList(head);
    ASSERT_EQ(listed.size(), 4u);
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_TRUE(SameRecord(listed[i], views[i % 2])) << i;
    EXPECT_FALSE(m_store.GetCustomViewList(nullptr));
}

// Every matching node is returned, nodes sharing a sortIndex in deposit order.
TEST_F(ViewsAndCrowds, NodesOfAnOwnerComeInSortIndexThenDepositOrder) {
    std::vector<CUSTOM_VIEW_ORG> nodes{Node(1, 7, 5), Node(2, 7, -1), Node(3, 7, 5),
                                       Node(4, 8, 0)};
    m_store.SetCustomViewOrgList(Linked(nodes));
    m_store.SetCustomViewOrgList(Linked(nodes));
    EXPECT_EQ(NodeIds(7), (std::vector<int>{2, 2, 1, 3, 1, 3}));
    EXPECT_EQ(NodeIds(8), (std::vector<int>{4, 4}));
    EXPECT_EQ(NodeIds(9), std::vector<int>{});
}

// Lists are kept per key and extended by later deposits; a look-up by resId and owner
// searches the keys in ascending order.
TEST_F(ViewsAndCrowds, ViewResourcesAreKeptPerKeyAndFoundByResIdAndOwnerInKeyOrder) {
    std::vector<CUSTOM_VIEW_RES> underNine{ViewResource(90, 1, 5), ViewResource(91, 1, 6)};
    std::vector<CUSTOM_VIEW_RES> underTwo{ViewResource(20, 2, 5), ViewResource(21, 1, 5)};
    m_store.SetCustomViewResList(Linked(underNine), 9);
    m_store.SetCustomViewResList(Linked(underTwo), 2);
    m_store.SetCustomViewResList(Linked(underTwo), 9);
    m_store.SetCustomViewResList(nullptr, 9);
    m_store.SetCustomViewResList(nullptr, 6);
    EXPECT_EQ(ResourceIds(9), (std::vector<int>{90, 91, 20, 21}));
    EXPECT_EQ(ResourceIds(5), std::vector<int>{});
    EXPECT_EQ(ResourceIds(6), std::vector<int>{});
    EXPECT_FALSE(m_store.GetCustomViewResList(nullptr, 9));
    CUSTOM_VIEW_RES out;
    ASSERT_TRUE(m_store.GetCustomViewRes(&out, 5, 1));
    EXPECT_TRUE(SameRecord(out, underTwo[1]));
    EXPECT_EQ(out.next, nullptr);
    std::memset(&out, 0x77, sizeof out);
    const CUSTOM_VIEW_RES before = out;
    EXPECT_FALSE(m_store.GetCustomViewRes(&out, 5, 3));  // resId 5 only under other owners
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
}

// The first deposited copy of an id; the caller's next is kept, and a miss writes nothing.
TEST_F(ViewsAndCrowds, ACrowdFolderIsFoundByIdAndItsNameReadOnlyToItsWidth) {
    CROWD_FOLDER unterminated = CrowdFolder(1, "");
    std::memset(unterminated.name, 'z', sizeof unterminated.name);
    std::vector<CROWD_FOLDER> folders{CrowdFolder(4, "first"), CrowdFolder(4, "second"),
                                      unterminated};
    m_store.SetCrowdFolderList(Linked(folders));
    CROWD_FOLDER out;
    std::memset(&out, 0x61, sizeof out);
    out.next = &out;
    ASSERT_TRUE(m_store.GetCrowdFolderByID(4, &out));
    EXPECT_EQ(out.id, 4);
    EXPECT_STREQ(out.name, "first");
    EXPECT_EQ(out.next, &out);

    const CROWD_FOLDER before = out;
    EXPECT_FALSE(m_store.GetCrowdFolderByID(5, &out));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
    ASSERT_TRUE(m_store.GetCrowdFolderByID(1, &out));
    EXPECT_EQ(std::string(out.name), std::string(259, 'z'));
}

// A null deposit files an empty sequence; each deposit adds zero-filled, bounded copies.
TEST_F(ViewsAndCrowds, CrowdResourcesAreListedAsOftenAsDeposited) {
    CROWD_RES* head = nullptr;
    EXPECT_FALSE(m_store.GetCrowdResList(3, &head));
    m_store.SetCrowdResList(nullptr, 3);
    EXPECT_TRUE(m_store.GetCrowdResList(3, &head));
    EXPECT_EQ(head, nullptr);

    CROWD_RES longName = CrowdResource(2, 6, "");
    std::memset(longName.name, 'n', sizeof longName.name);
    DepositCrowd({CrowdResource(1, 5, "one"), longName}, 3);
    DepositCrowd({CrowdResource(1, 5, "one"), longName}, 3);
    ASSERT_TRUE(m_store.GetCrowdResList(3, &head));
    const std::vector<CROWD_RES> listed = TakeList(head);
    ASSERT_EQ(listed.size(), 4u);
    const CROWD_RES expected[] = {CrowdResource(1, 5, "one"),
                                  CrowdResource(2, 6, std::string(259, 'n'))};
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_TRUE(SameRecord(listed[i], expected[i % 2])) << i;
}

// In ascending folder id, a folder once per copy it holds; an unknown folder unnamed.
TEST_F(ViewsAndCrowds, TheFoldersOfACrowdResourceComeInAscendingIdWithTheirNames) {
    std::vector<CROWD_FOLDER> folders{CrowdFolder(7, "seven"), CrowdFolder(3, "three")};
    m_store.SetCrowdFolderList(Linked(folders));
    DepositCrowd({CrowdResource(1, 5, "x")}, 7);
    DepositCrowd({CrowdResource(1, 5, "x"), CrowdResource(2, 5, "y"), CrowdResource(1, 5, "x")},
                 3);
    DepositCrowd({CrowdResource(1, 6, "other type")}, 2);
    DepositCrowd({CrowdResource(1, 5, "x")}, 9);
    EXPECT_EQ(FoldersOf(5, 1), (std::vector<std::pair<int, std::string>>{
                                   {3, "three"}, {3, "three"}, {7, "seven"}, {9, ""}}));
    EXPECT_TRUE(FoldersOf(5, 4).empty());
}

TEST_F(ViewsAndCrowds, ClearAllEmptiesEveryContainer) {
    std::vector<CUSTOM_VIEW> views{View(1)};
    std::vector<CUSTOM_VIEW_ORG> nodes{Node(1, 7, 0)};
    std::vector<CUSTOM_VIEW_RES> resources{ViewResource(1, 1, 1)};
    std::vector<CROWD_FOLDER> folders{CrowdFolder(3, "three")};
    m_store.SetCustomViewList(Linked(views));
    m_store.SetCustomViewOrgList(Linked(nodes));
    m_store.SetCustomViewResList(Linked(resources), 4);
    m_store.SetCrowdFolderList(Linked(folders));
    DepositCrowd({CrowdResource(1, 5, "x")}, 3);
    m_store.ClearAll();
    EXPECT_EQ(NodeIds(7), std::vector<int>{});
    EXPECT_EQ(ResourceIds(4), std::vector<int>{});
    EXPECT_TRUE(FoldersOf(5, 1).empty());
    CUSTOM_VIEW* viewHead = nullptr;
    CROWD_RES* crowdHead = nullptr;
    CROWD_FOLDER out;
    EXPECT_FALSE(m_store.GetCustomViewList(&viewHead));
    EXPECT_FALSE(m_store.GetCrowdResList(3, &crowdHead));
    EXPECT_FALSE(m_store.GetCrowdFolderByID(3, &out));
}

}  // namespace
