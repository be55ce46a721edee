// The cell tree answers as plain scans of the ordered cell map do, over random rounds with
// shared codes and ids, cycles, repairs and a ClearAll; and the cases random data misses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "org_test_support.h"
#include "store/DataOper.h"
#include "store_test_support.h"

namespace {

using org_test::Cell;
using org_test::Linked;
using org_test::Listed;
using org_test::SameRecord;
using org_test::SameRecords;
using Lines = std::vector<std::string>;

// The root-repair log lines as the client's sink sees them: level, module and text.
std::string RepairLine(int line, const std::string& text) {
    return "3 tvwall <.\\DataOper [" + std::to_string(line) + "] - CDataOper::SetCellList> <" +
           text + ">";
}
std::string Named(const std::string& name, int id, int parentId) {
    return "name " + name + " id " + std::to_string(id) + " parentid " + std::to_string(parentId);
}
const std::string kNotFindRoot = RepairLine(331, "not find root cell");
std::string LookFor(const std::string& name, int id, int parentId) {
    return RepairLine(339, "look for cell, " + Named(name, id, parentId));
}
std::string SetRoot(const std::string& name, int id, int parentId) {
    return RepairLine(356,
                      "not find root cell, " + Named(name, id, parentId) + ", set parentid to 0");
}

// Deposits and returns every line logged meanwhile.
Lines Deposit(CDataOper& store, std::vector<CELL_INFO> cells) {
    store_test::LogCapture capture;
    store.SetCellList(Linked(cells));
    Lines lines;
    for (const store_test::LogLine& line : capture.Lines())
        lines.push_back(std::to_string(line.level) + " " + line.module + " " + line.text);
    return lines;
}

// What the cell operations answer, by scanning the map in key order every time.
class PlainCellTree {
public:
    // Stores the cells and repairs as described for SetCellList; returns the log lines.
    Lines Deposit(const std::vector<CELL_INFO>& cells) {
        for (const CELL_INFO& cell : cells) m_cells[cell.indexCode] = cell;
        for (const auto& [code, cell] : m_cells)
            if (cell.cellType == 1 && cell.parentId == 0) return {};
        Lines lines{kNotFindRoot};
        for (auto& [code, cell] : m_cells) {
            if (cell.cellType == 2) continue;
            lines.push_back(LookFor(cell.name, cell.id, cell.parentId));
            auto parent = std::find_if(m_cells.begin(), m_cells.end(), [&](const auto& other) {
                return other.first != code && other.second.id == cell.parentId;
            });
            if (parent != m_cells.end()) {
                const CELL_INFO& found = parent->second;
                lines.push_back(
                    RepairLine(349, "find cell, " + Named(found.name, found.id, found.parentId)));
                continue;
            }
            lines.push_back(SetRoot(cell.name, cell.id, cell.parentId));
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
            if (id == 0 && cellType == 2) std::tie(id, cellType) = std::pair(cell->ownerId, 1);
            ++level;
        }
        return level;
    }

    // The cells of cellType under id, each group in sortOrder, then id; a type-1 cell's
    // top-level type-2 cells (parentId 0, ownerId id) come first.
    std::vector<CELL_INFO> Children(int id, int cellType) const {
        std::vector<CELL_INFO> result;
        auto addGroup = [&](int type, int parentId, bool owned) {
            std::vector<CELL_INFO> group;
            for (const auto& [code, cell] : m_cells)
                if (cell.cellType == type && cell.parentId == parentId &&
                    (!owned || cell.ownerId == id))
                    group.push_back(cell);
            std::stable_sort(
                group.begin(), group.end(), [](const CELL_INFO& a, const CELL_INFO& b) {
                    return a.sortOrder != b.sortOrder ? a.sortOrder < b.sortOrder : a.id < b.id;
                });
            result.insert(result.end(), group.begin(), group.end());
        };
        if (cellType == 1) addGroup(2, 0, true);
        if (cellType == 1 || cellType == 2) addGroup(cellType, id, false);
        return result;
    }

private:
    std::map<std::string, CELL_INFO> m_cells;
};

constexpr int kMaxId = 500;
constexpr int kMaxParent = 520;  // ids above kMaxId are never deposited: missing parents
constexpr int kHubIds = 40;

// Rounds of random cells: round 0 deposits many and is repaired; round 1 adds and replaces
// some and brings a root, so nothing is repaired; round 2 comes after a ClearAll, so
// nothing earlier may answer and the deposit is repaired again.
TEST(CellTree, IndexesAnswerLikeScansOfAPlainMapOverRandomRounds) {
    std::mt19937 random(20240611);
    auto uniform = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    auto randomCell = [&] {
        const std::string code = "c" + std::to_string(uniform(0, 1199));
        const int roll = uniform(0, 99);
        const int cellType = roll < 55 ? 1 : roll < 95 ? 2 : 3;
        // Half the parents come from a few low ids, so real chains form among the noise.
        int parentId = uniform(0, 1) == 0 ? uniform(1, kHubIds) : uniform(1, kMaxParent);
        if (cellType != 1 && uniform(0, 1) == 0) parentId = 0;  // type 1 is never a root
        const int ownerId = uniform(0, 3) == 0 ? 0 : uniform(1, kHubIds);
        CELL_INFO cell =
            Cell(uniform(1, kMaxId), parentId, code, cellType, uniform(-3, 3), ownerId);
        org_test::SetText(cell.name, "n" + std::to_string(uniform(0, 99999)));
        return cell;
    };
    CDataOper store;
    PlainCellTree plain;
    auto compareEveryAnswer = [&] {
        for (int id = -1; id <= kMaxParent + 2; ++id) {
            for (int cellType = 0; cellType <= 3; ++cellType) {
                SCOPED_TRACE("id " + std::to_string(id) + " type " + std::to_string(cellType));
                const CELL_INFO* expected = plain.Info(id, cellType);
                const CELL_INFO untouched = Cell(-1, -1, "untouched");
                CELL_INFO found = untouched;  // a miss writes nothing
                ASSERT_EQ(store.GetCellInfo(&found, id, cellType), expected != nullptr);
                ASSERT_TRUE(SameRecord(found, expected != nullptr ? *expected : untouched));
                ASSERT_EQ(found.next, nullptr);
                ASSERT_EQ(store.GetCellLevel(id, cellType), plain.Level(id, cellType));
                ASSERT_TRUE(SameRecords(Listed<CELL_INFO>([&](auto** head) {
                                            return store.GetChildCellList(head, id, cellType);
                                        }),
                                        plain.Children(id, cellType)));
            }
        }
    };
    int deepCells = 0;
    for (int round = 0; round < 3; ++round) {
        if (round == 2) {
            store.ClearAll();
            plain = PlainCellTree();
        }
        std::vector<CELL_INFO> batch;
        for (int i = 0; i < (round == 0 ? 1500 : 800); ++i) batch.push_back(randomCell());
        // Self-parents, examined before the random cells ("b" sorts before "c"): the
        // first shares its id with another entry and so has a parent; the second,
        // alone with its id, has none and is the one repaired.
        if (round == 0) {
            batch.push_back(Cell(7, 7, "b0"));
            batch.push_back(Cell(7, 3, "c-seven", 2));
        } else if (round == 1) {
            batch.push_back(Cell(1, 0, "a-root"));
        } else {
            batch.push_back(Cell(kMaxParent + 1, kMaxParent + 1, "b1"));
        }
        const Lines expected = plain.Deposit(batch);
        EXPECT_EQ(Deposit(store, batch), expected);
        ASSERT_EQ(expected.empty(), round == 1) << "rounds 0 and 2 are meant to repair";
        compareEveryAnswer();
        if (::testing::Test::HasFatalFailure()) return;
        for (int id = 1; id <= kMaxId; ++id)
            deepCells += (plain.Level(id, 1) >= 2) + (plain.Level(id, 2) >= 2);
    }
    // The data is meant to hold real trees, not just orphans and loops.
    EXPECT_GT(deepCells, 10);
}

// An empty cache is repaired (with nothing to choose); a name is logged only to its width.
TEST(CellTree, RepairOfAnEmptyCacheAndOfAnUnterminatedName) {
    CDataOper store;
    EXPECT_EQ(Deposit(store, {}), Lines{kNotFindRoot});
    CELL_INFO cell = Cell(4, 40, "");
    std::memset(cell.indexCode, 'K', sizeof cell.indexCode);
    std::memset(cell.name, 'N', sizeof cell.name);
    cell.sortOrder = 0x41414141;  // would show as "AAAA" in an over-read name
    const std::string name(sizeof cell.name, 'N');
    EXPECT_EQ(Deposit(store, {cell}),
              (Lines{kNotFindRoot, LookFor(name, 4, 40), SetRoot(name, 4, 40)}));
}

}  // namespace
