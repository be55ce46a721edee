// Custom views: views in deposit order, organisation nodes by owner in sortIndex order,
// and resources filed under client keys.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "store_test_support.h"

namespace {

using org_test::Linked;
using org_test::TakeList;

CUSTOM_VIEW View(unsigned char tag) {
    CUSTOM_VIEW view;
    std::memset(&view, 0, sizeof view);
    std::memset(view.viewData, tag, sizeof view.viewData);
    return view;
}

CUSTOM_VIEW_ORG Node(int32_t id, int32_t ownerId, int32_t sortIndex) {
    CUSTOM_VIEW_ORG node;
    std::memset(&node, 0, sizeof node);
    node.id = id;
    node.ownerId = ownerId;
    node.sortIndex = sortIndex;
    std::memset(node.nodeData, id & 0xFF, sizeof node.nodeData);
    return node;
}

CUSTOM_VIEW_RES ViewResource(int32_t id, int32_t ownerId, int32_t resId) {
    CUSTOM_VIEW_RES resource;
    std::memset(&resource, 0, sizeof resource);
    resource.id = id;
    resource.ownerId = ownerId;
    resource.resId = resId;
    std::memset(resource.resData, id & 0xFF, sizeof resource.resData);
    return resource;
}

class CustomViewTest : public store_test::FaultSafeTest {
protected:
    std::vector<int> NodeIds(int ownerId) {
        CUSTOM_VIEW_ORG* head = nullptr;
        const bool found = m_store.GetCustomViewOrgList(&head, ownerId);
        std::vector<int> ids;
        for (const CUSTOM_VIEW_ORG& node : TakeList(head)) ids.push_back(node.id);
        EXPECT_EQ(found, !ids.empty());
        return ids;
    }

    std::vector<int> ResourceIds(int key) {
        CUSTOM_VIEW_RES* head = nullptr;
        const bool found = m_store.GetCustomViewResList(&head, key);
        std::vector<int> ids;
        for (const CUSTOM_VIEW_RES& resource : TakeList(head)) ids.push_back(resource.id);
        EXPECT_EQ(found, !ids.empty());
        return ids;
    }

    CDataOper m_store;
};

using CustomViewList = CustomViewTest;

TEST_F(CustomViewList, SameListDepositedTwiceComesBackTwiceInDepositOrder) {
    std::vector<CUSTOM_VIEW> views{View(1), View(2)};
    m_store.SetCustomViewList(Linked(views));
    m_store.SetCustomViewList(Linked(views));
    CUSTOM_VIEW* head = nullptr;
    ASSERT_TRUE(m_store.GetCustomViewList(&head));
    const std::vector<CUSTOM_VIEW> listed = TakeList(head);
    ASSERT_EQ(listed.size(), 4u);
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_TRUE(org_test::SameRecord(listed[i], views[i % 2])) << i;
    EXPECT_FALSE(m_store.GetCustomViewList(nullptr));
}

TEST_F(CustomViewList, NoViewsGivesFalse) {
    CUSTOM_VIEW* head = nullptr;
    EXPECT_FALSE(m_store.GetCustomViewList(&head));
    EXPECT_EQ(head, nullptr);
}

using CustomViewOrgList = CustomViewTest;

TEST_F(CustomViewOrgList, NodesOfTheOwnerComeInAscendingSortIndex) {
    std::vector<CUSTOM_VIEW_ORG> nodes{Node(1, 7, 30), Node(2, 7, -5), Node(3, 8, 0),
                                       Node(4, 7, 10)};
    m_store.SetCustomViewOrgList(Linked(nodes));
    EXPECT_EQ(NodeIds(7), (std::vector<int>{2, 4, 1}));
    EXPECT_EQ(NodeIds(8), std::vector<int>{3});
    EXPECT_EQ(NodeIds(9), std::vector<int>{});
}

TEST_F(CustomViewOrgList, NodesSharingASortIndexAreAllReturnedInDepositOrder) {
    std::vector<CUSTOM_VIEW_ORG> nodes{Node(1, 7, 5), Node(2, 7, 1), Node(3, 7, 5)};
    m_store.SetCustomViewOrgList(Linked(nodes));
    m_store.SetCustomViewOrgList(Linked(nodes));
    EXPECT_EQ(NodeIds(7), (std::vector<int>{2, 2, 1, 3, 1, 3}));
}

using CustomViewResources = CustomViewTest;

TEST_F(CustomViewResources, ResourceIsFoundByResIdAndOwnerInKeyOrder) {
    std::vector<CUSTOM_VIEW_RES> underNine{ViewResource(90, 1, 5)};
    std::vector<CUSTOM_VIEW_RES> underTwo{ViewResource(20, 2, 5), ViewResource(21, 1, 5)};
    m_store.SetCustomViewResList(Linked(underNine), 9);
    m_store.SetCustomViewResList(Linked(underTwo), 2);
    CUSTOM_VIEW_RES out;
    ASSERT_TRUE(m_store.GetCustomViewRes(&out, 5, 1));
    EXPECT_TRUE(org_test::SameRecord(out, underTwo[1]));
    EXPECT_EQ(out.next, nullptr);

    std::memset(&out, 0x77, sizeof out);
    const CUSTOM_VIEW_RES before = out;
    EXPECT_FALSE(m_store.GetCustomViewRes(&out, 5, 3));  // resId 5 only under other owners
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
}

TEST_F(CustomViewResources, ListsAreKeptPerKeyAndExtendedByLaterDeposits) {
    std::vector<CUSTOM_VIEW_RES> first{ViewResource(1, 1, 1), ViewResource(2, 1, 2)};
    std::vector<CUSTOM_VIEW_RES> second{ViewResource(3, 1, 3)};
    m_store.SetCustomViewResList(Linked(first), 4);
    m_store.SetCustomViewResList(Linked(second), 4);
    m_store.SetCustomViewResList(nullptr, 4);
    EXPECT_EQ(ResourceIds(4), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ResourceIds(5), std::vector<int>{});
    m_store.SetCustomViewResList(nullptr, 6);
    EXPECT_EQ(ResourceIds(6), std::vector<int>{});
    EXPECT_FALSE(m_store.GetCustomViewResList(nullptr, 4));
}

TEST_F(CustomViewResources, ClearAllEmptiesEveryContainer) {
    std::vector<CUSTOM_VIEW> views{View(1)};
    std::vector<CUSTOM_VIEW_ORG> nodes{Node(1, 7, 0)};
    std::vector<CUSTOM_VIEW_RES> resources{ViewResource(1, 1, 1)};
    m_store.SetCustomViewList(Linked(views));
    m_store.SetCustomViewOrgList(Linked(nodes));
    m_store.SetCustomViewResList(Linked(resources), 4);
    m_store.ClearAll();
    CUSTOM_VIEW* head = nullptr;
    EXPECT_FALSE(m_store.GetCustomViewList(&head));
    EXPECT_EQ(NodeIds(7), std::vector<int>{});
    EXPECT_EQ(ResourceIds(4), std::vector<int>{});
}

}  // namespace
