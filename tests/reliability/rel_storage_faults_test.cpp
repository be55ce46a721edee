// The storage failing at its k-th call, for every k over a scenario that touches every
// table with every kind of storage call (open, statements, transactions, binds, steps,
// reads). Each operation must then answer as its contract says for a failed call, a
// failed read must leave the instance as it was, and UnInit must leave no file. The
// sanitizer builds add: nothing leaks, nothing is read out of bounds.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <iostream>
#include <memory>
#include <set>
#include <tuple>

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::Cell;
using chan_test::Device;
using chan_test::Io;
using chan_test::IsUntouched;
using chan_test::Linked;
using chan_test::Org;
using chan_test::Sentinel;
using chan_test::Talk;

// Everything an operation answered, in a form two runs can compare.
struct Answer {
    bool result = false;
    bool untouched = false;    // single look-ups: the caller's record was not written
    std::vector<int32_t> ids;  // lists: the records' ids; look-ups: the id found
    std::string detail;        // what else the operation handed back

    bool operator==(const Answer& o) const {
        return std::tie(result, untouched, ids, detail) ==
               std::tie(o.result, o.untouched, o.ids, o.detail);
    }
};

std::ostream& operator<<(std::ostream& out, const Answer& a) {
    out << (a.result ? "true" : "false") << (a.untouched ? " untouched" : "") << " [";
    for (int32_t id : a.ids) out << id << ' ';
    return out << "] " << a.detail;
}

// What a failed storage call may do to an operation's answer.
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

struct Step {
    const char* name;
    Kind kind;
    std::function<Answer(CDataOper&)> run;
};

Answer Result(bool result, std::string detail = "") {
    Answer answer;
    answer.result = result;
    answer.detail = std::move(detail);
    return answer;
}

Answer Privilege(bool result, bool allowed) {
    return Result(result, allowed ? "allowed" : "refused");
}

Step Call(const char* name, Kind kind, std::function<bool(CDataOper&)> run) {
    return {name, kind, [run](CDataOper& s) { return Result(run(s)); }};
}

template <class Record>
Step Find(const char* name, std::function<bool(CDataOper&, Record*)> query) {
    return {name, Kind::kLookup, [query](CDataOper& s) {
                Record record = Sentinel<Record>();
                Answer answer = Result(query(s, &record));
                answer.untouched = IsUntouched(record);
                if (answer.result) answer.ids.push_back(record.ID);
                return answer;
            }};
}

// `notFound`, where the query names one, goes into the answer's detail.
template <class Record>
Step List(const char* name, std::function<bool(CDataOper&, Record**, std::string*)> query) {
    return {name, Kind::kList, [query](CDataOper& s) {
                Record* head = nullptr;
                std::string notFound;
                Answer answer = Result(query(s, &head, &notFound), notFound);
                answer.ids = chan_test::Ids(head);
                return answer;
            }};
}

CAMERA_INFO PrivilegedCamera(int32_t id, const char* privilege) {
    CAMERA_INFO camera = Camera(id, 4);
    chan_test::SetText(camera.PRIVILEGE, privilege);
    return camera;
}

using S = CDataOper;

// Every table, every storage call kind, and the operations that chain them. Camera
// 10's RECLOC ("recloc 10") holds a "0", which would grant every privilege were it
// ever read into PRIVILEGE.
std::vector<Step> Scenario(const std::string& prefix) {
    return {
        Call("Init", Kind::kInit, [prefix](S& s) { return s.Init(prefix.c_str()); }),
        Call("SetCellList", Kind::kOther,
             [](S& s) {
                 std::vector<CELL_INFO> cells = {Cell(1, 0, "root"), Cell(4, 0, "sub", 2, 0, 1)};
                 s.SetCellList(Linked(cells));
                 std::vector<USER_ORG> stats = {Org(4, 5, 0), Org(1, 5, 0)};
                 s.SetUserOrgStatList(Linked(stats));
                 return true;
             }),
        Call("SetCameraList", Kind::kDeposit,
             [](S& s) {
                 std::vector<CAMERA_INFO> cameras = {Camera(1, 4, 2, 3), Camera(2, 4, 2, 1),
                                                     Camera(3, 4, 2, 2), PrivilegedCamera(10, "2"),
                                                     Camera(5, 8)};
                 return s.SetCameraList(Linked(cameras), 0);
             }),
        Call("SetDeviceList", Kind::kDeposit,
             [](S& s) {
                 std::vector<DEVICE_INFO> devices = {Device(1), Device(2)};
                 return s.SetDeviceList(Linked(devices));
             }),
        Call("SetIOList", Kind::kDeposit,
             [](S& s) {
                 std::vector<IO_INFO> ios = {Io(1, 7), Io(2, 7), Io(3, 8)};
                 return s.SetIOList(Linked(ios));
             }),
        Call("SetTalkChannelList", Kind::kTalkWrite,
             [](S& s) {
                 std::vector<TALK_CHANNEL> talks = {Talk(1, 7), Talk(2, 7), Talk(1, 7, "dup")};
                 return s.SetTalkChannelList(Linked(talks));
             }),
        List<CAMERA_INFO>("GetCameraList", [](S& s, CAMERA_INFO** h,
                                              std::string*) { return s.GetCameraList(h, 2, 4); }),
        Find<CAMERA_INFO>("GetCameraByID",
                          [](S& s, CAMERA_INFO* r) { return s.GetCameraByID(r, 2); }),
        Find<CAMERA_INFO>("GetCameraByID miss",
                          [](S& s, CAMERA_INFO* r) { return s.GetCameraByID(r, 99); }),
        Find<CAMERA_INFO>("GetCameraByIndexCode",
                          [](S& s, CAMERA_INFO* r) { return s.GetCameraByIndexCode(r, "CAM-3"); }),
        Find<CAMERA_INFO>("GetCameraByMatrixCode",
                          [](S& s, CAMERA_INFO* r) { return s.GetCameraByMatrixCode(r, 1005); }),
        List<CAMERA_INFO>("GetCameraListByIDs",
                          [](S& s, CAMERA_INFO** h, std::string*) {
                              return s.GetCameraListByIDs(h, "1,99,3,1");
                          }),
        List<CAMERA_INFO>("GetCameraListByIndexCodes",
                          [](S& s, CAMERA_INFO** h, std::string* notFound) {
                              return s.GetCameraListByIndexCodes(h, "CAM-2,NONE,CAM-1", notFound);
                          }),
        {"CheckCameraPrivilegeByID", Kind::kPrivilege,
         [](S& s) {
             bool allowed = true;
             const bool result = s.CheckCameraPrivilegeByID(10004, 10, &allowed);
             return Privilege(result, allowed);
         }},
        {"CheckCameraPrivilegeByIndexCode", Kind::kPrivilege,
         [](S& s) {
             bool allowed = false;
             const bool result = s.CheckCameraPrivilegeByIndexCode(10004, "CAM-1", &allowed);
             return Privilege(result, allowed);
         }},
        List<IO_INFO>("GetIOList",
                      [](S& s, IO_INFO** h, std::string*) { return s.GetIOList(h, 7); }),
        Find<IO_INFO>("GetIOByID", [](S& s, IO_INFO* r) { return s.GetIOByID(r, 3); }),
        Find<IO_INFO>("GetIOByIndexCode",
                      [](S& s, IO_INFO* r) { return s.GetIOByIndexCode(r, "IO-2"); }),
        Find<DEVICE_INFO>("GetDeviceByID",
                          [](S& s, DEVICE_INFO* r) { return s.GetDeviceByID(r, 2); }),
        Find<DEVICE_INFO>("GetDeviceByIndexCode",
                          [](S& s, DEVICE_INFO* r) { return s.GetDeviceByIndexCode(r, "DEV-1"); }),
        List<TALK_CHANNEL>(
            "GetTalkChannelList",
            [](S& s, TALK_CHANNEL** h, std::string*) { return s.GetTalkChannelList(h, 7); }),
        Find<TALK_CHANNEL>("GetTalkChannelByID",
                           [](S& s, TALK_CHANNEL* r) { return s.GetTalkChannelByID(r, 2); }),
        Find<TALK_CHANNEL>(
            "GetTalkChannelByIndexCode",
            [](S& s, TALK_CHANNEL* r) { return s.GetTalkChannelByIndexCode(r, "TALK-1"); }),
        Call("UpdateCameraStatus", Kind::kOther,
             [](S& s) {
                 std::vector<CAMERA_STATUS> changes = {
                     {1, 1, nullptr}, {2, 1, nullptr}, {5, 1, nullptr}};
                 s.UpdateCameraStatus(Linked(changes));
                 return true;
             }),
        Call("RecountUserOrgStat", Kind::kOther,
             [](S& s) { return s.RecountUserOrgStat(4, 2), true; }),
        {"GetUserOrgStat", Kind::kOther,
         [](S& s) {
             int online = -1, total = -1;
             const bool result = s.GetUserOrgStat(4, &online, &total);
             return Result(result, std::to_string(online) + "/" + std::to_string(total));
         }},
        Call("DeleteCameras", Kind::kWrite,
             [](S& s) {
                 std::vector<CAMERA_INFO> gone = {Camera(3)};
                 return s.DeleteCameras(Linked(gone));
             }),
        Find<CAMERA_INFO>("GetCameraByID deleted",
                          [](S& s, CAMERA_INFO* r) { return s.GetCameraByID(r, 3); }),
        Call("ClearAll", Kind::kOther, [](S& s) { return s.ClearAll(), true; }),
        Find<DEVICE_INFO>("GetDeviceByID cleared",
                          [](S& s, DEVICE_INFO* r) { return s.GetDeviceByID(r, 1); }),
        List<IO_INFO>("GetIOList kept",
                      [](S& s, IO_INFO** h, std::string*) { return s.GetIOList(h, 7); }),
        Call("UnInit", Kind::kOther, [](S& s) { return s.UnInit(), true; }),
    };
}

// Every storage operation's name, as its fault point knows it, but TransRollback: only
// a deposit of a thousand cameras or more reaches it, too long a scenario to fail
// call by call, and the camera write tests fail each of its statements instead.
const char* const kStorageOperations[] = {
    "OpenFile",          "IsConnected",  "ExecuteSql", "TransBegin",      "TransCommit",
    "BeginBind",         "BindInteger",  "BindString", "BindTextInPlace", "ExecuteBind",
    "EndBind",           "BeginRead",    "ReadNext",   "EndRead",         "ReadIntegerByIndex",
    "ReadStringByIndex", "CloseStorage",
};

bool IsRead(Kind kind) {
    return kind == Kind::kLookup || kind == Kind::kList || kind == Kind::kPrivilege;
}

// Whether `sub` is `whole` with some elements left out.
bool IsSubsequence(const std::vector<int32_t>& sub, const std::vector<int32_t>& whole) {
    std::size_t at = 0;
    for (int32_t id : whole)
        if (at < sub.size() && sub[at] == id) ++at;
    return at == sub.size();
}

// The answer of an operation whose storage call `failed` failed, against the run
// without failures.
void ExpectContractAnswer(const Step& step, const std::string& failed, const Answer& got,
                          const Answer& clean) {
    const bool queryFailed = failed == "BeginRead" || failed == "ReadNext";
    const bool columnFailed = failed == "ReadIntegerByIndex" || failed == "ReadStringByIndex";
    switch (step.kind) {
        case Kind::kInit:
            EXPECT_EQ(got.result, failed != "OpenFile");
            break;
        case Kind::kWrite:
            EXPECT_TRUE(got.result);
            break;
        case Kind::kDeposit:
            EXPECT_EQ(got.result, !(failed == "TransBegin" || failed == "TransCommit"));
            break;
        case Kind::kTalkWrite:
            EXPECT_EQ(got.result, !(failed == "TransBegin" || failed == "BeginBind" ||
                                    failed == "TransCommit"));
            break;
        case Kind::kLookup:
            if (queryFailed) {
                EXPECT_FALSE(got.result);
                EXPECT_TRUE(got.untouched);
            } else if (columnFailed) {
                EXPECT_EQ(got.result, clean.result);
                EXPECT_EQ(got.untouched, clean.untouched);
            } else {
                EXPECT_EQ(got, clean);
            }
            break;
        case Kind::kList:
            if (queryFailed) {
                EXPECT_TRUE(IsSubsequence(got.ids, clean.ids)) << got << " vs " << clean;
                EXPECT_EQ(got.result, !got.ids.empty());
            } else if (columnFailed) {
                EXPECT_EQ(got.result, clean.result);
                EXPECT_EQ(got.ids.size(), clean.ids.size());
            } else {
                EXPECT_EQ(got, clean);
            }
            break;
        case Kind::kPrivilege:
            if (failed == "BeginRead") {
                EXPECT_EQ(got, Privilege(false, false));
            } else if (failed == "ReadNext") {
                EXPECT_EQ(got, Privilege(true, false));
            } else {
                EXPECT_TRUE(got.result);
                // A failed column read may refuse, never grant, what the row does not.
                if (clean.detail == "refused") {
                    EXPECT_EQ(got.detail, "refused");
                }
            }
            break;
        case Kind::kOther:
            break;
    }
}

class StorageFaultSweep : public store_test::FaultSafeTest {
protected:
    // Runs the scenario on a fresh instance; `failedStep` gets the step during which
    // the armed fault fired (the one whose calls passed `failAt`), or -1.
    std::vector<Answer> RunScenario(long failAt, int* failedStep) {
        auto store = std::make_unique<CDataOper>();
        std::vector<Answer> answers;
        *failedStep = -1;
        for (const Step& step : Scenario(m_dir.Path())) {
            answers.push_back(step.run(*store));
            if (*failedStep < 0 && vellum::fault::Storage().Calls() > failAt)
                *failedStep = static_cast<int>(answers.size()) - 1;
        }
        EXPECT_FALSE(store_test::Exists(store->DbPath())) << "UnInit left the scratch file";
        vellum::fault::Storage().Disarm();
        ExpectUsable(*store);
        return answers;
    }

    // After any failure, a new Init gives a whole instance.
    void ExpectUsable(CDataOper& store) {
        ASSERT_TRUE(store.Init(m_dir.Path().c_str()));
        std::vector<TALK_CHANNEL> talks = {Talk(9, 3)};
        EXPECT_TRUE(store.SetTalkChannelList(Linked(talks)));
        std::vector<CAMERA_INFO> cameras = {Camera(9, 3)};
        EXPECT_TRUE(store.SetCameraList(Linked(cameras), 0));
        CAMERA_INFO camera;
        EXPECT_TRUE(store.GetCameraByID(&camera, 9));
        TALK_CHANNEL talk;
        EXPECT_TRUE(store.GetTalkChannelByIndexCode(&talk, "TALK-9"));
        store.UnInit();
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
            int failedStep = -1;
            const std::vector<Answer> answers = RunScenario(k, &failedStep);
            ASSERT_GE(failedStep, 0);
            ++injected;
            stepsHit.insert(steps[failedStep].name);
            for (int i = 0; i < failedStep; ++i) EXPECT_EQ(answers[i], clean[i]) << steps[i].name;
            SCOPED_TRACE(steps[failedStep].name);
            ExpectContractAnswer(steps[failedStep], operation, answers[failedStep],
                                 clean[failedStep]);
            if (IsRead(steps[failedStep].kind)) {
                for (std::size_t i = failedStep + 1; i < answers.size(); ++i)
                    EXPECT_EQ(answers[i], clean[i]) << steps[i].name << " after a failed read";
            }
        }
    }
    // Every step that calls the storage was failed at least once.
    for (const Step& step : steps)
        if (step.kind != Kind::kOther) {
            EXPECT_EQ(stepsHit.count(step.name), 1u) << step.name;
        }
    std::cout << "[ figures  ] storage faults injected: " << injected << " over " << steps.size()
              << " operations\n";
}

using FailedColumnRead = chan_test::ChannelTest;

// ReadDeviceRow reads the text columns 1, 2, 3, 6 (USERNAME) and then 7 (PASSWORD).
TEST_F(FailedColumnRead, APasswordThatCannotBeReadIsEmptyNotAnotherColumn) {
    std::vector<DEVICE_INFO> devices = {Device(1)};
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    vellum::fault::Storage().Arm(4, 1, "ReadStringByIndex");
    DEVICE_INFO device;
    ASSERT_TRUE(m_store.GetDeviceByID(&device, 1));
    EXPECT_STREQ(device.USERNAME, "operator");
    EXPECT_STREQ(device.PASSWORD, "");
    EXPECT_STREQ(device.IP, "10.1.2.3");
}

}  // namespace
