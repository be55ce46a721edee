// Statistics rolled up and recounted; entries are "id:online/total", changes "id:status".
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "chan_test_support.h"

namespace {

using namespace chan_test;

std::vector<int> Numbers(const std::string& text) {
    std::vector<int> numbers;
    const std::regex number("[0-9]+");
    for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it)
        numbers.push_back(std::stoi(it->str()));
    return numbers;
}

void SetEntries(Tables& t, const std::string& text) {
    std::vector<USER_ORG> entries;
    const std::vector<int> n = Numbers(text);
    for (std::size_t i = 0; i + 2 < n.size(); i += 3)
        entries.push_back(Org(n[i], n[i + 2], n[i + 1]));
    t.statistics.SetUserOrgStatList(Linked(entries));
}

void Change(Tables& t, const std::string& text) {
    std::vector<CAMERA_STATUS> changes;
    const std::vector<int> n = Numbers(text);
    for (std::size_t i = 0; i + 1 < n.size(); i += 2) changes.push_back({n[i], n[i + 1], nullptr});
    t.statistics.UpdateCameraStatus(Linked(changes));
}

// The entries of the cells `expected` names, in its form; "id:none" for a miss.
std::string Entries(const Tables& t, const std::string& expected) {
    std::string shown;
    for (const int id : Numbers(std::regex_replace(expected, std::regex(":[^ ]*"), ""))) {
        int online = 0, total = 0;
        const bool found = t.statistics.GetUserOrgStat(id, &online, &total);
        shown += (shown.empty() ? "" : " ") + std::to_string(id) + ":" +
                 (found ? std::to_string(online) + "/" + std::to_string(total) : "none");
    }
    return shown;
}

void DepositCells(Tables& t, std::vector<CELL_INFO> cells) { t.cells.Deposit(Linked(cells)); }

// Root 1 > 10 and 11 (type 1) > top-level type-2 cells 100 (owner 10) and 110 (owner
// 11); 101 to 103 (type 2) under 100. Root 50's owner is root 60; 150 (type 2, top
// level) stands under 50; 30 > 31 and 32 (under 1) are of type 3. Camera 3 is online, 6
// has no status entry, 7 comes twice, offline then online (its known status); 24 is 2.
void DepositSite(Tables& t) {
    DepositCells(t,
                 {Cell(1, 0, "a", 1), Cell(10, 1, "b", 1), Cell(11, 1, "e", 1),
                  Cell(100, 0, "c", 2, 0, 10), Cell(101, 100, "d", 2), Cell(102, 100, "g", 2),
                  Cell(103, 100, "h", 2), Cell(110, 0, "f", 2, 0, 11), Cell(50, 0, "r50", 1, 0, 60),
                  Cell(60, 0, "r60", 1), Cell(150, 0, "t150", 2, 0, 50), Cell(30, 0, "i", 3),
                  Cell(31, 30, "j", 3), Cell(32, 1, "k", 3)});
    std::vector<CAMERA_INFO> cameras = {Camera(1, 101),     Camera(2, 110),     Camera(3, 101),
                                        Camera(4, 150),     Camera(7, 101),     Camera(7, 101),
                                        Camera(21, 100, 2), Camera(22, 100, 1), Camera(23, 100, 2),
                                        Camera(24, 101, 2), Camera(25, 10, 1),  Camera(26, 555, 2),
                                        Camera(27, 555, 2)};
    for (int i : {2, 5, 6, 7, 10}) cameras[i].STATUS = true;
    ASSERT_TRUE(t.StoreCameras(cameras));
    Change(t, "24:2");
    OrgStatistics elsewhere(t.storage, t.cells);
    std::vector<CAMERA_INFO> unnoted = {Camera(6, 101)};
    CameraTable unnoting(t.storage, t.key, t.settings, elsewhere);
    ASSERT_TRUE(unnoting.SetCameraList(Linked(unnoted)));
}

// A change of a stored camera's online state adds or takes one from its cell and each
// ancestor up to the first without an entry, within 0 and the camera count; any
// non-zero status counts online. A top-level cell of either type passes on to its
// owner as type 1; a root without one, to identifier 0. A deposit replaces an entry.
TEST(CameraStatusRollUp, FollowsTheChangedCameraUpTheTree) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"101:2/5 100:4/9 10:10/20 1:11/30 110:0/5", "1:1 2:1",
         "101:3/5 100:5/9 10:11/20 1:12/30 110:1/5"},
        {"101:2/5", "1:1 1:1 99:1", "101:3/5 100:none"},  // repeated once, unknown never
        {"101:0/5 100:3/3", "3:0", "101:0/5 100:2/3"},
        {"101:5/5 100:3/3", "1:1", "101:5/5 100:3/3"},
        {"101:2/5", "1:2 1:1", "101:3/5"},
        {"150:0/4 50:0/4 60:0/4 0:0/4", "4:1", "150:1/4 50:1/4 60:1/4 0:1/4"},
        {"101:2/5", "6:1 6:1", "101:4/5"},  // without a status entry every change counts
        {"101:2/5", "7:1", "101:2/5"},
    };
    for (const auto& [entries, changes, expected] : cases) {
        Tables t;
        DepositSite(t);
        SetEntries(t, std::regex_replace(entries, std::regex(":[0-9]+/[0-9]+"), ":9/9"));
        SetEntries(t, entries);
        Change(t, changes);
        t.statistics.UpdateCameraStatus(nullptr);
        EXPECT_EQ(Entries(t, expected), expected) << entries << " after " << changes;
    }
}

// A cell's entry becomes the sums of its same-type children's entries, plus for a type-2
// cell its own rows (any CELLTYPE, only STATUS 1 online); then each ancestor in turn,
// the owner of a top-level type-2 cell as type 1, through cells without an entry. A
// cell not cached is counted and ends the walk.
TEST(UserOrgRecount, SumsTheChildrenAndTheCellsOwnRowsUpTheTree) {
    const std::tuple<const char*, int, int, const char*> cases[] = {
        {"100:0/0 101:3/10 102:7/7 10:0/0", 100, 2, "100:12/20 10:0/0"},
        {"10:0/0 11:1/4 1:0/0 100:50/50", 10, 1, "10:0/0 1:1/4"},
        {"101:0/0 10:9/9 1:9/9", 101, 2, "101:1/5 100:none 10:0/0 1:0/0"},
        {"555:0/0", 555, 2, "555:0/2"},
        {"30:0/0 31:2/5 32:4/4", 30, 3, "30:2/5"},  // another type: its children only
    };
    for (const auto& [entries, cellId, cellType, expected] : cases) {
        Tables t;
        DepositSite(t);
        SetEntries(t, entries);
        t.statistics.RecountUserOrgStat(cellId, cellType);
        EXPECT_EQ(Entries(t, expected), expected) << cellId;
    }
}

// 201 and 202 name each other as parents and both have entries: only the bound ends a walk.
TEST(CameraStatusRollUp, ACyclicDepositEndsTheWalk) {
    Tables t;
    DepositCells(t, {Cell(201, 202, "x1", 2), Cell(202, 201, "x2", 2)});
    ASSERT_TRUE(t.StoreCameras({Camera(1, 201)}));
    SetEntries(t, "201:0/1000 202:0/1000");
    Change(t, "1:1");
    int online = 0, total = 0;
    ASSERT_TRUE(t.statistics.GetUserOrgStat(201, &online, &total));
    EXPECT_GT(online, 0);
    t.statistics.RecountUserOrgStat(201, 2);
    ASSERT_TRUE(t.statistics.GetUserOrgStat(201, &online, &total));
    EXPECT_GT(total, 1000);  // its own camera and at least one pass over 202
}

TEST(UserOrgRecount, ADeepChainIsRecountedWithoutExhaustingTheStack) {
    Tables t;
    std::vector<CELL_INFO> chain;
    for (int id = 1000; id < 101000; ++id)
        chain.push_back(Cell(id, id == 1000 ? 0 : id - 1, "z" + std::to_string(id), 1));
    DepositCells(t, chain);
    SetEntries(t, "1000:5/5 100999:2/3");
    t.statistics.RecountUserOrgStat(100999, 1);
    EXPECT_EQ(Entries(t, "1000"), "1000:0/0");  // its only child has no entry
}

}  // namespace
