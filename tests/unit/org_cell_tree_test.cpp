// The cell tree: deposits and their root repair with its log lines, look-ups, levels,
// children, and the reset of the indexes by ClearAll and UnInit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "store_test_support.h"

using org_test::Cell;
using org_test::FindLine;
using org_test::Linked;
using org_test::LookForLine;
using org_test::NotFindRootLine;
using org_test::SetRootLine;
using org_test::TakeList;

namespace {

class CellTreeTest : public store_test::FaultSafeTest {
protected:
    void Deposit(std::vector<CELL_INFO> cells) { m_store.SetCellList(Linked(cells)); }

    // Deposits and returns the text of every line logged meanwhile; each must be a
    // level-3 "tvwall" line.
    std::vector<std::string> DepositLogged(std::vector<CELL_INFO> cells) {
        store_test::LogCapture capture;
        m_store.SetCellList(Linked(cells));
        std::vector<std::string> texts;
        for (const store_test::LogLine& line : capture.Lines()) {
            EXPECT_EQ(line.level, 3) << line.text;
            EXPECT_EQ(line.module, "tvwall") << line.text;
            texts.push_back(line.text);
        }
        return texts;
    }

    int StoredParent(int id, int cellType = 1) {
        CELL_INFO cell;
        EXPECT_TRUE(m_store.GetCellInfo(&cell, id, cellType)) << id;
        return cell.parentId;
    }

    std::vector<int> ChildIds(int id, int cellType) {
        CELL_INFO* head = nullptr;
        const bool found = m_store.GetChildCellList(&head, id, cellType);
        std::vector<int> ids;
        for (const CELL_INFO& cell : TakeList(head)) ids.push_back(cell.id);
        EXPECT_EQ(found, !ids.empty());
        return ids;
    }

    CDataOper m_store;
};

using CellTreeRepair = CellTreeTest;

TEST_F(CellTreeRepair, NullDepositOnEmptyCacheLogsTheMissingRootOnly) {
    EXPECT_EQ(DepositLogged({}), std::vector<std::string>{NotFindRootLine()});
}

TEST_F(CellTreeRepair, DepositWithARootLogsNothingAndChangesNothing) {
    EXPECT_TRUE(DepositLogged({Cell(2, 77, "a"), Cell(1, 0, "b")}).empty());
    EXPECT_EQ(StoredParent(2), 77);
}

TEST_F(CellTreeRepair, FirstCellInIndexCodeOrderWithoutParentBecomesRoot) {
    // Deposit order differs from key order: "a" is examined first.
    const std::vector<std::string> lines = DepositLogged({Cell(11, 10, "b"), Cell(10, 99, "a")});
    EXPECT_EQ(lines, (std::vector<std::string>{NotFindRootLine(), LookForLine("cell a", 10, 99),
                                               SetRootLine("cell a", 10, 99)}));
    EXPECT_EQ(StoredParent(10), 0);
    EXPECT_EQ(StoredParent(11), 10);
}

TEST_F(CellTreeRepair, CellWithParentIsPassedAndLaterOrphanIsRepairedWithFourKindsOfLine) {
    const std::vector<std::string> lines = DepositLogged({Cell(10, 11, "a"), Cell(11, 99, "b")});
    EXPECT_EQ(lines,
              (std::vector<std::string>{NotFindRootLine(), LookForLine("cell a", 10, 11),
                                        FindLine("cell b", 11, 99), LookForLine("cell b", 11, 99),
                                        SetRootLine("cell b", 11, 99)}));
    EXPECT_EQ(StoredParent(10), 11);
    EXPECT_EQ(StoredParent(11), 0);
}

TEST_F(CellTreeRepair, AtMostOneCellChangesPerDepositAndTheNextDepositSeesTheRoot) {
    Deposit({Cell(1, 98, "a"), Cell(2, 99, "b")});
    EXPECT_EQ(StoredParent(1), 0);
    EXPECT_EQ(StoredParent(2), 99);
    EXPECT_TRUE(DepositLogged({}).empty());
}

TEST_F(CellTreeRepair, TypeTwoCellsAreNeverChosen) {
    const std::vector<std::string> lines =
        DepositLogged({Cell(1, 98, "a", 2), Cell(2, 99, "b", 2)});
    EXPECT_EQ(lines, std::vector<std::string>{NotFindRootLine()});
    EXPECT_EQ(StoredParent(1, 2), 98);
    EXPECT_EQ(StoredParent(2, 2), 99);

    Deposit({Cell(3, 97, "c", 1)});
    EXPECT_EQ(StoredParent(1, 2), 98);
    EXPECT_EQ(StoredParent(3, 1), 0);
}

TEST_F(CellTreeRepair, CellsOfOtherTypesThanTwoAreExamined) {
    Deposit({Cell(1, 98, "a", 3), Cell(2, 99, "b", 1)});
    EXPECT_EQ(StoredParent(1, 3), 0);
    EXPECT_EQ(StoredParent(2, 1), 99);
}

TEST_F(CellTreeRepair, ParentOfAnyTypeCounts) {
    const std::vector<std::string> lines = DepositLogged({Cell(1, 5, "a"), Cell(5, 0, "b", 2)});
    EXPECT_EQ(lines, (std::vector<std::string>{NotFindRootLine(), LookForLine("cell a", 1, 5),
                                               FindLine("cell b", 5, 0)}));
    EXPECT_EQ(StoredParent(1), 5);
}

TEST_F(CellTreeRepair, SelfParentIsFoundOnlyThroughAnotherEntryWithItsId) {
    Deposit({Cell(5, 5, "a")});
    EXPECT_EQ(StoredParent(5), 0);

    CDataOper other;
    std::vector<CELL_INFO> cells{Cell(5, 5, "a"), Cell(5, 6, "b", 2)};
    other.SetCellList(Linked(cells));
    CELL_INFO cell;
    ASSERT_TRUE(other.GetCellInfo(&cell, 5, 1));
    EXPECT_EQ(cell.parentId, 5);
}

TEST_F(CellTreeRepair, FirstParentInIndexCodeOrderIsNamed) {
    const std::vector<std::string> lines =
        DepositLogged({Cell(7, 3, "a"), Cell(3, 90, "z"), Cell(3, 91, "m", 2)});
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], FindLine("cell m", 3, 91));
}

TEST_F(CellTreeRepair, RedepositThatTakesAwayTheRootTriggersRepairAgain) {
    Deposit({Cell(1, 0, "a"), Cell(2, 1, "b")});
    EXPECT_TRUE(DepositLogged({}).empty());
    const std::vector<std::string> lines = DepositLogged({Cell(1, 50, "a")});
    EXPECT_EQ(lines.front(), NotFindRootLine());
    EXPECT_EQ(StoredParent(1), 0);
}

TEST_F(CellTreeRepair, UnterminatedNameAndIndexCodeAreReadOnlyToTheirWidth) {
    CELL_INFO cell = Cell(4, 40, "");
    std::memset(cell.indexCode, 'K', sizeof cell.indexCode);
    std::memset(cell.name, 'N', sizeof cell.name);
    cell.sortOrder = 0x41414141;  // would show as "AAAA" in an over-read name
    const std::vector<std::string> lines = DepositLogged({cell});
    const std::string name(sizeof cell.name, 'N');
    EXPECT_EQ(lines, (std::vector<std::string>{NotFindRootLine(), LookForLine(name, 4, 40),
                                               SetRootLine(name, 4, 40)}));
    EXPECT_EQ(StoredParent(4), 0);

    // The key is the 64 characters: a second record with the same 64 replaces it.
    CELL_INFO again = cell;
    again.id = 8;
    Deposit({again});
    CELL_INFO out;
    EXPECT_FALSE(m_store.GetCellInfo(&out, 4, 1));
    EXPECT_TRUE(m_store.GetCellInfo(&out, 8, 1));
}

using CellTreeLookup = CellTreeTest;

TEST_F(CellTreeLookup, LaterRecordOfTheSameIndexCodeReplacesTheEarlier) {
    Deposit({Cell(1, 0, "root"), Cell(2, 1, "x"), Cell(3, 1, "x")});
    CELL_INFO out;
    EXPECT_FALSE(m_store.GetCellInfo(&out, 2, 1));
    ASSERT_TRUE(m_store.GetCellInfo(&out, 3, 1));
    EXPECT_STREQ(out.indexCode, "x");
    EXPECT_EQ(ChildIds(1, 1), std::vector<int>{3});
}

TEST_F(CellTreeLookup, FirstInIndexCodeOrderWinsAndTheCopyHasNoNext) {
    std::vector<CELL_INFO> cells{Cell(1, 0, "root"), Cell(9, 1, "q", 1, 5), Cell(9, 1, "c", 1, 6)};
    m_store.SetCellList(Linked(cells));
    CELL_INFO out;
    ASSERT_TRUE(m_store.GetCellInfo(&out, 9, 1));
    EXPECT_STREQ(out.indexCode, "c");
    EXPECT_TRUE(org_test::SameRecord(out, cells[2]));
    EXPECT_EQ(out.next, nullptr);
}

TEST_F(CellTreeLookup, IdPresentOnlyUnderAnotherTypeIsNotFoundAndTheRecordIsUntouched) {
    Deposit({Cell(1, 0, "root"), Cell(6, 0, "t2", 2, 0, 1)});
    CELL_INFO out;
    std::memset(&out, 0xAB, sizeof out);
    const CELL_INFO before = out;
    EXPECT_FALSE(m_store.GetCellInfo(&out, 6, 1));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
    EXPECT_FALSE(m_store.GetCellInfo(nullptr, 6, 2));
}

using CellTreeLevel = CellTreeTest;

TEST_F(CellTreeLevel, LevelsFollowParentsAndOwners) {
    Deposit({Cell(1, 0, "r"), Cell(2, 1, "r.a"), Cell(3, 2, "r.a.b"), Cell(10, 0, "t", 2, 0, 1),
             Cell(11, 10, "t.s", 2), Cell(12, 0, "u", 2, 0, 3)});
    EXPECT_EQ(m_store.GetCellLevel(1, 1), 0);
    EXPECT_EQ(m_store.GetCellLevel(2, 1), 1);
    EXPECT_EQ(m_store.GetCellLevel(3, 1), 2);
    EXPECT_EQ(m_store.GetCellLevel(10, 2), 1);
    EXPECT_EQ(m_store.GetCellLevel(11, 2), 2);
    EXPECT_EQ(m_store.GetCellLevel(12, 2), 3);
    EXPECT_EQ(m_store.GetCellLevel(99, 1), -1);
    EXPECT_EQ(m_store.GetCellLevel(0, 1), -1);
    EXPECT_EQ(m_store.GetCellLevel(2, 2), -1);
}

TEST_F(CellTreeLevel, CyclicParentsEndWithMinusOne) {
    Deposit({Cell(1, 0, "r"), Cell(5, 6, "a"), Cell(6, 5, "b"), Cell(7, 7, "self"),
             Cell(8, 5, "below")});
    EXPECT_EQ(m_store.GetCellLevel(5, 1), -1);
    EXPECT_EQ(m_store.GetCellLevel(7, 1), -1);
    EXPECT_EQ(m_store.GetCellLevel(8, 1), -1);
    EXPECT_EQ(m_store.GetCellLevel(1, 1), 0);
}

using CellTreeChildren = CellTreeTest;

TEST_F(CellTreeChildren, TopLevelTypeTwoCellsComeFirstEachGroupInSortOrderThenId) {
    // Type 1 children of 1, deposited out of order; sortOrder ties broken by id.
    Deposit({Cell(1, 0, "root"), Cell(24, 1, "k1", 1, 2), Cell(23, 1, "k2", 1, 1),
             Cell(21, 1, "k3", 1, 2), Cell(34, 0, "t1", 2, 0, 1), Cell(31, 0, "t2", 2, 5, 1),
             Cell(33, 0, "t3", 2, 0, 1), Cell(40, 34, "s1", 2), Cell(41, 1, "not-top", 2)});
    CELL_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetChildCellList(&head, 1, 1));
    std::vector<int> ids;
    CELL_INFO* last = nullptr;
    for (CELL_INFO* cell = head; cell != nullptr; cell = cell->next) {
        ids.push_back(cell->id);
        last = cell;
    }
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->next, nullptr);
    TakeList(head);
    EXPECT_EQ(ids, (std::vector<int>{33, 34, 31, 23, 21, 24}));

    EXPECT_EQ(ChildIds(34, 2), std::vector<int>{40});
    EXPECT_EQ(ChildIds(1, 2), std::vector<int>{41});
    EXPECT_EQ(ChildIds(0, 2), (std::vector<int>{33, 34, 31}));  // top-level type 2 cells
    EXPECT_EQ(ChildIds(23, 1), std::vector<int>{});
}

TEST_F(CellTreeChildren, ChildrenAreWholeCopies) {
    std::vector<CELL_INFO> cells{Cell(1, 0, "root"), Cell(2, 1, "c", 1, 3)};
    m_store.SetCellList(Linked(cells));
    CELL_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetChildCellList(&head, 1, 1));
    const std::vector<CELL_INFO> children = TakeList(head);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_TRUE(org_test::SameRecord(children[0], cells[1]));
}

TEST_F(CellTreeChildren, OtherTypesAndNullOutBuildNothing) {
    Deposit({Cell(1, 0, "root"), Cell(2, 1, "c"), Cell(3, 1, "d", 3)});
    CELL_INFO* head = nullptr;
    EXPECT_FALSE(m_store.GetChildCellList(&head, 1, 3));
    EXPECT_EQ(head, nullptr);
    EXPECT_FALSE(m_store.GetChildCellList(nullptr, 1, 1));
    EXPECT_EQ(ChildIds(1, 1), std::vector<int>{2});  // the type-3 cell is nobody's child
}

TEST_F(CellTreeChildren, RepairMovesTheCellAmongTheRoots) {
    Deposit({Cell(1, 9, "a"), Cell(2, 1, "b")});
    EXPECT_EQ(ChildIds(0, 1), std::vector<int>{1});
    EXPECT_EQ(ChildIds(9, 1), std::vector<int>{});
    EXPECT_EQ(ChildIds(1, 1), std::vector<int>{2});
}

using CellTreeReset = CellTreeTest;

TEST_F(CellTreeReset, ClearAllAndUnInitForgetEveryCellAndItsIndexEntries) {
    Deposit({Cell(1, 0, "root"), Cell(2, 1, "a")});
    m_store.ClearAll();
    CELL_INFO out;
    EXPECT_FALSE(m_store.GetCellInfo(&out, 1, 1));
    EXPECT_EQ(ChildIds(1, 1), std::vector<int>{});
    EXPECT_EQ(m_store.GetCellLevel(2, 1), -1);
    // With the root count reset, a rootless deposit is repaired again.
    Deposit({Cell(5, 4, "b")});
    EXPECT_EQ(StoredParent(5), 0);

    m_store.UnInit();
    EXPECT_FALSE(m_store.GetCellInfo(&out, 5, 1));
    EXPECT_EQ(ChildIds(0, 1), std::vector<int>{});
    Deposit({Cell(5, 4, "b"), Cell(6, 5, "c")});
    EXPECT_EQ(ChildIds(5, 1), std::vector<int>{6});
}

}  // namespace
