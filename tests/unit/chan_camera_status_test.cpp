// Camera status changes and organisation statistics: the roll-up up the cell tree, the
// recount from children and the camera table, cyclic and deep trees, and the user-org
// records.
#include <string>
#include <utility>
#include <vector>

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::Cell;
using chan_test::Linked;
using chan_test::Org;
using chan_test::Tables;

using Stats = std::vector<std::pair<int, const char*>>;

void DepositCells(Tables& t, std::vector<CELL_INFO> cells) { t.cells.Deposit(Linked(cells)); }

// Root 1 (type 1) > 10 and 11 (type 1) > top-level type-2 cells 100 (owner 10) and 110
// (owner 11); 101 (type 2) under 100. Root 50 names root 60 as its owner, and 150 (type
// 2, top level) stands under 50. Camera 6 is stored without a status entry; camera 7
// twice, offline and then online, which is its known status.
void DepositRollUpSite(Tables& t) {
    DepositCells(t, {Cell(1, 0, "a", 1), Cell(10, 1, "b", 1), Cell(11, 1, "e", 1),
                     Cell(100, 0, "c", 2, 0, 10), Cell(101, 100, "d", 2),
                     Cell(110, 0, "f", 2, 0, 11), Cell(50, 0, "r50", 1, 0, 60),
                     Cell(60, 0, "r60", 1), Cell(150, 0, "t150", 2, 0, 50)});
    CAMERA_INFO online = Camera(3, 101);
    online.STATUS = true;
    CAMERA_INFO again = Camera(7, 101);
    again.STATUS = true;
    ASSERT_TRUE(t.StoreCameras(
        {Camera(1, 101), Camera(2, 110), online, Camera(4, 150), Camera(7, 101), again}));
    OrgStatistics elsewhere(t.storage, t.cells);
    std::vector<CAMERA_INFO> unnoted = {Camera(6, 101)};
    ASSERT_TRUE(CameraTable(t.storage, t.key, t.settings, elsewhere).SetCameraList(Linked(unnoted)));
}

// A change of a stored camera's online state adds or takes one from its cell and each
// ancestor up to the first without an entry, within 0 and the camera count. A
// top-level cell of either type passes on to its owner as type 1; a root without one,
// to identifier 0.
TEST(CameraStatusRollUp, FollowsTheChangedCameraUpTheTree) {
    struct Case {
        const char* what;
        std::vector<USER_ORG> stats;
        std::vector<CAMERA_STATUS> changes;
        Stats expected;
    };
    std::vector<Case> cases = {
        {"up to the first cell without an entry",
         {Org(101, 5, 2), Org(100, 9, 4), Org(10, 20, 10), Org(1, 30, 11), Org(110, 5, 0)},
         {{1, 1, nullptr}, {2, 1, nullptr}},
         {{101, "3/5"}, {100, "5/9"}, {10, "11/20"}, {1, "12/30"}, {110, "1/5"}}},
        {"a repeated change once, an unknown camera never",
         {Org(101, 5, 2)},
         {{1, 1, nullptr}, {1, 1, nullptr}, {99, 1, nullptr}},
         {{101, "3/5"}}},
        {"clamped at zero", {Org(101, 5, 0), Org(100, 3, 3)}, {{3, 0, nullptr}},
         {{101, "0/5"}, {100, "2/3"}}},
        {"clamped at the camera count", {Org(101, 5, 5), Org(100, 3, 3)}, {{1, 1, nullptr}},
         {{101, "5/5"}, {100, "3/3"}}},
        {"status 2 counts online", {Org(101, 5, 2)}, {{1, 2, nullptr}, {1, 1, nullptr}},
         {{101, "3/5"}}},
        {"through owners to identifier 0",
         {Org(150, 4, 0), Org(50, 4, 0), Org(60, 4, 0), Org(0, 4, 0)},
         {{4, 1, nullptr}},
         {{150, "1/4"}, {50, "1/4"}, {60, "1/4"}, {0, "1/4"}}},
        {"no status entry: every change counts", {Org(101, 5, 2)},
         {{6, 1, nullptr}, {6, 1, nullptr}}, {{101, "4/5"}}},
        {"a duplicate's later status", {Org(101, 5, 2)}, {{7, 1, nullptr}}, {{101, "2/5"}}},
    };
    for (Case& c : cases) {
        Tables t;
        DepositRollUpSite(t);
        t.SetStats(c.stats);
        t.statistics.UpdateCameraStatus(Linked(c.changes));
        t.statistics.UpdateCameraStatus(nullptr);
        for (const auto& [orgId, stat] : c.expected) EXPECT_EQ(t.Stat(orgId), stat) << c.what;
    }
}

// A cell's entry becomes the sums of its same-type children's entries, plus for a type-2
// cell its own rows (any CELLTYPE, STATUS 1 online); then each ancestor in turn, the
// owner of a top-level type-2 cell as type 1, through cells without an entry.
TEST(UserOrgRecount, SumsTheChildrenAndTheCellsOwnRowsUpTheTree) {
    struct Case {
        std::vector<USER_ORG> stats;
        int cellId, cellType;
        Stats expected;
    };
    const std::vector<Case> cases = {
        {{Org(100, 0, 0), Org(101, 10, 3), Org(102, 7, 7), Org(10, 0, 0)}, 100, 2,
         {{100, "12/20"}, {10, "0/0"}}},
        {{Org(10, 0, 0), Org(11, 4, 1), Org(1, 0, 0), Org(100, 50, 50)}, 10, 1,
         {{10, "0/0"}, {1, "1/4"}}},
        {{Org(101, 0, 0), Org(10, 9, 9), Org(1, 9, 9)}, 101, 2,
         {{101, "0/1"}, {100, "none"}, {10, "0/0"}, {1, "0/0"}}},
        {{Org(555, 0, 0)}, 555, 2, {{555, "0/2"}}},  // not cached: counted, then the end
    };
    for (const Case& c : cases) {
        Tables t;
        DepositCells(t, {Cell(1, 0, "a", 1), Cell(10, 1, "b", 1), Cell(11, 1, "g", 1),
                         Cell(100, 0, "c", 2, 0, 10), Cell(101, 100, "d", 2),
                         Cell(102, 100, "e", 2), Cell(103, 100, "f", 2)});
        std::vector<CAMERA_INFO> cameras = {Camera(1, 100, 2), Camera(2, 100, 1),
                                            Camera(3, 100, 2), Camera(4, 101, 2),
                                            Camera(5, 10, 1),  Camera(6, 555, 2),
                                            Camera(7, 555, 2)};
        for (int online : {0, 1, 4}) cameras[online].STATUS = true;
        ASSERT_TRUE(t.StoreCameras(cameras));
        t.Change(4, 2);  // stored as 2, which a recount does not count online
        t.SetStats(c.stats);
        t.statistics.RecountUserOrgStat(c.cellId, c.cellType);
        for (const auto& [orgId, stat] : c.expected)
            EXPECT_EQ(t.Stat(orgId), stat) << c.cellId << ": " << orgId;
    }
}

// 201 and 202 name each other as parents; both have entries, so only the bound ends
// either walk.
TEST(CameraStatusRollUp, ACyclicDepositEndsTheWalk) {
    Tables t;
    DepositCells(t, {Cell(201, 202, "x1", 2), Cell(202, 201, "x2", 2)});
    ASSERT_TRUE(t.StoreCameras({Camera(1, 201)}));
    t.SetStats({Org(201, 1000, 0), Org(202, 1000, 0)});
    t.Change(1, 1);
    int online = 0, total = 0;
    ASSERT_TRUE(t.statistics.GetUserOrgStat(201, &online, &total));
    EXPECT_GT(online, 0);
    t.statistics.RecountUserOrgStat(201, 2);
    ASSERT_TRUE(t.statistics.GetUserOrgStat(201, &online, &total));
    EXPECT_GT(total, 1000);  // its own camera and at least one pass over 202
}

TEST(UserOrgRecount, ADeepChainIsRecountedWithoutExhaustingTheStack) {
    Tables t;
    const int depth = 100000;
    std::vector<CELL_INFO> chain;
    for (int id = 1000; id < 1000 + depth; ++id)
        chain.push_back(Cell(id, id == 1000 ? 0 : id - 1, "z" + std::to_string(id), 1));
    DepositCells(t, chain);
    t.SetStats({Org(1000, 5, 5), Org(1000 + depth - 1, 3, 2)});
    t.statistics.RecountUserOrgStat(1000 + depth - 1, 1);
    EXPECT_EQ(t.Stat(1000), "0/0");  // its only child has no entry
}

// A deposit replaces the whole entry; a miss leaves the outputs as they were.
TEST(UserOrgStatistics, ADepositReplacesTheWholeEntry) {
    Tables t;
    t.SetStats({Org(1, 6, 5)});
    t.SetStats({Org(1, 2, 1)});
    EXPECT_EQ(t.Stat(1), "1/2");
    int online = 42, total = 42;
    EXPECT_FALSE(t.statistics.GetUserOrgStat(2, &online, &total));
    EXPECT_EQ(online + total, 84);
}

TEST(UserOrgRecords, TheListHoldsMatchingRecordsInDepositOrderAndDuplicates) {
    UserOrgs userOrgs;
    std::vector<USER_ORG> orgs = {Org(1, 0, 0, 7), Org(2, 0, 0, 8), Org(3, 0, 0, 7)};
    userOrgs.SetUserOrgList(Linked(orgs));
    userOrgs.SetUserOrgList(&orgs[2]);
    USER_ORG* head = nullptr;
    ASSERT_TRUE(userOrgs.GetUserOrgList(&head, 7));
    const std::vector<USER_ORG> listed = chan_test::TakeList(head);
    head = nullptr;
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_TRUE(org_test::SameRecord(listed[0], orgs[0]));
    EXPECT_TRUE(org_test::SameRecord(listed[1], orgs[2]));
    EXPECT_TRUE(org_test::SameRecord(listed[2], orgs[2]));
    EXPECT_FALSE(userOrgs.GetUserOrgList(&head, 9));
    EXPECT_FALSE(userOrgs.GetUserOrgList(nullptr, 7));
}

}  // namespace
