// The cell tree's indexes answer exactly as plain scans of the ordered cell map do:
// random deposits with duplicate index codes, ids shared across types, re-deposits,
// cycles and a repair in every round, checked against a model written with scans only.
#include <gtest/gtest.h>

#include <algorithm>
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

using org_test::Linked;
using org_test::SameRecord;
using org_test::TakeList;

// What the cell operations answer, by scanning the map in key order every time.
class PlainCellTree {
public:
    // Stores the cells and repairs as described for SetCellList; returns the log lines.
    std::vector<std::string> Deposit(const std::vector<CELL_INFO>& cells) {
        for (const CELL_INFO& cell : cells) m_cells[cell.indexCode] = cell;
        for (const auto& [code, cell] : m_cells)
            if (cell.cellType == 1 && cell.parentId == 0) return {};
        std::vector<std::string> lines{org_test::NotFindRootLine()};
        for (auto& [code, cell] : m_cells) {
            if (cell.cellType == 2) continue;
            lines.push_back(org_test::LookForLine(cell.name, cell.id, cell.parentId));
            const CELL_INFO* parent = nullptr;
            for (const auto& [otherCode, other] : m_cells) {
                if (otherCode != code && other.id == cell.parentId) {
                    parent = &other;
                    break;
                }
            }
            if (parent != nullptr) {
                lines.push_back(org_test::FindLine(parent->name, parent->id, parent->parentId));
                continue;
            }
            lines.push_back(org_test::SetRootLine(cell.name, cell.id, cell.parentId));
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

    std::vector<std::string> RootCodes() const {
        std::vector<std::string> codes;
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
constexpr int kCodePool = 1200;
constexpr int kHubIds = 40;

class RandomCells {
public:
    explicit RandomCells(unsigned seed) : m_random(seed) {}

    CELL_INFO Next() {
        const std::string code = "c" + std::to_string(Uniform(0, kCodePool - 1));
        const int roll = Uniform(0, 99);
        const int cellType = roll < 55 ? 1 : roll < 95 ? 2 : 3;
        // Half the parents come from a few low ids, so real chains form among the noise.
        int parentId = Uniform(0, 1) == 0 ? Uniform(1, kHubIds) : Uniform(1, kMaxParent);
        if (cellType != 1 && Uniform(0, 1) == 0) parentId = 0;  // type 1 is never a root
        const int ownerId = Uniform(0, 3) == 0 ? 0 : Uniform(1, kHubIds);
        CELL_INFO cell =
            org_test::Cell(Uniform(1, kMaxId), parentId, code, cellType, Uniform(-3, 3), ownerId);
        org_test::SetText(cell.name, "n" + std::to_string(Uniform(0, 99999)));
        return cell;
    }

    int Uniform(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }

private:
    std::mt19937 m_random;
};

class CellIndexAgreesWithScan : public store_test::FaultSafeTest {
protected:
    // Deposits into both and compares the log lines of the deposit.
    void DepositBoth(std::vector<CELL_INFO> cells) {
        const std::vector<std::string> expected = m_plain.Deposit(cells);
        store_test::LogCapture capture;
        m_store.SetCellList(Linked(cells));
        std::vector<std::string> logged;
        for (const store_test::LogLine& line : capture.Lines()) logged.push_back(line.text);
        EXPECT_EQ(logged, expected);
        ASSERT_GT(expected.size(), 1u) << "every round is meant to repair";
    }

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
    CDataOper m_store;
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
            batch.push_back(org_test::Cell(7, 7, "b0"));
            batch.push_back(org_test::Cell(7, 3, "c-seven", 2));
        } else if (round == 1) {
            batch.push_back(org_test::Cell(kMaxParent + 1, kMaxParent + 1, "b1"));
        }
        // Take away the roots that earlier repairs made, so this round repairs again.
        for (const std::string& code : m_plain.RootCodes()) {
            CELL_INFO cell = m_plain.At(code);
            cell.parentId = random.Uniform(1, kMaxParent);
            batch.push_back(cell);
        }
        DepositBoth(batch);
        if (HasFatalFailure()) return;
        CompareEveryAnswer();
        if (HasFatalFailure()) return;
        for (int id = 1; id <= kMaxId; ++id)
            deepCells += (m_plain.Level(id, 1) >= 2) + (m_plain.Level(id, 2) >= 2);
    }
    // The data is meant to hold real trees, not just orphans and loops.
    EXPECT_GT(deepCells, 10);
    EXPECT_GT(m_plain.Size(), 1000u);
}

}  // namespace
