// Several threads on the module at once, run under ThreadSanitizer by the tsan preset;
// the final state must equal a single-threaded replay of the same operations. The
// outcome cannot depend on the interleaving: each worker deposits into its own cells
// and identifier ranges and changes the status of its own cameras only; the statistics
// sit on leaf cells and their one parent, where both a status roll-up and a recount
// keep every entry equal to the camera table's counts.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "chan_test_support.h"
#include "tests/TestSystem.h"

namespace {

using chan_test::Camera;
using chan_test::Cell;
using chan_test::Ids;
using chan_test::Linked;
using chan_test::Org;

constexpr int kWorkers = 8;
constexpr int kRounds = 30;
constexpr int kStatusCameras = 10;  // per worker, in its leaf cell
constexpr int kDepositCameras = 4;  // per worker and round, in its own deposit cell

// The tree: root 1; hub 2, a top-level type-2 cell under the root; leaf 100+w below
// the hub for each worker w; and deposit cell 200+w, a top-level type-2 cell.
constexpr int32_t kHub = 2;
int32_t Leaf(int worker) { return 100 + worker; }
int32_t DepositCell(int worker) { return 200 + worker; }
int32_t StatusCamera(int worker, int i) { return 10000 * (worker + 1) + i; }
int32_t DepositCamera(int worker, int round, int i) {
    return 10000 * (worker + 1) + 1000 + round * kDepositCameras + i;
}
int32_t ChannelId(int worker, int round) { return 1000 * (worker + 1) + round; }
bool OnlineInRound(int i, int round) { return (i + round) % 3 == 0; }

void DepositSite(CDataOper& store) {
    std::vector<CELL_INFO> cells = {Cell(1, 0, "root"), Cell(kHub, 0, "hub", 2, 0, 1)};
    std::vector<CAMERA_INFO> cameras;
    std::vector<USER_ORG> stats = {Org(kHub, kWorkers * kStatusCameras, 0)};
    for (int w = 0; w < kWorkers; ++w) {
        cells.push_back(Cell(Leaf(w), kHub, "leaf-" + std::to_string(w), 2, w));
        cells.push_back(Cell(DepositCell(w), 0, "deposit-" + std::to_string(w), 2, w, 1));
        for (int i = 0; i < kStatusCameras; ++i)
            cameras.push_back(Camera(StatusCamera(w, i), Leaf(w)));
        stats.push_back(Org(Leaf(w), kStatusCameras, 0));
    }
    store.SetCellList(Linked(cells));
    ASSERT_TRUE(store.SetCameraList(Linked(cameras), 0));
    store.SetUserOrgStatList(Linked(stats));
}

// One worker's round: deposits of every channel kind and a storage folder, queries
// that read them back, and a status change of the worker's own cameras.
void WorkerRound(CDataOper& store, int w, int round) {
    std::vector<CAMERA_INFO> cameras;
    for (int i = 0; i < kDepositCameras; ++i)
        cameras.push_back(Camera(DepositCamera(w, round, i), DepositCell(w), 2, round));
    EXPECT_TRUE(store.SetCameraList(Linked(cameras), 0));
    const int32_t id = ChannelId(w, round);
    std::vector<IO_INFO> ios = {chan_test::Io(id, DepositCell(w))};
    std::vector<TALK_CHANNEL> talks = {chan_test::Talk(id, DepositCell(w))};
    std::vector<DEVICE_INFO> devices = {chan_test::Device(id)};
    EXPECT_TRUE(store.SetIOList(Linked(ios)) && store.SetTalkChannelList(Linked(talks)) &&
                store.SetDeviceList(Linked(devices)));
    std::vector<STORE_FOLDER> folders = {chan_test::Folder(id, w, "folder", round)};
    store.SetStoreFolderList(Linked(folders));

    const std::string ids = std::to_string(StatusCamera(w, 0)) + "," +
                            std::to_string(DepositCamera(w, round, 1)) + ",1";
    CAMERA_INFO* head = nullptr;
    EXPECT_TRUE(store.GetCameraListByIDs(&head, ids.c_str()));
    EXPECT_EQ(Ids(head), (std::vector<int32_t>{StatusCamera(w, 0), DepositCamera(w, round, 1)}));
    CAMERA_INFO camera;
    IO_INFO io;
    DEVICE_INFO device;
    int online = -1, total = -1;
    const std::string code = std::to_string(DepositCamera(w, round, 0));
    EXPECT_TRUE(store.GetCameraByIndexCode(&camera, ("CAM-" + code).c_str()) &&
                store.GetIOByIndexCode(&io, ("IO-" + std::to_string(id)).c_str()) &&
                store.GetDeviceByID(&device, id) && store.GetUserOrgStat(Leaf(w), &online, &total));
    EXPECT_EQ(store.GetCellLevel(Leaf(w), 2), 2);
    EXPECT_TRUE(online >= 0 && online <= kStatusCameras) << online;

    std::vector<CAMERA_STATUS> changes;
    for (int i = 0; i < kStatusCameras; ++i)
        changes.push_back({StatusCamera(w, i), OnlineInRound(i, round) ? 1 : 0, nullptr});
    store.UpdateCameraStatus(Linked(changes));
}

void RecountLeaves(CDataOper& store) {
    for (int w = 0; w < kWorkers; ++w) store.RecountUserOrgStat(Leaf(w), 2);
}

// Everything the workers could have changed, as lines.
std::vector<std::string> Capture(CDataOper& store) {
    const auto stat = [&](int32_t orgId) {
        int online = -1, total = -1;
        store.GetUserOrgStat(orgId, &online, &total);
        return "stat " + std::to_string(orgId) + ": " + std::to_string(online) + "/" +
               std::to_string(total);
    };
    std::vector<std::string> lines = {stat(kHub)};
    for (int w = 0; w < kWorkers; ++w) {
        std::string line = stat(Leaf(w)) + ",";
        for (int32_t cellId : {Leaf(w), DepositCell(w)}) {
            CAMERA_INFO* head = nullptr;
            store.GetCameraList(&head, 2, cellId);
            for (const CAMERA_INFO& camera : chan_test::TakeList(head))
                line += " " + std::to_string(camera.ID) + (camera.STATUS ? "+" : "-") +
                        camera.TRANSPATH;
        }
        TALK_CHANNEL* talks = nullptr;
        IO_INFO* ios = nullptr;
        STORE_FOLDER* folders = nullptr;
        store.GetTalkChannelList(&talks, DepositCell(w));
        store.GetIOList(&ios, DepositCell(w));
        store.GetStoreFolderList(&folders, w);
        for (int32_t id : Ids(talks)) line += " t" + std::to_string(id);
        for (int32_t id : Ids(ios)) line += " i" + std::to_string(id);
        for (const STORE_FOLDER& folder : chan_test::TakeList(folders))
            line += " f" + std::to_string(folder.id);
        lines.push_back(line);
    }
    return lines;
}

// The single-threaded replay: the same setup, every worker's rounds one after the
// other from worker `first` on, and a recount.
std::vector<std::string> Replay(const std::string& prefix, int first = 0) {
    CDataOper store;
    EXPECT_TRUE(store.Init(prefix.c_str()));
    DepositSite(store);
    for (int w = 0; w < kWorkers; ++w)
        for (int round = 0; round < kRounds; ++round)
            WorkerRound(store, (first + w) % kWorkers, round);
    RecountLeaves(store);
    std::vector<std::string> lines = Capture(store);
    store.UnInit();
    return lines;
}

constexpr const char* kNoThreadsHere = "threads crash at random under Wine on qemu";

// Eight workers on one instance, a ninth thread recounting it, and at the same time eight
// more threads each running the replay on an instance of its own, from its own worker on.
// The cipher setting is on: a path a thread could not decipher differs from the replay's.
TEST(Concurrency, WorkersOnOneInstanceAndOnAnInstanceEachEndAsASingleThreadedReplay) {
    if (vellum_test::RunsUnderEmulatedWine()) GTEST_SKIP() << kNoThreadsHere;
    chan_test::ConfigLock configLock;
    store_test::TempDir dir;
    store_test::LogCapture log;  // the camera deposits log a line each
    chan_test::ConfigFile settings("[Tvwall]\nVersion=6731\n");
    CDataOper store;
    ASSERT_TRUE(store.Init(dir.Path().c_str()));
    DepositSite(store);

    std::atomic<int> running{kWorkers};
    std::thread recounter([&] {
        while (running.load() > 0) {
            RecountLeaves(store);
            int online = -1, total = -1;
            EXPECT_TRUE(store.GetUserOrgStat(kHub, &online, &total));
            EXPECT_TRUE(online >= 0 && online <= total && total == kWorkers * kStatusCameras);
        }
    });
    std::vector<std::vector<std::string>> replays(kWorkers);
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&store, &running, w] {
            for (int round = 0; round < kRounds; ++round) WorkerRound(store, w, round);
            --running;
        });
        workers.emplace_back([&dir, &replays, w] { replays[w] = Replay(dir.Path(), w); });
    }
    for (std::thread& worker : workers) worker.join();
    recounter.join();

    // Both ways of counting agree with the camera table: roll-ups alone, and a recount.
    std::vector<std::string> rolledUp = Capture(store);
    RecountLeaves(store);
    EXPECT_EQ(Capture(store), rolledUp);
    store.UnInit();
    const std::vector<std::string> replay = Replay(dir.Path());
    EXPECT_EQ(rolledUp, replay);
    for (int w = 0; w < kWorkers; ++w) EXPECT_EQ(replays[w], replay) << "worker " << w;
}

// Run alone (as CTest runs each case in a process of its own), the module's first
// look at its settings happens here, from eight threads at once.
TEST(ConcurrentFirstUse, EightInstancesReadTheirSettingsForTheFirstTimeTogether) {
    if (vellum_test::RunsUnderEmulatedWine()) GTEST_SKIP() << kNoThreadsHere;
    store_test::TempDir dir;
    store_test::LogCapture log;
    std::atomic<int> waiting{kWorkers};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&dir, &waiting, w] {
            CDataOper store;
            EXPECT_TRUE(store.Init(dir.Path().c_str()));
            --waiting;
            while (waiting.load() > 0) std::this_thread::yield();
            CAMERA_INFO* head = nullptr;
            EXPECT_FALSE(store.GetCameraList(&head, 2, w));  // reads camera_index_sort
            std::vector<CAMERA_INFO> cameras = {Camera(w + 1, w)};
            EXPECT_TRUE(store.SetCameraList(Linked(cameras), 0));  // reads Version
            EXPECT_TRUE(store.GetCameraList(&head, 2, w));
            EXPECT_EQ(Ids(head), std::vector<int32_t>{w + 1});
            store.UnInit();
        });
    for (std::thread& worker : workers) worker.join();
}

}  // namespace
