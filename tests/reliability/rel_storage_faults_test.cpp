// The storage failing at its k-th call, for every k over a scenario that makes every kind
// of storage call on every table: each answer keeps its contract, a failed read leaves the
// instance as it was, UnInit leaves no file. Unfailed, it shows no client text reaches SQL.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <iostream>
#include <set>
#include <tuple>

#include "chan_test_support.h"
#include "channels/ChannelSchema.h"
#if !defined(_WIN32)
#include <dlfcn.h>
#include <sqlite3.h>

#include <cstring>
#include <mutex>
#endif

namespace {

using chan_test::Camera;
using chan_test::Cell;
using chan_test::Linked;
using chan_test::Org;
using chan_test::SetText;
using chan_test::Talk;

// Every identifier, code and name the scenario gives the module holds these digits,
// which no statement of the module's own does.
constexpr char kMark[] = "98765";
constexpr int32_t kBase = 987650000;
int32_t Id(int k) { return kBase + k; }
std::string Code(const char* kind, int k) { return kind + std::to_string(Id(k)); }

// Everything an operation answered, in a form two runs can compare.
struct Answer {
    bool result = false;
    bool untouched = false;    // single look-ups: the caller's record was not written
    std::vector<int32_t> ids;  // lists: the records' ids; look-ups: the id found
    std::string detail;        // what else the operation handed back

    explicit Answer(bool result, std::string detail = "") : result(result), detail(detail) {}
    auto Tied() const { return std::tie(result, untouched, ids, detail); }
    bool operator==(const Answer& o) const { return Tied() == o.Tied(); }
};

// What a failed storage call may do to an operation's answer: kInit to kTalkWrite write,
// kLookup to kPrivilege read.
enum class Kind {
    kInit,       // false only when opening fails
    kWrite,      // reports nothing: true whatever fails
    kDeposit,    // false when the transaction fails
    kTalkWrite,  // false when the transaction or the statement fails
    kLookup,     // a failed query or step: false and the record untouched
    kList,       // a failed query or step: fewer records, never others
    kPrivilege,  // a failed query: false; a failed row: nothing granted
    kOther,      // no answer to check
};

using S = CDataOper;

struct Step {
    const char* name;
    Kind kind;
    std::function<Answer(S&)> run;
};

// Arguments are kept as values; a code reaches the module as its C string.
template <class T>
const T& Arg(const T& value) {
    return value;
}
const char* Arg(const std::string& text) { return text.c_str(); }

Step Call(const char* name, Kind kind, std::function<bool(S&)> run) {
    return {name, kind, [run](S& s) { return Answer{run(s)}; }};
}

template <class Record, class... Args>
Step Deposit(const char* name, Kind kind, bool (S::*set)(const Record*, Args...),
             std::vector<Record> records, Args... args) {
    return Call(name, kind, [=](S& s) {
        std::vector<Record> list = records;
        return (s.*set)(Linked(list), args...);
    });
}

template <class Record, class... Params, class... Args>
Step Find(const char* name, bool (S::*query)(Record*, Params...), Args... args) {
    return {name, Kind::kLookup, [=](S& s) {
                Record record = chan_test::Sentinel<Record>();
                Answer answer{(s.*query)(&record, Arg(args)...)};
                answer.untouched = chan_test::IsUntouched(record);
                if (answer.result) answer.ids.push_back(record.ID);
                return answer;
            }};
}

template <class Record, class... Params, class... Args>
Step List(const char* name, bool (S::*query)(Record**, Params...), Args... args) {
    return {name, Kind::kList, [=](S& s) {
                Record* head = nullptr;
                Answer answer{(s.*query)(&head, Arg(args)...)};
                answer.ids = chan_test::Ids(head);
                return answer;
            }};
}

template <class Key, class Value>
Step Privilege(const char* name, bool (S::*check)(int, Key, bool*), Value key, bool before) {
    return {name, Kind::kPrivilege, [=](S& s) {
                bool allowed = before;
                const bool result = (s.*check)(10004, Arg(key), &allowed);
                return Answer(result, allowed ? "allowed" : "refused");
            }};
}

CAMERA_INFO MarkedCamera(int k, int cell, int seqIndex = 0, const char* privilege = "1,3") {
    CAMERA_INFO camera = Camera(Id(k), Id(cell), 2, seqIndex);
    SetText(camera.PRIVILEGE, std::string(privilege) + " mark " + kMark);
    return camera;
}

DEVICE_INFO MarkedDevice(int k) {
    DEVICE_INFO device = chan_test::Device(Id(k), Code("device ", k));
    SetText(device.USERNAME, Code("user-", k));
    SetText(device.PASSWORD, Code("pass-", k));
    return device;
}

// Every table, every storage call kind, and the operations that chain them. Camera
// 10's RECLOC holds a "0", which would grant every privilege were it ever read into
// PRIVILEGE.
std::vector<Step> Scenario(const std::string& prefix) {
    const std::string cameraCodes =
        Code("CAM-", 2) + "," + Code("CAM-", 99) + "," + Code("CAM-", 1);
    const std::string cameraIds = std::to_string(Id(1)) + "," + std::to_string(Id(99)) + "," +
                                  std::to_string(Id(3)) + "," + std::to_string(Id(1));
    return {
        Call("Init", Kind::kInit, [prefix](S& s) { return s.Init(prefix.c_str()); }),
        Deposit("SetCameraList", Kind::kDeposit, &S::SetCameraList,
                {MarkedCamera(1, 4, 3), MarkedCamera(2, 4, 1), MarkedCamera(3, 4, 2),
                 MarkedCamera(10, 4, 0, "2"), MarkedCamera(5, 8)},
                Id(0)),
        Deposit("SetDeviceList", Kind::kDeposit, &S::SetDeviceList,
                {MarkedDevice(1), MarkedDevice(2)}),
        Deposit("SetIOList", Kind::kDeposit, &S::SetIOList,
                {chan_test::Io(Id(1), Id(7)), chan_test::Io(Id(2), Id(7)),
                 chan_test::Io(Id(3), Id(8))}),
        Deposit("SetTalkChannelList", Kind::kTalkWrite, &S::SetTalkChannelList,
                {Talk(Id(1), Id(7), Code("talk ", 1)), Talk(Id(2), Id(7)), Talk(Id(1), Id(7))}),
        List("GetCameraList", &S::GetCameraList, 2, Id(4)),
        Find("GetCameraByID", &S::GetCameraByID, Id(2)),
        Find("GetCameraByIndexCode", &S::GetCameraByIndexCode, Code("CAM-", 3)),
        Find("GetCameraByMatrixCode", &S::GetCameraByMatrixCode, Id(1005)),
        List("GetCameraListByIDs", &S::GetCameraListByIDs, cameraIds),
        {"GetCameraListByIndexCodes", Kind::kList,
         [cameraCodes](S& s) {
             CAMERA_INFO* head = nullptr;
             std::string notFound;
             Answer answer{s.GetCameraListByIndexCodes(&head, cameraCodes.c_str(), &notFound)};
             answer.detail = notFound;
             answer.ids = chan_test::Ids(head);
             return answer;
         }},
        Privilege("CheckCameraPrivilegeByID", &S::CheckCameraPrivilegeByID, Id(10), true),
        Privilege("CheckCameraPrivilegeByIndexCode", &S::CheckCameraPrivilegeByIndexCode,
                  Code("CAM-", 1), false),
        List("GetIOList", &S::GetIOList, Id(7)),
        Find("GetIOByID", &S::GetIOByID, Id(3)),
        Find("GetIOByIndexCode", &S::GetIOByIndexCode, Code("IO-", 2)),
        Find("GetDeviceByID", &S::GetDeviceByID, Id(2)),
        Find("GetDeviceByIndexCode", &S::GetDeviceByIndexCode, Code("DEV-", 1)),
        List("GetTalkChannelList", &S::GetTalkChannelList, Id(7)),
        Find("GetTalkChannelByID", &S::GetTalkChannelByID, Id(2)),
        Find("GetTalkChannelByIndexCode", &S::GetTalkChannelByIndexCode, Code("TALK-", 1)),
        // The statistics' storage calls: a status roll-up and a recount over cell Id(4).
        Call("UpdateCameraStatus", Kind::kOther,
             [](S& s) {
                 std::vector<CELL_INFO> cells = {Cell(Id(1), 0, Code("root ", 1)),
                                                 Cell(Id(4), 0, Code("sub ", 4), 2, 0, Id(1))};
                 s.SetCellList(Linked(cells));
                 std::vector<USER_ORG> stats = {Org(Id(4), 5, 0), Org(Id(1), 5, 0)};
                 s.SetUserOrgStatList(Linked(stats));
                 std::vector<CAMERA_STATUS> changes;
                 for (int k : {1, 2, 5}) changes.push_back({Id(k), 1, nullptr});
                 s.UpdateCameraStatus(Linked(changes));
                 return s.RecountUserOrgStat(Id(4), 2), true;
             }),
        Call("DeleteCameras", Kind::kWrite,
             [](S& s) {
                 std::vector<CAMERA_INFO> gone = {Camera(Id(3))};
                 return s.DeleteCameras(Linked(gone));
             }),
        Call("ClearAll", Kind::kOther, [](S& s) { return s.ClearAll(), true; }),
        Call("UnInit", Kind::kOther, [](S& s) { return s.UnInit(), true; }),
    };
}

// Every storage operation but TransRollback, which only a deposit of a thousand cameras
// or more reaches (the camera write tests fail each of its statements instead).
const char* const kStorageOperations[] = {
    "OpenFile",          "IsConnected",  "ExecuteSql", "TransBegin",      "TransCommit",
    "BeginBind",         "BindInteger",  "BindString", "BindTextInPlace", "ExecuteBind",
    "EndBind",           "BeginRead",    "ReadNext",   "EndRead",         "ReadIntegerByIndex",
    "ReadStringByIndex", "CloseStorage",
};

// Whether `sub` is `whole` with some elements left out.
bool IsSubsequence(const std::vector<int32_t>& sub, const std::vector<int32_t>& whole) {
    std::size_t at = 0;
    for (int32_t id : whole)
        if (at < sub.size() && sub[at] == id) ++at;
    return at == sub.size();
}

// The answer of an operation whose storage call `failed` failed, against the run
// without failures.
void ExpectContractAnswer(Kind kind, const std::string& failed, const Answer& got,
                          const Answer& clean) {
    const bool queryFailed = failed == "BeginRead" || failed == "ReadNext";
    const bool columnFailed = failed == "ReadIntegerByIndex" || failed == "ReadStringByIndex";
    const bool transFailed = failed == "TransBegin" || failed == "TransCommit";
    if (kind <= Kind::kTalkWrite) {
        EXPECT_EQ(got.result, kind == Kind::kInit        ? failed != "OpenFile"
                              : kind == Kind::kDeposit   ? !transFailed
                              : kind == Kind::kTalkWrite ? !transFailed && failed != "BeginBind"
                                                         : true);
        return;
    }
    if (kind == Kind::kPrivilege && queryFailed) {
        EXPECT_EQ(got.result, failed == "ReadNext");
        EXPECT_EQ(got.detail, "refused");
    } else if (kind == Kind::kPrivilege) {
        EXPECT_TRUE(got.result);
        // A failed column read may refuse, never grant, what the row does not.
        EXPECT_TRUE(clean.detail == "allowed" || got.detail == "refused");
    }
    if (kind != Kind::kLookup && kind != Kind::kList) return;
    if (queryFailed && kind == Kind::kLookup) {
        EXPECT_FALSE(got.result);
        EXPECT_TRUE(got.untouched);
    } else if (queryFailed) {
        EXPECT_TRUE(IsSubsequence(got.ids, clean.ids));
        EXPECT_EQ(got.result, !got.ids.empty());
    } else if (columnFailed) {
        EXPECT_EQ(got.result, clean.result);
        EXPECT_EQ(got.untouched, clean.untouched);
        EXPECT_EQ(got.ids.size(), clean.ids.size());
    } else {
        EXPECT_EQ(got, clean);
    }
}

class StorageFaultSweep : public store_test::FaultSafeTest {
protected:
    // Runs the scenario on a fresh instance; `failedStep` gets the step during which
    // the armed fault fired (the one whose calls passed `failAt`), or -1.
    std::vector<Answer> RunScenario(long failAt, int* failedStep) {
        CDataOper store;
        std::vector<Answer> answers;
        *failedStep = -1;
        for (const Step& step : Scenario(m_dir.Path())) {
            answers.push_back(step.run(store));
            if (*failedStep < 0 && vellum::fault::Storage().Calls() > failAt)
                *failedStep = static_cast<int>(answers.size()) - 1;
        }
        EXPECT_FALSE(store_test::Exists(store.DbPath())) << "UnInit left the scratch file";
        vellum::fault::Storage().Disarm();
        // After any failure, a new Init gives a whole instance.
        std::vector<TALK_CHANNEL> talks = {Talk(9, 3)};
        std::vector<CAMERA_INFO> cameras = {Camera(9, 3)};
        CAMERA_INFO camera;
        EXPECT_TRUE(store.Init(m_dir.Path().c_str()) && store.SetTalkChannelList(Linked(talks)) &&
                    store.SetCameraList(Linked(cameras), 0) && store.GetCameraByID(&camera, 9));
        store.UnInit();
        return answers;
    }

    chan_test::ConfigLock m_configLock;  // no other test's settings while comparing runs
    store_test::TempDir m_dir;
    store_test::LogCapture m_log;
};

TEST_F(StorageFaultSweep, EveryCallOfTheScenarioFailsInTurnAndEachAnswerKeepsItsContract) {
    int unused = 0;
    vellum::fault::Storage().Arm(LONG_MAX, 0);
    const std::vector<Answer> clean = RunScenario(LONG_MAX, &unused);
    const std::vector<Step> steps = Scenario(m_dir.Path());
    ASSERT_EQ(clean[0].result, true);

    long injected = 0;
    std::set<std::string> stepsHit;
    for (const char* operation : kStorageOperations) {
        vellum::fault::Storage().Arm(LONG_MAX, 0, operation);
        RunScenario(LONG_MAX, &unused);
        const long calls = vellum::fault::Storage().Calls();
        EXPECT_GT(calls, 0) << operation << " is never called by the scenario";
        for (long k = 0; k < calls; ++k) {
            SCOPED_TRACE(std::string(operation) + " call " + std::to_string(k));
            vellum::fault::Storage().Arm(k, 1, operation);
            int failed = -1;
            const std::vector<Answer> answers = RunScenario(k, &failed);
            ASSERT_GE(failed, 0);
            ++injected;
            stepsHit.insert(steps[failed].name);
            // The answers before the failure, and after a failed read, are the clean run's.
            const Kind kind = steps[failed].kind;
            const bool read = kind >= Kind::kLookup && kind <= Kind::kPrivilege;
            for (int i = 0; i < static_cast<int>(answers.size()); ++i)
                EXPECT_TRUE(i == failed || (i > failed && !read) || answers[i] == clean[i]) << i;
            SCOPED_TRACE(steps[failed].name);
            ExpectContractAnswer(kind, operation, answers[failed], clean[failed]);
        }
    }
    // Every step that calls the storage was failed at least once.
    for (const Step& step : steps)
        EXPECT_TRUE(step.kind == Kind::kOther || stepsHit.count(step.name) == 1) << step.name;
    // Whatever failed, no device's user name or password reached the log.
    for (const store_test::LogLine& line : m_log.Lines())
        for (const char* secret : {"user-", "pass-"})
            EXPECT_EQ(line.text.find(secret + std::string(kMark)), std::string::npos) << line.text;
    EXPECT_FALSE(m_log.Lines().empty()) << "the capture saw the module's lines";
    std::cout << "[ figures  ] storage faults injected: " << injected << " over " << steps.size()
              << " operations\n";
}

#if !defined(_WIN32)
// A watch on every SQL text that reaches SQLite from this program, which defines
// sqlite3_prepare_v2 and sqlite3_exec itself (below): the module's storage, linked in
// statically, binds to those, and they hand each call on to SQLite's own function. The
// Windows build (SQLite linked in statically) has no such interposing; the module's
// texts are the same on every build.
std::mutex g_watchMutex;
bool g_watching = false;
std::vector<std::string> g_texts;

// Records the texts prepared or executed while it lives (one watch at a time).
struct SqlWatch {
    SqlWatch() { Watch(true); }
    ~SqlWatch() { Watch(false); }
    static void Watch(bool on) {
        std::lock_guard<std::mutex> guard(g_watchMutex);
        if (on) g_texts.clear();
        g_watching = on;
    }
    std::vector<std::string> Texts() const {
        std::lock_guard<std::mutex> guard(g_watchMutex);
        return g_texts;
    }
};

void Record(const char* sql, int length) {
    if (sql == nullptr) return;
    std::lock_guard<std::mutex> guard(g_watchMutex);
    if (!g_watching) return;
    // A length counts the bytes of the text, its terminator included or not.
    g_texts.emplace_back(
        sql, length < 0 ? std::strlen(sql) : strnlen(sql, static_cast<std::size_t>(length)));
}

template <class Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

using Security = StorageFaultSweep;

TEST_F(Security, NoTextOrIdentifierOfTheClientReachesSqlAsText) {
    SqlWatch watch;
    int unused = 0;
    RunScenario(LONG_MAX, &unused);
    const std::vector<std::string> texts = watch.Texts();
    bool sawCodeLookup = false;
    for (const std::string& sql : texts) {
        EXPECT_EQ(sql.find(kMark), std::string::npos) << sql;
        sawCodeLookup |= sql.find("WHERE INDEXCODE = ?") != std::string::npos;
    }
    EXPECT_TRUE(sawCodeLookup) << "the watch saw the statements (" << texts.size() << ")";
}

using CameraDeleteBatches = chan_test::ChannelTest;

// However long the list, each DELETE binds at most one batch of identifiers, so no list
// can reach the engine's limit on bound variables.
TEST_F(CameraDeleteBatches, NoStatementBindsMoreThanOneBatch) {
    std::vector<CAMERA_INFO> cameras;
    for (int32_t id = 1; id <= static_cast<int32_t>(2 * channel_sql::kCameraDeleteBatch + 1); ++id)
        cameras.push_back(Camera(id));
    StoreCameras(cameras);
    SqlWatch watch;
    EXPECT_TRUE(m_store.DeleteCameras(Linked(cameras)));
    std::size_t deletes = 0;
    for (const std::string& sql : watch.Texts()) {
        if (sql.rfind("DELETE FROM CAMERAINFO", 0) != 0) continue;
        ++deletes;
        EXPECT_LE(std::count(sql.begin(), sql.end(), '?'), channel_sql::kCameraDeleteBatch);
    }
    EXPECT_NE(deletes, 0u) << "the watch saw the deletes";
    CAMERA_INFO* head = nullptr;
    EXPECT_FALSE(m_store.GetCameraList(&head, 2, 7));
}
#endif

using FailedColumnRead = chan_test::ChannelTest;

// ReadDeviceRow reads the text columns 1, 2, 3, 6 (USERNAME) and then 7 (PASSWORD).
TEST_F(FailedColumnRead, APasswordThatCannotBeReadIsEmptyNotAnotherColumn) {
    std::vector<DEVICE_INFO> devices = {chan_test::Device(1)};
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    vellum::fault::Storage().Arm(4, 1, "ReadStringByIndex");
    DEVICE_INFO device;
    ASSERT_TRUE(m_store.GetDeviceByID(&device, 1));
    EXPECT_STREQ(device.USERNAME, "operator");
    EXPECT_STREQ(device.PASSWORD, "");
    EXPECT_STREQ(device.IP, "10.1.2.3");
}

}  // namespace

#if !defined(_WIN32)
extern "C" int sqlite3_prepare_v2(sqlite3* db, const char* sql, int length,
                                  sqlite3_stmt** statement, const char** tail) {
    using Prepare = int (*)(sqlite3*, const char*, int, sqlite3_stmt**, const char**);
    static const Prepare next = Next<Prepare>("sqlite3_prepare_v2");
    Record(sql, length);
    return next(db, sql, length, statement, tail);
}

extern "C" int sqlite3_exec(sqlite3* db, const char* sql,
                            int (*callback)(void*, int, char**, char**), void* argument,
                            char** message) {
    using Exec = int (*)(sqlite3*, const char*, int (*)(void*, int, char**, char**), void*, char**);
    static const Exec next = Next<Exec>("sqlite3_exec");
    Record(sql, -1);
    return next(db, sql, callback, argument, message);
}
#endif
