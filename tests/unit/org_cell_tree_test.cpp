// The cell tree: its indexes answer exactly as plain scans of the ordered cell map do,
// over random deposits with duplicate index codes, ids shared across types, re-deposits,
// cycles and a root repair in every round; and the cases random data does not reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "store_test_support.h"

namespace {

using org_test::Cell;
using org_test::Linked;
using org_test::SameRecord;
using org_test::TakeList;
using Lines = std::vector<std::string>;

// The root-repair log lines, as the client sees them.
std::string RepairLine(int line, const std::string& text) {
    return "<.\\DataOper [" + std::to_string(line) + "] - CDataOper::SetCellList> <" + text + ">";
}
std::string Named(const std::string& name, int id, int parentId) {
    return "name " + name + " id " + std::to_string(id) + " parentid " + std::to_string(parentId);
}
std::string NotFindRootLine() { return RepairLine(331, "not find root cell"); }
std::string LookForLine(const std::string& name, int id, int parentId) {
    return RepairLine(339, "look for cell, " + Named(name, id, parentId));
}
std::string FindLine(const std::string& name, int id, int parentId) {
    return RepairLine(349, "find cell, " + Named(name, id, parentId));
}
std::string SetRootLine(const std::string& name, int id, int parentId) {
    return RepairLine(356,
                      "not find root cell, " + Named(name, id, parentId) + ", set parentid to 0");
}

// Deposits and returns the text of every line logged meanwhile; each must be a level-3
// "tvwall" line.
Lines Deposit(CDataOper& store, std::vector<CELL_INFO> cells) {
    store_test::LogCapture capture;
    store.SetCellList(Linked(cells));
    Lines texts;
    for (const store_test::LogLine& line : capture.Lines()) {
        EXPECT_EQ(line.level, 3) << line.text;
        EXPECT_EQ(line.module, "tvwall") << line.text;
        texts.push_back(line.text);
    }
    return texts;
}

class CellTreeTest : public store_test::FaultSafeTest {
protected:
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

// What the cell operations answer, by scanning the map in key order every time.
class PlainCellTree {
public:
    // Stores the cells and repairs as described for SetCellList; returns the log lines.
    Lines Deposit(const std::vector<CELL_INFO>& cells) {
        for (const CELL_INFO& cell : cells) m_cells[cell.indexCode] = cell;
        for (const auto& [code, cell] : m_cells)
            if (cell.cellType == 1 && cell.parentId == 0) return {};
        Lines lines{NotFindRootLine()};
        for (auto& [code, cell] : m_cells) {
            if (cell.cellType == 2) continue;
            lines.push_back(LookForLine(cell.name, cell.id, cell.parentId));
            auto parent = std::find_if(m_cells.begin(), m_cells.end(), [&](const auto& other) {
                return other.first != code && other.second.id == cell.parentId;
            });
            if (parent != m_cells.end()) {
                const CELL_INFO& found = parent->second;
                lines.push_back(FindLine(found.name, found.id, found.parentId));
                continue;
            }
            lines.push_back(SetRootLine(cell.name, cell.id, cell.parentId));
            cell.parentId = 0;
            break;
        }
        return lines;
    }

    const CELL_INFO* Info(int id, int cellType) const {
        for (const auto& [code, cell] : m_cells)
            if (cell.id == id && cell.cellType == cellType) return &cell;
        return nullptr;
    }

    // Walks up with a record of the pairs seen, so a loop shows as a pair seen twice.
    int Level(int id, int cellType) const {
        std::set<std::pair<int, int>> seen;
        int level = -1;
        while (id != 0) {
            if (!seen.insert({id, cellType}).second) return -1;
            const CELL_INFO* cell = Info(id, cellType);
            if (cell == nullptr) return -1;
            id = cell->parentId;
            cellType = cell->cellType;
            if (id == 0 && cellType == 2) {
                id = cell->ownerId;
                cellType = 1;
            }
            ++level;
        }
        return level;
    }

    // A type-1 cell's top-level type-2 cells come first; each group in sortOrder, then id.
    std::vector<CELL_INFO> Children(int id, int cellType) const {
        std::vector<CELL_INFO> result;
        auto addGroup = [&](auto matches) {
            std::vector<CELL_INFO> group;
            for (const auto& [code, cell] : m_cells)
                if (matches(cell)) group.push_back(cell);
            std::stable_sort(
                group.begin(), group.end(), [](const CELL_INFO& a, const CELL_INFO& b) {
                    return a.sortOrder != b.sortOrder ? a.sortOrder < b.sortOrder : a.id < b.id;
                });
            result.insert(result.end(), group.begin(), group.end());
        };
        if (cellType == 1) {
            addGroup([&](const CELL_INFO& c) {
                return c.cellType == 2 && c.parentId == 0 && c.ownerId == id;
            });
            addGroup([&](const CELL_INFO& c) { return c.cellType == 1 && c.parentId == id; });
        } else if (cellType == 2) {
            addGroup([&](const CELL_INFO& c) { return c.cellType == 2 && c.parentId == id; });
        }
        return result;
    }

    Lines RootCodes() const {
        Lines codes;
        for (const auto& [code, cell] : m_cells)
            if (cell.cellType == 1 && cell.parentId == 0) codes.push_back(code);
        return codes;
    }

    const CELL_INFO& At(const std::string& code) const { return m_cells.at(code); }
    std::size_t Size() const { return m_cells.size(); }

private:
    std::map<std::string, CELL_INFO> m_cells;
};

constexpr int kMaxId = 500;
constexpr int kMaxParent = 520;  // ids above kMaxId are never deposited: missing parents
constexpr int kHubIds = 40;

class RandomCells {
public:
    explicit RandomCells(unsigned seed) : m_random(seed) {}

    CELL_INFO Next() {
        const std::string code = "c" + std::to_string(Uniform(0, 1199));
        const int roll = Uniform(0, 99);
        const int cellType = roll < 55 ? 1 : roll < 95 ? 2 : 3;
        // Half the parents come from a few low ids, so real chains form among the noise.
        int parentId = Uniform(0, 1) == 0 ? Uniform(1, kHubIds) : Uniform(1, kMaxParent);
        if (cellType != 1 && Uniform(0, 1) == 0) parentId = 0;  // type 1 is never a root
        const int ownerId = Uniform(0, 3) == 0 ? 0 : Uniform(1, kHubIds);
        CELL_INFO cell =
            Cell(Uniform(1, kMaxId), parentId, code, cellType, Uniform(-3, 3), ownerId);
        org_test::SetText(cell.name, "n" + std::to_string(Uniform(0, 99999)));
        return cell;
    }

    int Uniform(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }

private:
    std::mt19937 m_random;
};

class CellIndexAgreesWithScan : public CellTreeTest {
protected:
    void CompareEveryAnswer() {
        for (int id = -1; id <= kMaxParent + 2; ++id) {
            for (int cellType = 0; cellType <= 3; ++cellType) {
                SCOPED_TRACE("id " + std::to_string(id) + " type " + std::to_string(cellType));
                const CELL_INFO* expected = m_plain.Info(id, cellType);
                CELL_INFO found;
                ASSERT_EQ(m_store.GetCellInfo(&found, id, cellType), expected != nullptr);
                if (expected != nullptr) {
                    EXPECT_TRUE(SameRecord(found, *expected)) << expected->indexCode;
                    EXPECT_EQ(found.next, nullptr);
                }
                ASSERT_EQ(m_store.GetCellLevel(id, cellType), m_plain.Level(id, cellType));

                const std::vector<CELL_INFO> children = m_plain.Children(id, cellType);
                CELL_INFO* head = nullptr;
                ASSERT_EQ(m_store.GetChildCellList(&head, id, cellType), !children.empty());
                const std::vector<CELL_INFO> listed = TakeList(head);
                ASSERT_EQ(listed.size(), children.size());
                for (std::size_t i = 0; i < listed.size(); ++i)
                    ASSERT_TRUE(SameRecord(listed[i], children[i])) << children[i].indexCode;
            }
        }
    }

    PlainCellTree m_plain;
};

TEST_F(CellIndexAgreesWithScan, OverRandomRoundsOfDepositsRedepositsAndRepairs) {
    RandomCells random(20240611);
    int deepCells = 0;
    for (int round = 0; round < 3; ++round) {
        std::vector<CELL_INFO> batch;
        for (int i = 0; i < (round == 0 ? 1500 : 800); ++i) batch.push_back(random.Next());
        // Self-parents, examined before the random cells ("b" sorts before "c"): the
        // first shares its id with another entry and so has a parent; the second,
        // alone with its id, has none and is the one repaired.
        if (round == 0) {
            batch.push_back(Cell(7, 7, "b0"));
            batch.push_back(Cell(7, 3, "c-seven", 2));
        } else if (round == 1) {
            batch.push_back(Cell(kMaxParent + 1, kMaxParent + 1, "b1"));
        }
        // Take away the roots that earlier repairs made, so this round repairs again.
        for (const std::string& code : m_plain.RootCodes()) {
            CELL_INFO cell = m_plain.At(code);
            cell.parentId = random.Uniform(1, kMaxParent);
            batch.push_back(cell);
        }
        const Lines expected = m_plain.Deposit(batch);
        EXPECT_EQ(Deposit(m_store, batch), expected);
        ASSERT_GT(expected.size(), 1u) << "every round is meant to repair";
        CompareEveryAnswer();
        if (HasFatalFailure()) return;
        for (int id = 1; id <= kMaxId; ++id)
            deepCells += (m_plain.Level(id, 1) >= 2) + (m_plain.Level(id, 2) >= 2);
    }
    // The data is meant to hold real trees, not just orphans and loops.
    EXPECT_GT(deepCells, 10);
    EXPECT_GT(m_plain.Size(), 1000u);
}

// Only a cache without a type-1 root is repaired; type-2 cells are never chosen, cells of
// any other type are.
TEST_F(CellTreeTest, RepairIsLoggedOnlyWhenNoTypeOneRootIsCached) {
    const struct {
        std::vector<CELL_INFO> cells;
        Lines lines;
    } cases[] = {
        {{}, {NotFindRootLine()}},
        {{Cell(2, 77, "a"), Cell(1, 0, "b")}, {}},
        {{Cell(1, 98, "a", 2), Cell(2, 99, "b", 2)}, {NotFindRootLine()}},
        {{Cell(1, 98, "a", 3), Cell(2, 99, "b")},
         {NotFindRootLine(), LookForLine("cell a", 1, 98), SetRootLine("cell a", 1, 98)}},
        {{Cell(10, 11, "a"), Cell(11, 99, "b")},
         {NotFindRootLine(), LookForLine("cell a", 10, 11), FindLine("cell b", 11, 99),
          LookForLine("cell b", 11, 99), SetRootLine("cell b", 11, 99)}},
    };
    for (const auto& c : cases) {
        CDataOper store;
        EXPECT_EQ(Deposit(store, c.cells), c.lines) << c.cells.size();
    }
}

// The key is all 64 characters: a second record with the same 64 replaces the first.
TEST_F(CellTreeTest, UnterminatedNameAndIndexCodeAreReadOnlyToTheirWidth) {
    CELL_INFO cell = Cell(4, 40, "");
    std::memset(cell.indexCode, 'K', sizeof cell.indexCode);
    std::memset(cell.name, 'N', sizeof cell.name);
    cell.sortOrder = 0x41414141;  // would show as "AAAA" in an over-read name
    const std::string name(sizeof cell.name, 'N');
    EXPECT_EQ(Deposit(m_store, {cell}), (Lines{NotFindRootLine(), LookForLine(name, 4, 40),
                                               SetRootLine(name, 4, 40)}));
    EXPECT_EQ(m_store.GetCellLevel(4, 1), 0);  // a root now
    cell.id = 8;
    Deposit(m_store, {cell});
    CELL_INFO out;
    EXPECT_FALSE(m_store.GetCellInfo(&out, 4, 1));
    EXPECT_EQ(m_store.GetCellLevel(8, 1), 0);
}

// Cyclic parents, a self-parent among them, end with -1; a miss writes nothing.
TEST_F(CellTreeTest, CyclesEndWithMinusOneAndAMissWritesNothing) {
    Deposit(m_store, {Cell(1, 0, "r"), Cell(5, 6, "a"), Cell(6, 5, "b"), Cell(7, 7, "self"),
                      Cell(8, 5, "below"), Cell(9, 0, "t2", 2, 0, 1)});
    for (const auto& [id, level] : {std::pair{5, -1}, {7, -1}, {8, -1}, {1, 0}})
        EXPECT_EQ(m_store.GetCellLevel(id, 1), level) << id;
    CELL_INFO out;
    std::memset(&out, 0xAB, sizeof out);
    const CELL_INFO before = out;
    EXPECT_FALSE(m_store.GetCellInfo(&out, 9, 1));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
    EXPECT_FALSE(m_store.GetCellInfo(nullptr, 9, 2));
    CELL_INFO* head = nullptr;
    EXPECT_FALSE(m_store.GetChildCellList(&head, 1, 3));
    EXPECT_EQ(head, nullptr);
    EXPECT_FALSE(m_store.GetChildCellList(nullptr, 1, 1));
}

// Both forget every cell and its index entries; with the root count reset, a rootless
// deposit is repaired again.
TEST_F(CellTreeTest, ClearAllAndUnInitForgetEveryCellAndItsIndexEntries) {
    Deposit(m_store, {Cell(1, 0, "root"), Cell(2, 1, "a")});
    m_store.ClearAll();
    CELL_INFO out;
    EXPECT_FALSE(m_store.GetCellInfo(&out, 1, 1));
    EXPECT_EQ(ChildIds(1, 1), std::vector<int>{});
    EXPECT_EQ(m_store.GetCellLevel(2, 1), -1);
    Deposit(m_store, {Cell(5, 4, "b")});
    EXPECT_EQ(m_store.GetCellLevel(5, 1), 0);
    m_store.UnInit();
    EXPECT_EQ(ChildIds(0, 1), std::vector<int>{});
    Deposit(m_store, {Cell(5, 4, "b"), Cell(6, 5, "c")});
    EXPECT_EQ(ChildIds(5, 1), std::vector<int>{6});
}

}  // namespace
