// The camera table at 10^4, 10^5 and 10^6 cameras, each path beside tuned raw SQLite
// doing the same work on a file with the same table and indexes, in the same process
// and iterations: SetCameraList against one transaction of prepared inserts, the
// three look-ups against a cached SELECT reading every column, UpdateCameraStatus
// (with its roll-up over a cell tree of depth 8) against the UPDATE alone. Each
// reports "vs_raw", the store's time over raw's. RecountUserOrgStat and
// GetCameraList have no raw counterpart and must stay flat as the table grows.
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

#include "channels/CameraColumns.h"
#include "channels/ChannelSchema.h"
#include "libs/xlog/xlog.h"
#include "store/DataOper.h"
#include "libs/records/RecordText.h"

namespace {

constexpr int kCamerasPerCell = 20;
constexpr int kTreeDepth = 8;  // levels 0 to 7: four of type 1, four of type 2

void DropLine(int, const char*, const char*, void*) {}

// Lines the host asks for are formatted and handed over; the benches ask for none of
// the per-camera lines, as a host under xlog's default does.
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

// Raw SQLite tuned for bulk work on a private file: no syncing, the journal and
// temporary tables in memory, a 64 MiB page cache.
constexpr const char kRawTuning[] =
    "PRAGMA synchronous=OFF;PRAGMA journal_mode=MEMORY;PRAGMA temp_store=MEMORY;"
    "PRAGMA cache_size=-65536;";

// A fresh file at `path` holding the store's camera table and indexes.
sqlite3* OpenRawTable(const std::string& path) {
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db, kRawTuning, nullptr, nullptr, nullptr);
    // The table as the store creates it.
    sqlite3_exec(db, camera_columns::TableDefinition().c_str(), nullptr, nullptr, nullptr);
    for (const auto& index : channel_sql::kCameraIndexes)
        sqlite3_exec(db, index.create, nullptr, nullptr, nullptr);
    return db;
}

// The same rows inserted in one transaction through one prepared statement. Returns
// the seconds the inserts took.
double RawInsertSeconds(sqlite3* db, const std::vector<CAMERA_INFO>& cameras) {
    const auto start = std::chrono::steady_clock::now();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, camera_columns::InsertStatement().c_str(), -1, &insert, nullptr);
    for (const CAMERA_INFO& c : cameras) {
        auto text = [&](int index, const char* field, std::size_t width) {
            sqlite3_bind_text(insert, index + 1, field, static_cast<int>(::strnlen(field, width)),
                              SQLITE_STATIC);
        };
#define RAW_TEXT(index, field) text(index, c.field, sizeof c.field)
        auto integer = [&](int index, int value) { sqlite3_bind_int(insert, index + 1, value); };
        integer(camera_columns::kId, c.ID);
        integer(camera_columns::kDevId, c.DEVID);
        integer(camera_columns::kCellId, c.CELLID);
        integer(camera_columns::kCellType, c.CELLTYPE);
        integer(camera_columns::kChannelNo, c.CHANNELNO);
        RAW_TEXT(camera_columns::kIndexCode, INDEXCODE);
        RAW_TEXT(camera_columns::kCamName, CAMNAME);
        integer(camera_columns::kCamType, c.CAMTYPE);
        RAW_TEXT(camera_columns::kMatrixCode, MATRIXCODE);
        integer(camera_columns::kSeqIndex, c.SEQINDEX);
        integer(camera_columns::kStatus, c.STATUS ? 1 : 0);
        RAW_TEXT(camera_columns::kRecLoc, RECLOC);
        RAW_TEXT(camera_columns::kPrivilege, PRIVILEGE);
        integer(camera_columns::kCascadId, c.CASCADID);
        integer(camera_columns::kVrmId, c.VRMID);
        integer(camera_columns::kVtduId, c.VTDUID);
        integer(camera_columns::kVagId, c.VAGID);
        RAW_TEXT(camera_columns::kDevTag, DEVTAG);
        RAW_TEXT(camera_columns::kRecGuid, RECGUID);
        RAW_TEXT(camera_columns::kMultiIp, MULTIIP);
        RAW_TEXT(camera_columns::kTransPath, TRANSPATH);
#undef RAW_TEXT
        integer(camera_columns::kTransCnt, c.TRANSCNT);
        integer(camera_columns::kMod, c.MOD);
        integer(camera_columns::kIsGroup, 1);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds since `start`.
double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The benchmark's time is the store's; "vs_raw" is the store's time over raw SQLite's
// doing the same work in the same iterations (below 1: the store is faster).
void ReportRatio(benchmark::State& state, double storeSeconds, double rawSeconds) {
    state.counters["vs_raw"] = storeSeconds / rawSeconds;
}

// Rows per second of SetCameraList beside the tuned raw insert of the same rows.
void BM_SetCameraList(benchmark::State& state) {
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
        const double seconds = Since(start);
        store->UnInit();
        state.SetIterationTime(seconds);
        storeSeconds += seconds;
        sqlite3* raw = OpenRawTable(ScratchDir() + "raw-insert.db");
        rawSeconds += RawInsertSeconds(raw, cameras);
        sqlite3_close(raw);
        std::remove((ScratchDir() + "raw-insert.db").c_str());
    }
    const double rows = static_cast<double>(count) * static_cast<double>(state.iterations());
    state.counters["rows_per_s"] = rows / storeSeconds;
    state.counters["raw_rows_per_s"] = rows / rawSeconds;
    ReportRatio(state, storeSeconds, rawSeconds);
}
BENCHMARK(BM_SetCameraList)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One initialised store per size, with the tree, the cameras and a statistics entry
// for every cell, kept for every per-call benchmark of the run; beside it, a raw SQLite
// file holding the same rows.
struct Site {
    CDataOper store;
    sqlite3* raw = nullptr;
    CellTree tree;
    int cameraCount = 0;
    std::vector<bool> online;  // the status each camera was last given
};

Site& SiteOf(int cameraCount) {
    static std::map<int, std::unique_ptr<Site>> sites;
    static struct Cleanup {
        ~Cleanup() {
            QuietLog quiet;
            for (auto& site : sites) {
                site.second->store.UnInit();
                sqlite3_close(site.second->raw);
            }
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
    site->raw = OpenRawTable(ScratchDir() + "raw-" + std::to_string(cameraCount) + ".db");
    RawInsertSeconds(site->raw, cameras);
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

// A cached raw statement over a site's raw file, as a tuned raw client keeps one.
class RawStatement {
public:
    RawStatement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~RawStatement() { sqlite3_finalize(m_stmt); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

// Steps a look-up with its parameter bound and reads every column of the row, as the
// store's row reader does. False when no row matched.
bool RawReadRow(sqlite3_stmt* query) {
    const bool found = sqlite3_step(query) == SQLITE_ROW;
    if (found)
        for (int column = 0; column < 24; ++column)
            benchmark::DoNotOptimize(sqlite3_column_text(query, column));
    sqlite3_reset(query);
    return found;
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

// Each iteration times one store call and the raw statement doing the same work;
// `storeCall(pick)` and `rawCall(pick)` must both find their row.
template <typename StoreCall, typename RawCall>
void RunBesideRaw(benchmark::State& state, int picksOver, StoreCall storeCall, RawCall rawCall) {
    Picks picks(picksOver);
    double storeSeconds = 0, rawSeconds = 0;
    for (auto _ : state) {
        const int pick = picks.Next();
        auto start = std::chrono::steady_clock::now();
        const bool storeFound = storeCall(pick);
        const double seconds = Since(start);
        start = std::chrono::steady_clock::now();
        const bool rawFound = rawCall(pick);
        rawSeconds += Since(start);
        state.SetIterationTime(seconds);
        storeSeconds += seconds;
        if (!storeFound || !rawFound) {
            state.SkipWithError("a look-up found no row");
            break;
        }
    }
    ReportRatio(state, storeSeconds, rawSeconds);
}

void BM_GetCameraByID(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    RawStatement raw(site.raw, channel_sql::kCameraById);
    CAMERA_INFO camera;
    RunBesideRaw(
        state, site.cameraCount, [&](int pick) { return site.store.GetCameraByID(&camera, pick + 1); },
        [&](int pick) {
            sqlite3_bind_int(raw.get(), 1, pick + 1);
            return RawReadRow(raw.get());
        });
}

void BM_GetCameraByIndexCode(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    RawStatement raw(site.raw, channel_sql::kCameraByIndexCode);
    CAMERA_INFO camera;
    char code[64];
    RunBesideRaw(
        state, site.cameraCount,
        [&](int pick) {
            std::snprintf(code, sizeof code, "33010012001310%06d", pick);
            return site.store.GetCameraByIndexCode(&camera, code);
        },
        [&](int) {
            sqlite3_bind_text(raw.get(), 1, code, -1, SQLITE_STATIC);
            return RawReadRow(raw.get());
        });
}

void BM_GetCameraByMatrixCode(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    RawStatement raw(site.raw, channel_sql::kCameraByMatrixCode);
    CAMERA_INFO camera;
    RunBesideRaw(
        state, site.cameraCount,
        [&](int pick) { return site.store.GetCameraByMatrixCode(&camera, 100000 + pick); },
        [&](int pick) {
            sqlite3_bind_int(raw.get(), 1, 100000 + pick);
            return RawReadRow(raw.get());
        });
}

// One change per call, always a real change, so that the roll-up walks all 8 levels,
// beside the raw UPDATE of the same row to the same status.
void BM_UpdateCameraStatus(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    RawStatement raw(site.raw, channel_sql::kCameraStatusUpdate);
    RunBesideRaw(
        state, site.cameraCount,
        [&](int pick) {
            site.online[pick] = !site.online[pick];
            CAMERA_STATUS change = {pick + 1, site.online[pick] ? 1 : 0, nullptr};
            site.store.UpdateCameraStatus(&change);
            return true;
        },
        [&](int pick) {
            sqlite3_bind_int(raw.get(), 1, site.online[pick] ? 1 : 0);
            sqlite3_bind_int(raw.get(), 2, pick + 1);
            const bool done = sqlite3_step(raw.get()) == SQLITE_DONE;
            sqlite3_reset(raw.get());
            return done && sqlite3_changes(site.raw) == 1;
        });
}

BENCHMARK(BM_GetCameraByID)->Arg(10000)->Arg(100000)->Arg(1000000)->UseManualTime();
BENCHMARK(BM_GetCameraByIndexCode)->Arg(10000)->Arg(100000)->Arg(1000000)->UseManualTime();
BENCHMARK(BM_GetCameraByMatrixCode)->Arg(10000)->Arg(100000)->Arg(1000000)->UseManualTime();
BENCHMARK(BM_UpdateCameraStatus)->Arg(10000)->Arg(100000)->Arg(1000000)->UseManualTime();

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

// A leaf (type 2) cell recounted from its 20 camera rows, then its 7 ancestors.
void BM_RecountUserOrgStat(benchmark::State& state) {
    Site& site = SiteOf(static_cast<int>(state.range(0)));
    const int usedLeaves = (site.cameraCount + kCamerasPerCell - 1) / kCamerasPerCell;
    Picks picks(usedLeaves);
    for (auto _ : state) site.store.RecountUserOrgStat(site.tree.leaves[picks.Next()], 2);
}
BENCHMARK(BM_RecountUserOrgStat)->Arg(10000)->Arg(100000);

}  // namespace
