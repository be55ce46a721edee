// The camera table at site sizes of 10^4 and 10^5 cameras: SetCameraList beside raw
// SQLite inserting the same rows into the same table through the C API, the per-call
// cost of the camera look-ups, and UpdateCameraStatus and RecountUserOrgStat on a cell
// tree of depth 8. The per-call figures must stay flat as the table grows.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "channels/ChannelSchema.h"
#include "libs/xlog/xlog.h"
#include "store/DataOper.h"
#include "store/RecordText.h"

namespace {

constexpr int kCamerasPerCell = 20;
constexpr int kTreeDepth = 8;  // levels 0 to 7: four of type 1, four of type 2

// The table as the store creates it.
constexpr const char kCameraTable[] =
    "CREATE TABLE IF NOT EXISTS CAMERAINFO(ID NUMERIC NOT NULL,DEVID INTEGER NOT NULL,CELLID "
    "INTEGER NOT NULL,CELLTYPE INTEGER NOT NULL,CHANNELNO INTEGER NOT NULL,INDEXCODE TEXT NOT "
    "NULL,CAMNAME TEXT NULL,CAMTYPE INTEGER NOT NULL,MATRIXCODE TEXT NOT NULL,SEQINDEX INTEGER "
    "NOT NULL,STATUS INTEGER NOT NULL,RECLOC TEXT NOT NULL,PRIVILEGE TEXT NOT NULL,CASCADID "
    "INTEGER NOT NULL,VRMID INTEGER NOT NULL,VTDUID INTEGER NOT NULL,VAGID  INTEGER NOT "
    "NULL,DEVTAG TEXT NOT NULL,RECGUID TEXT NOT NULL,MULTIIP TEXT NOT NULL,TRANSPATH TEXT NOT "
    "NULL,TRANSCNT  INTEGER NOT NULL,MOD INTEGER NOT NULL,ISGROUP INTEGER NOT NULL,PRIMARY "
    "KEY(ID));";

void DropLine(int, const char*, const char*, void*) {}

// SetCameraList logs a line per camera; it is formatted but not written.
struct QuietLog {
    QuietLog() { xlog_set_sink(&DropLine, nullptr); }
    ~QuietLog() { xlog_set_sink(nullptr, nullptr); }
};

// A private directory for the scratch files, removed at exit.
const std::string& ScratchDir() {
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "camera_bench.XXXXXX");
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const char* made = mkdtemp(buffer.data());
        return made != nullptr ? std::string(made) + "/" : std::string("./");
    }();
    return dir;
}

// The cell tree: a type-1 chain of levels 0 to 3 and type-2 levels 4 to 7 (level 4
// top-level under a level-3 owner), each cell with `fanOut` children. Leaves (level 7)
// hold the cameras.
struct CellTree {
    std::vector<CELL_INFO> cells;
    std::vector<int> leaves;
};

CellTree MakeTree(int leavesNeeded) {
    int fanOut = 1;
    while (std::pow(fanOut, kTreeDepth - 1) < leavesNeeded) ++fanOut;
    CellTree tree;
    std::vector<int> level = {1};
    std::vector<std::pair<int, int>> made = {{1, 0}};  // id, parent
    tree.cells.reserve(static_cast<std::size_t>(std::pow(fanOut, kTreeDepth)));
    auto add = [&](int id, int parentId, int cellType, int ownerId) {
        CELL_INFO cell;
        std::memset(&cell, 0, sizeof cell);
        cell.id = id;
        cell.parentId = parentId;
        cell.cellType = cellType;
        cell.ownerId = ownerId;
        std::snprintf(cell.indexCode, sizeof cell.indexCode, "cell-%09d", id);
        std::snprintf(cell.name, sizeof cell.name, "Cell %d", id);
        tree.cells.push_back(cell);
    };
    add(1, 0, 1, 0);
    int nextId = 2;
    for (int depth = 1; depth < kTreeDepth; ++depth) {
        std::vector<int> below;
        for (int parent : level) {
            for (int k = 0; k < fanOut; ++k) {
                const int id = nextId++;
                if (depth <= 3)
                    add(id, parent, 1, 0);
                else if (depth == 4)
                    add(id, 0, 2, parent);
                else
                    add(id, parent, 2, 0);
                below.push_back(id);
            }
        }
        level = below;
    }
    tree.leaves = level;
    for (std::size_t i = 0; i < tree.cells.size(); ++i)
        tree.cells[i].next = i + 1 < tree.cells.size() ? &tree.cells[i + 1] : nullptr;
    return tree;
}

// `count` cameras, kCamerasPerCell to a leaf cell, with realistic text in each field.
std::vector<CAMERA_INFO> MakeCameras(int count, const std::vector<int>& leaves) {
    std::vector<CAMERA_INFO> cameras(count);
    for (int i = 0; i < count; ++i) {
        CAMERA_INFO& c = cameras[i];
        std::memset(static_cast<void*>(&c), 0, sizeof c);
        c.ID = i + 1;
        c.DEVID = i / 16 + 1;
        c.CELLID = leaves[i / kCamerasPerCell];
        c.CELLTYPE = 2;
        c.CHANNELNO = i % 16 + 1;
        std::snprintf(c.INDEXCODE, sizeof c.INDEXCODE, "33010012001310%06d", i);
        std::snprintf(c.CAMNAME, sizeof c.CAMNAME, "Camera %d, gate %d", i, i % 97);
        c.CAMTYPE = 1;
        std::snprintf(c.MATRIXCODE, sizeof c.MATRIXCODE, "%d", 100000 + i);
        c.SEQINDEX = (i * 7) % kCamerasPerCell;
        c.STATUS = i % 2 == 0;
        c.CASCADID = 0;
        std::snprintf(c.RECLOC, sizeof c.RECLOC, "nvr-%d", i / 64);
        std::snprintf(c.PRIVILEGE, sizeof c.PRIVILEGE, "1,2,3,4,5,6");
        std::snprintf(c.DEVTAG, sizeof c.DEVTAG, "hik");
        c.VRMID = 3;
        c.VTDUID = 4;
        c.VAGID = 5;
        std::snprintf(c.RECGUID, sizeof c.RECGUID, "{6F9619FF-8B86-D011-B42D-00C04FC%05d}", i);
        std::snprintf(c.MULTIIP, sizeof c.MULTIIP, "239.1.%d.%d", i / 256 % 256, i % 256);
        std::snprintf(c.TRANSPATH, sizeof c.TRANSPATH, "rtsp://10.%d.%d.1:554/ch%d", i / 65536,
                      i / 256 % 256, i % 16);
        c.MOD = 0;
        c.TRANSCNT = 1;
        c.next = i + 1 < count ? &cameras[i + 1] : nullptr;
    }
    return cameras;
}

// Raw SQLite: the same rows into a fresh file holding the same table and indexes, on a
// connection set up as the store's is. Returns the seconds the inserts took.
double RawInsertSeconds(const std::vector<CAMERA_INFO>& cameras, const std::string& path) {
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=OFF;PRAGMA journal_mode=MEMORY;PRAGMA temp_store=MEMORY;",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, kCameraTable, nullptr, nullptr, nullptr);
    for (const char* index : channel_sql::kIndexes)
        if (std::strstr(index, " ON CAMERAINFO(") != nullptr)
            sqlite3_exec(db, index, nullptr, nullptr, nullptr);

    const auto start = std::chrono::steady_clock::now();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, channel_sql::kCameraInsert, -1, &insert, nullptr);
    for (const CAMERA_INFO& c : cameras) {
        auto text = [&](int index, const std::string& value) {
            sqlite3_bind_text(insert, index + 1, value.data(), static_cast<int>(value.size()),
                              SQLITE_TRANSIENT);
        };
        auto integer = [&](int index, int value) { sqlite3_bind_int(insert, index + 1, value); };
        integer(0, c.ID);
        integer(1, c.DEVID);
        integer(2, c.CELLID);
        integer(3, c.CELLTYPE);
        integer(4, c.CHANNELNO);
        text(5, FieldText(c.INDEXCODE));
        text(6, FieldText(c.CAMNAME));
        integer(7, c.CAMTYPE);
        text(8, FieldText(c.MATRIXCODE));
        integer(9, c.SEQINDEX);
        integer(10, c.STATUS ? 1 : 0);
        text(11, FieldText(c.RECLOC));
        text(12, FieldText(c.PRIVILEGE));
        integer(13, c.CASCADID);
        integer(14, c.VRMID);
        integer(15, c.VTDUID);
        integer(16, c.VAGID);
        text(17, FieldText(c.DEVTAG));
        text(18, FieldText(c.RECGUID));
        text(19, FieldText(c.MULTIIP));
        text(20, FieldText(c.TRANSPATH));
        integer(21, c.TRANSCNT);
        integer(22, c.MOD);
        integer(23, 1);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sqlite3_close(db);
    std::remove(path.c_str());
    return seconds;
}

// Rows per second of SetCameraList (the benchmark's time) beside raw SQLite in the
// same iteration; "slowdown" is the store's time over the raw time.
void BM_SetCameraListBesideRawSqlite(benchmark::State& state) {
    QuietLog quiet;
    const int count = static_cast<int>(state.range(0));
    const CellTree tree = MakeTree((count + kCamerasPerCell - 1) / kCamerasPerCell);
    std::vector<CAMERA_INFO> cameras = MakeCameras(count, tree.leaves);
    double storeSeconds = 0, rawSeconds = 0;
    for (auto _ : state) {
        auto store = std::make_unique<CDataOper>();
        store->Init(ScratchDir().c_str());
        const auto start = std::chrono::steady_clock::now();
        store->SetCameraList(cameras.data(), 0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        store->UnInit();
        state.SetIterationTime(seconds);
        storeSeconds += seconds;
        rawSeconds += RawInsertSeconds(cameras, ScratchDir() + "raw.db");
    }
    const double rows = static_cast<double>(count) * static_cast<double>(state.iterations());
    state.counters["rows_per_s"] = rows / storeSeconds;
    state.counters["raw_rows_per_s"] = rows / rawSeconds;
    state.counters["slowdown"] = storeSeconds / rawSeconds;
}
BENCHMARK(BM_SetCameraListBesideRawSqlite)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One initialised store per size, with the tree, the cameras and a statistics entry
// for every cell, kept for every per-call benchmark of the run.
struct Site {
    CDataOper store;
    CellTree tree;
    int cameraCount = 0;
    std::vector<bool> online;  // the status each camera was last given
};

Site& SiteOf(int cameraCount) {
    static std::map<int, std::unique_ptr<Site>> sites;
    static struct Cleanup {
        ~Cleanup() {
            QuietLog quiet;
            for (auto& site : sites) site.second->store.UnInit();
            std::error_code ignored;
            std::filesystem::remove_all(ScratchDir(), ignored);
        }
    } cleanup;
    std::unique_ptr<Site>& site = sites[cameraCount];
    if (site) return *site;
    QuietLog quiet;
    site = std::make_unique<Site>();
    site->cameraCount = cameraCount;
    site->tree = MakeTree((cameraCount + kCamerasPerCell - 1) / kCamerasPerCell);
    site->store.Init(ScratchDir().c_str());
    site->store.SetCellList(site->tree.cells.data());
    std::vector<CAMERA_INFO> cameras = MakeCameras(cameraCount, site->tree.leaves);
    site->store.SetCameraList(cameras.data(), 0);
    for (const CAMERA_INFO& camera : cameras) site->online.push_back(camera.STATUS);
    std::vector<USER_ORG> stats(site->tree.cells.size());
    for (std::size_t i = 0; i < stats.size(); ++i) {
        std::memset(&stats[i], 0, sizeof stats[i]);
        stats[i].orgId = site->tree.cells[i].id;
        stats[i].cameraCount = cameraCount;
        stats[i].onlineCount = cameraCount / 2;
        stats[i].next = i + 1 < stats.size() ? &stats[i + 1] : nullptr;
    }
    site->store.SetUserOrgStatList(stats.data());
    return *site;
}

// A fixed pseudo-random walk over [0, n), the same in every run.
class Picks {
public:
    explicit Picks(int n) : m_n(static_cast<uint32_t>(n)) {}
    int Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<int>((m_state >> 8) % m_n);
    }

private:
    uint32_t m_n;
    uint32_t m_state = 12345u;
};

void BM_GetCameraByID(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    Picks picks(site.cameraCount);
    CAMERA_INFO camera;
    for (auto _ : state)
        benchmark::DoNotOptimize(site.store.GetCameraByID(&camera, picks.Next() + 1));
}
BENCHMARK(BM_GetCameraByID)->Arg(10000)->Arg(100000);

// The baseline of the look-ups: raw SQLite reading the same rows by ID from the same
// file, every column read, through a second connection. What grows here with the
// table (the B-tree's depth) is SQLite's own.
void BM_RawSqliteCameraByID(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    sqlite3* db = nullptr;
    sqlite3_open_v2(site.store.DbPath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, channel_sql::kCameraById, -1, &query, nullptr);
    Picks picks(site.cameraCount);
    for (auto _ : state) {
        sqlite3_bind_int(query, 1, picks.Next() + 1);
        if (sqlite3_step(query) == SQLITE_ROW)
            for (int column = 0; column < 24; ++column)
                benchmark::DoNotOptimize(sqlite3_column_text(query, column));
        sqlite3_reset(query);
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteCameraByID)->Arg(10000)->Arg(100000);

void BM_GetCameraByIndexCode(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    Picks picks(site.cameraCount);
    CAMERA_INFO camera;
    char code[64];
    for (auto _ : state) {
        std::snprintf(code, sizeof code, "33010012001310%06d", picks.Next());
        benchmark::DoNotOptimize(site.store.GetCameraByIndexCode(&camera, code));
    }
}
BENCHMARK(BM_GetCameraByIndexCode)->Arg(10000)->Arg(100000);

void BM_GetCameraByMatrixCode(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    Picks picks(site.cameraCount);
    CAMERA_INFO camera;
    for (auto _ : state)
        benchmark::DoNotOptimize(site.store.GetCameraByMatrixCode(&camera, 100000 + picks.Next()));
}
BENCHMARK(BM_GetCameraByMatrixCode)->Arg(10000)->Arg(100000);

// A cell's 20 cameras, freed after each call as the client frees them.
void BM_GetCameraList(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    const int usedLeaves = (site.cameraCount + kCamerasPerCell - 1) / kCamerasPerCell;
    Picks picks(usedLeaves);
    for (auto _ : state) {
        CAMERA_INFO* head = nullptr;
        site.store.GetCameraList(&head, 2, site.tree.leaves[picks.Next()]);
        while (head != nullptr) {
            CAMERA_INFO* next = head->next;
            ::operator delete(head);
            head = next;
        }
    }
    state.counters["cameras_per_call"] = kCamerasPerCell;
}
BENCHMARK(BM_GetCameraList)->Arg(10000)->Arg(100000);

// One change per call, always a real change, so that the roll-up walks all 8 levels.
void BM_UpdateCameraStatus(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    Picks picks(site.cameraCount);
    for (auto _ : state) {
        const int index = picks.Next();
        site.online[index] = !site.online[index];
        CAMERA_STATUS change = {index + 1, site.online[index] ? 1 : 0, nullptr};
        site.store.UpdateCameraStatus(&change);
    }
}
BENCHMARK(BM_UpdateCameraStatus)->Arg(10000)->Arg(100000);

// A leaf (type 2) cell recounted from its 20 camera rows, then its 7 ancestors.
void BM_RecountUserOrgStat(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    const int usedLeaves = (site.cameraCount + kCamerasPerCell - 1) / kCamerasPerCell;
    Picks picks(usedLeaves);
    for (auto _ : state) site.store.RecountUserOrgStat(site.tree.leaves[picks.Next()], 2);
}
BENCHMARK(BM_RecountUserOrgStat)->Arg(10000)->Arg(100000);

}  // namespace
