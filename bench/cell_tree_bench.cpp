// The cell tree at site sizes of 10^4 and 10^5 cells: a deposit that needs the root
// repair, and the per-call cost of GetCellInfo, GetCellLevel and GetChildCellList. The
// per-call figures must stay flat as the tree grows; the deposit grows as n log n.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "libs/xlog/xlog.h"
#include "store/DataOper.h"

namespace {

constexpr int kFanOut = 10;
// Queries ask about cells at fixed depths, present with all their children at every size.
constexpr int kLevelDepth = 3;
constexpr int kParentDepth = 2;

// Cells 1..n in a tree of fan-out 10 (cell i under (i - 2) / 10 + 1). The top cell names
// a parent that is not there, and its index code sorts last, so the repair examines
// every cell before it finds the one to change.
std::vector<CELL_INFO> MakeTree(int count) {
    std::vector<CELL_INFO> cells(count);
    for (int i = 0; i < count; ++i) {
        CELL_INFO& cell = cells[i];
        std::memset(&cell, 0, sizeof cell);
        cell.id = i + 1;
        cell.parentId = i == 0 ? count + 1 : (i - 1) / kFanOut + 1;
        std::snprintf(cell.indexCode, sizeof cell.indexCode, i == 0 ? "~top" : "cell-%08d",
                      (i * 7919) % count);
        std::snprintf(cell.name, sizeof cell.name, "Cell %d", cell.id);
        cell.sortOrder = (i * 31) % 17;
        cell.cellType = 1;
        cell.next = i + 1 < count ? &cells[i + 1] : nullptr;
    }
    return cells;
}

// Ids of the cells at `depth` (cell 1 at depth 0; the ids of a depth are consecutive).
std::vector<int> IdsAtDepth(int depth) {
    int first = 1, width = 1;
    for (int d = 0; d < depth; ++d) {
        first += width;
        width *= kFanOut;
    }
    std::vector<int> ids(width);
    for (int i = 0; i < width; ++i) ids[i] = first + i;
    return ids;
}

void DropLine(int, const char*, const char*, void*) {}

// The repair logs two lines per examined cell; they are formatted but not written.
struct QuietLog {
    QuietLog() { xlog_set_sink(&DropLine, nullptr); }
    ~QuietLog() { xlog_set_sink(nullptr, nullptr); }
};

void FreeList(CELL_INFO* head) {
    while (head != nullptr) {
        CELL_INFO* next = head->next;
        ::operator delete(head);
        head = next;
    }
}

void BM_SetCellListWithRepair(benchmark::State& state) {
    QuietLog quiet;
    std::vector<CELL_INFO> cells = MakeTree(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<CDataOper>();
        state.ResumeTiming();
        store->SetCellList(cells.data());
        state.PauseTiming();
        CELL_INFO top;
        if (!store->GetCellInfo(&top, 1, 1) || top.parentId != 0)
            state.SkipWithError("the repair did not make the top cell a root");
        store.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// For scale: only the ordered map by index code that any deposit has to fill, without
// the indexes and the repair.
void BM_CellMapOnlyBaseline(benchmark::State& state) {
    std::vector<CELL_INFO> cells = MakeTree(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto map = std::make_unique<std::map<std::string, CELL_INFO>>();
        state.ResumeTiming();
        for (const CELL_INFO* cell = cells.data(); cell != nullptr; cell = cell->next)
            (*map)[cell->indexCode] = *cell;
        state.PauseTiming();
        map.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A store holding the repaired tree, shared by the query benchmarks of one size.
CDataOper& StoreOfSize(int count) {
    static int s_count = 0;
    static std::unique_ptr<CDataOper> s_store;
    if (s_count != count) {
        QuietLog quiet;
        std::vector<CELL_INFO> cells = MakeTree(count);
        s_store = std::make_unique<CDataOper>();
        s_store->SetCellList(cells.data());
        s_count = count;
    }
    return *s_store;
}

// Any cell of the tree at random: at 10^5 cells the touched memory outgrows the caches,
// so this figure also shows the memory hierarchy, not only the look-up.
void BM_GetCellInfoAnyCell(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    CDataOper& store = StoreOfSize(count);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyCell(1, count);
    CELL_INFO out;
    for (auto _ : state) benchmark::DoNotOptimize(store.GetCellInfo(&out, anyCell(random), 1));
}

// The same 1000 cells at every size: the look-up itself, which must not grow with the tree.
void BM_GetCellInfoSameCells(benchmark::State& state) {
    CDataOper& store = StoreOfSize(static_cast<int>(state.range(0)));
    const std::vector<int> ids = IdsAtDepth(kLevelDepth);
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> anyOf(0, ids.size() - 1);
    CELL_INFO out;
    for (auto _ : state) benchmark::DoNotOptimize(store.GetCellInfo(&out, ids[anyOf(random)], 1));
}

void BM_GetCellLevel(benchmark::State& state) {
    CDataOper& store = StoreOfSize(static_cast<int>(state.range(0)));
    const std::vector<int> ids = IdsAtDepth(kLevelDepth);
    std::size_t next = 0;
    for (auto _ : state) {
        const int level = store.GetCellLevel(ids[next], 1);
        if (level != kLevelDepth) state.SkipWithError("unexpected level");
        next = (next + 1) % ids.size();
    }
}

void BM_GetChildCellList(benchmark::State& state) {
    CDataOper& store = StoreOfSize(static_cast<int>(state.range(0)));
    const std::vector<int> ids = IdsAtDepth(kParentDepth);  // each has kFanOut children
    std::size_t next = 0;
    for (auto _ : state) {
        CELL_INFO* head = nullptr;
        benchmark::DoNotOptimize(store.GetChildCellList(&head, ids[next], 1));
        FreeList(head);
        next = (next + 1) % ids.size();
    }
}

}  // namespace

BENCHMARK(BM_SetCellListWithRepair)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CellMapOnlyBaseline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetCellInfoAnyCell)->Arg(10000)->Arg(100000);
BENCHMARK(BM_GetCellInfoSameCells)->Arg(10000)->Arg(100000);
BENCHMARK(BM_GetCellLevel)->Arg(10000)->Arg(100000);
BENCHMARK(BM_GetChildCellList)->Arg(10000)->Arg(100000);
