// Camera status changes and organisation statistics: the roll-up up the cell tree, the
// recount from children and the camera table, cyclic deposits, and the user-org lists.
#include <string>
#include <vector>

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::Cell;
using chan_test::ChannelTest;
using chan_test::Linked;
using chan_test::Org;
using chan_test::TakeList;

// Root 1 (type 1) > cell 10 (type 1) > top-level type-2 cell 100 (owner 10) > type-2
// cell 101, which holds the cameras.
class CameraStatusTree : public ChannelTest {
protected:
    void SetUp() override {
        ChannelTest::SetUp();
        std::vector<CELL_INFO> cells = {Cell(1, 0, "a", 1), Cell(10, 1, "b", 1),
                                        Cell(100, 0, "c", 2, 0, 10), Cell(101, 100, "d", 2)};
        m_store.SetCellList(Linked(cells));
    }

    void SetStats(std::vector<USER_ORG> stats) { m_store.SetUserOrgStatList(Linked(stats)); }

    void Change(int32_t id, int32_t status) {
        CAMERA_STATUS change = {id, status, nullptr};
        m_store.UpdateCameraStatus(&change);
    }

    // "online/total" of an entry, or "none".
    std::string Stat(int orgId) {
        int online = -7, total = -7;
        if (!m_store.GetUserOrgStat(orgId, &online, &total)) return "none";
        return std::to_string(online) + "/" + std::to_string(total);
    }
};

using CameraStatusRollUp = CameraStatusTree;

TEST_F(CameraStatusRollUp, GoingOnlineAddsOneToEachAncestorUpToTheFirstWithoutAnEntry) {
    // Top-level type-2 cell 110 stands under 11, a type-1 cell without an entry.
    std::vector<CELL_INFO> more = {Cell(11, 1, "e", 1), Cell(110, 0, "f", 2, 0, 11)};
    m_store.SetCellList(Linked(more));
    StoreCameras({Camera(1, 101), Camera(2, 110)});
    SetStats({Org(101, 5, 2), Org(100, 9, 4), Org(10, 20, 10), Org(1, 30, 11), Org(110, 5, 0)});
    Change(1, 1);
    EXPECT_EQ(Stat(101), "3/5");
    EXPECT_EQ(Stat(100), "5/9");
    EXPECT_EQ(Stat(10), "11/20");  // the top-level type-2 cell passes on to its owner
    EXPECT_EQ(Stat(1), "12/30");
    Change(2, 1);
    EXPECT_EQ(Stat(110), "1/5");
    EXPECT_EQ(Stat(1), "12/30");
}

TEST_F(CameraStatusRollUp, TwoIdenticalChangesAdjustTheCountsOnceAndUnknownCamerasNever) {
    StoreCameras({Camera(1, 101)});
    SetStats({Org(101, 5, 2)});
    std::vector<CAMERA_STATUS> changes = {{1, 1, nullptr}, {1, 1, nullptr}, {99, 1, nullptr}};
    m_store.UpdateCameraStatus(Linked(changes));
    EXPECT_EQ(Stat(101), "3/5");
    m_store.UpdateCameraStatus(nullptr);
    EXPECT_EQ(Stat(101), "3/5");
}

TEST_F(CameraStatusRollUp, CountsAreClampedAtZeroAndAtTheCameraCount) {
    CAMERA_INFO online = Camera(1, 101);
    online.STATUS = true;
    StoreCameras({online, Camera(2, 101)});
    SetStats({Org(101, 5, 0), Org(100, 3, 3)});
    Change(1, 0);  // offline: 101 stays at 0, 100 goes to 2
    EXPECT_EQ(Stat(101), "0/5");
    EXPECT_EQ(Stat(100), "2/3");
    SetStats({Org(101, 5, 5), Org(100, 3, 3)});
    Change(2, 1);
    EXPECT_EQ(Stat(101), "5/5");
    EXPECT_EQ(Stat(100), "3/3");
}

TEST_F(CameraStatusRollUp, StatusTwoCountsOnlineButIsStoredAsTwoAndReadsBackOffline) {
    StoreCameras({Camera(1, 101)});
    SetStats({Org(101, 5, 2)});
    Change(1, 2);
    EXPECT_EQ(Stat(101), "3/5");
    EXPECT_EQ(store_test::Peek(m_store.DbPath()).Column("SELECT STATUS FROM CAMERAINFO")[0], "2");
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByID(&read, 1));
    EXPECT_FALSE(read.STATUS);
    Change(1, 1);  // the status map already holds online
    EXPECT_EQ(Stat(101), "3/5");
    Change(1, 2);
    m_store.RecountUserOrgStat(101, 2);  // the recount counts only STATUS 1
    EXPECT_EQ(Stat(101), "0/1");
}

TEST_F(CameraStatusRollUp, ACameraWithoutAStatusEntryAdjustsOnEveryChange) {
    StoreCameras({Camera(1, 5)});  // only to have the table file filled by the store
    store_test::Peek(m_store.DbPath())
        .Exec(
            "INSERT INTO CAMERAINFO SELECT 2,DEVID,101,CELLTYPE,CHANNELNO,'X',CAMNAME,CAMTYPE,"
            "MATRIXCODE,SEQINDEX,0,RECLOC,PRIVILEGE,CASCADID,VRMID,VTDUID,VAGID,DEVTAG,"
            "RECGUID,MULTIIP,TRANSPATH,TRANSCNT,MOD,ISGROUP FROM CAMERAINFO WHERE ID = 1");
    SetStats({Org(101, 5, 2)});
    Change(2, 1);
    Change(2, 1);
    EXPECT_EQ(Stat(101), "4/5");
}

TEST_F(CameraStatusRollUp, ATopLevelCellOfEitherTypePassesOnToItsOwnerAsTypeOne) {
    // 150 (type 2, top level) stands under 50; root 50 names 60 as its owner; root 60
    // names none, so the walk goes on to identifier 0 and ends there.
    std::vector<CELL_INFO> cells = {Cell(50, 0, "r50", 1, 0, 60), Cell(60, 0, "r60", 1),
                                    Cell(150, 0, "t150", 2, 0, 50)};
    m_store.SetCellList(Linked(cells));
    StoreCameras({Camera(1, 150)});
    SetStats({Org(150, 4, 0), Org(50, 4, 0), Org(60, 4, 0), Org(0, 4, 0)});
    Change(1, 1);
    EXPECT_EQ(Stat(150), "1/4");
    EXPECT_EQ(Stat(50), "1/4");
    EXPECT_EQ(Stat(60), "1/4");
    EXPECT_EQ(Stat(0), "1/4");
}

TEST_F(CameraStatusRollUp, ACyclicDepositEndsTheWalk) {
    // 201 and 202 name each other as parents; both have entries, so only the bound
    // ends the walk.
    std::vector<CELL_INFO> cells = {Cell(201, 202, "x1", 2), Cell(202, 201, "x2", 2)};
    m_store.SetCellList(Linked(cells));
    StoreCameras({Camera(1, 201)});
    SetStats({Org(201, 1000, 0), Org(202, 1000, 0)});
    Change(1, 1);
    int online = 0, total = 0;
    ASSERT_TRUE(m_store.GetUserOrgStat(201, &online, &total));
    EXPECT_GT(online, 0);
    m_store.RecountUserOrgStat(201, 2);  // ends as well
    ASSERT_TRUE(m_store.GetUserOrgStat(201, &online, &total));
    EXPECT_GT(total, 1000);  // its own camera and at least one pass over 202
}

using UserOrgRecount = CameraStatusTree;

TEST_F(UserOrgRecount, ATypeTwoCellCountsItsOwnRowsAndItsChildrenEntries) {
    std::vector<CELL_INFO> more = {Cell(102, 100, "e", 2), Cell(103, 100, "f", 2)};
    m_store.SetCellList(Linked(more));
    CAMERA_INFO on = Camera(1, 100, 2);
    on.STATUS = true;
    CAMERA_INFO otherType = Camera(2, 100, 1);  // any CELLTYPE counts
    otherType.STATUS = true;
    StoreCameras({on, otherType, Camera(3, 100, 2), Camera(4, 101, 2)});
    // 103 has no entry and adds nothing; 102's entry counts as it stands.
    SetStats({Org(100, 0, 0), Org(101, 10, 3), Org(102, 7, 7), Org(10, 0, 0)});
    m_store.RecountUserOrgStat(100, 2);
    EXPECT_EQ(Stat(100), "12/20");
    // The parent of a top-level type-2 cell is its owner, recounted as type 1: only
    // its type-1 children (none) count.
    EXPECT_EQ(Stat(10), "0/0");
}

TEST_F(UserOrgRecount, ATypeOneCellUsesOnlyItsTypeOneChildrensSums) {
    CAMERA_INFO direct = Camera(1, 10, 1);
    direct.STATUS = true;
    StoreCameras({direct});
    std::vector<CELL_INFO> more = {Cell(11, 1, "g", 1)};
    m_store.SetCellList(Linked(more));
    SetStats({Org(10, 0, 0), Org(11, 4, 1), Org(1, 0, 0), Org(100, 50, 50)});
    m_store.RecountUserOrgStat(10, 1);
    EXPECT_EQ(Stat(10), "0/0");  // cell 100 is type 2, the camera row is not counted
    EXPECT_EQ(Stat(1), "1/4");   // 10 and 11
}

TEST_F(UserOrgRecount, TheWalkGoesOnThroughACellWithoutAnEntry) {
    StoreCameras({Camera(1, 101, 2)});
    SetStats({Org(101, 0, 0), Org(10, 9, 9), Org(1, 9, 9)});
    m_store.RecountUserOrgStat(101, 2);
    EXPECT_EQ(Stat(101), "0/1");
    EXPECT_EQ(Stat(100), "none");
    // 100 as type 2 sums its type-2 children (101) but has no entry; its owner 10 as
    // type 1 has no type-1 children; root 1 sums 10.
    EXPECT_EQ(Stat(10), "0/0");
    EXPECT_EQ(Stat(1), "0/0");
}

TEST_F(UserOrgRecount, AnUncachedCellStillStoresItsCountsThenStops) {
    StoreCameras({Camera(1, 555, 2), Camera(2, 555, 2)});
    SetStats({Org(555, 0, 0)});
    m_store.RecountUserOrgStat(555, 2);
    EXPECT_EQ(Stat(555), "0/2");
}

TEST_F(UserOrgRecount, ADeepChainIsRecountedWithoutExhaustingTheStack) {
    const int depth = 100000;
    std::vector<CELL_INFO> chain;
    chain.reserve(depth);
    for (int id = 1000; id < 1000 + depth; ++id)
        chain.push_back(Cell(id, id == 1000 ? 0 : id - 1, "z" + std::to_string(id), 1));
    m_store.SetCellList(Linked(chain));
    SetStats({Org(1000, 5, 5), Org(1000 + depth - 1, 3, 2)});
    m_store.RecountUserOrgStat(1000 + depth - 1, 1);
    EXPECT_EQ(Stat(1000), "0/0");  // its only child has no entry
}

using UserOrgRecords = ChannelTest;

TEST_F(UserOrgRecords, TheListHoldsMatchingRecordsInDepositOrderAndDuplicates) {
    std::vector<USER_ORG> orgs = {Org(1, 0, 0, 7), Org(2, 0, 0, 8), Org(3, 0, 0, 7)};
    m_store.SetUserOrgList(Linked(orgs));
    m_store.SetUserOrgList(&orgs[2]);
    USER_ORG* head = nullptr;
    ASSERT_TRUE(m_store.GetUserOrgList(&head, 7));
    std::vector<USER_ORG> listed = TakeList(head);
    head = nullptr;
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_TRUE(org_test::SameRecord(listed[0], orgs[0]));
    EXPECT_TRUE(org_test::SameRecord(listed[1], orgs[2]));
    EXPECT_TRUE(org_test::SameRecord(listed[2], orgs[2]));
    EXPECT_FALSE(m_store.GetUserOrgList(&head, 9));
    EXPECT_FALSE(m_store.GetUserOrgList(nullptr, 7));
}

TEST_F(UserOrgRecords, ClearAllEmptiesTheListButKeepsTheStatistics) {
    std::vector<USER_ORG> orgs = {Org(1, 6, 5)};
    m_store.SetUserOrgList(Linked(orgs));
    m_store.SetUserOrgStatList(Linked(orgs));
    m_store.ClearAll();
    USER_ORG* head = nullptr;
    EXPECT_FALSE(m_store.GetUserOrgList(&head, 0));
    m_store.UnInit();
    int online = 0, total = 0;
    ASSERT_TRUE(m_store.GetUserOrgStat(1, &online, &total));
    EXPECT_EQ(std::to_string(online) + "/" + std::to_string(total), "5/6");
    ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
}

TEST_F(UserOrgRecords, AStatisticsDepositReplacesTheWholeEntry) {
    std::vector<USER_ORG> first = {Org(1, 6, 5)};
    m_store.SetUserOrgStatList(Linked(first));
    std::vector<USER_ORG> second = {Org(1, 2, 1)};
    m_store.SetUserOrgStatList(Linked(second));
    int online = 0, total = 0;
    ASSERT_TRUE(m_store.GetUserOrgStat(1, &online, &total));
    EXPECT_EQ(std::to_string(online) + "/" + std::to_string(total), "1/2");
    online = total = 42;
    EXPECT_FALSE(m_store.GetUserOrgStat(2, &online, &total));
    EXPECT_EQ(std::to_string(online) + "/" + std::to_string(total), "42/42");
}

}  // namespace
