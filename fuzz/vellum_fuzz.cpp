// libFuzzer harness over the whole IVellum interface. Each input is a program: a
// sequence of operations on one instance made through the instance table, as the
// client makes it (deposits of every record kind, every query, deletes, renames,
// status updates, recounts, ClearAll, UnInit and Init again). Every list handed out
// is freed through its slot of the table. Besides the sanitizers' findings, the
// harness aborts when an answer breaks the interface's rules (a miss that wrote the
// caller's record, a result that disagrees with the list, a scratch file left behind).
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzRecords.h"
#include "libs/xlog/xlog.h"
#include "plugin/instance_table.h"
#include "store/ModuleConfig.h"

namespace {

using vellum_fuzz::FuzzInput;
using vellum_fuzz::Head;

// The most operations one input runs.
constexpr int kMaxOperations = 48;
// A list longer than this cannot have come from one input: its links must loop.
constexpr std::size_t kMaxListLength = 100000;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "vellum_fuzz: %s\n", what);
    std::abort();
}

void Check(bool holds, const char* what) {
    if (!holds) Fail(what);
}

// Where the instances put their scratch files: a private directory, made at the first
// input and removed at exit (each instance's UnInit has removed its file by then).
char g_scratchDir[4096];

void RemoveScratchDir() { rmdir(g_scratchDir); }

std::string ScratchPrefix() {
    if (g_scratchDir[0] == '\0') {
        const char* base = getenv("TMPDIR");
        std::snprintf(g_scratchDir, sizeof g_scratchDir, "%s/vellum-fuzz.XXXXXX",
                      base != nullptr ? base : "/tmp");
        if (mkdtemp(g_scratchDir) == nullptr) Fail("cannot make the scratch directory");
        std::atexit(&RemoveScratchDir);
    }
    return std::string(g_scratchDir) + "/";
}

std::string ScratchFileOf(const IVellum* instance) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(instance));
    return ScratchPrefix() + "db_" + address;
}

bool FileExists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// The settings file beside the harness: the cipher and the descending camera order
// on, or no file at all.
void WriteSettings(bool present) {
    const std::string path = std::string(GetModuleDir()) + kConfigFile;
    if (!present) {
        unlink(path.c_str());
        return;
    }
    if (std::FILE* file = std::fopen(path.c_str(), "w")) {
        std::fputs("[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n", file);
        std::fclose(file);
    }
}

void DiscardLine(int, const char*, const char*, void*) {}

template <class Record>
bool AllBytesAre(const Record& record, unsigned char value, std::size_t length = sizeof(Record)) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (std::size_t i = 0; i < length; ++i)
        if (bytes[i] != value) return false;
    return true;
}

// A single-record query into a caller's record filled with a pattern: a miss leaves
// every byte as it was, a hit hands the record out with a null next.
template <class Record, class Query>
void Lookup(Query query, const char* name) {
    Record out;
    std::memset(static_cast<void*>(&out), 0xA5, sizeof out);
    if (query(&out))
        Check(out.next == nullptr, name);
    else
        Check(AllBytesAre(out, 0xA5), name);
}

// Frees a list through a slot of the table after checking that it ends. `result` must
// say whether the list holds a record, unless `resultMeansList` is false. The three
// record pairs that share a freeing function are freed through the slot whose type is
// the function's own (both slots of a pair accept either type): calling the second
// slot of a pair is a call through another function type, which the client's
// compiler may allow but this build's UndefinedBehaviorSanitizer reports.
template <class Record, class Freed = Record>
void TakeList(bool result, Record* head, void (*freeList)(Freed*), const char* name,
              bool resultMeansList = true) {
    static_assert(sizeof(Record) == sizeof(Freed), "a shared freeing function");
    std::size_t length = 0;
    for (const Record* r = head; r != nullptr; r = r->next)
        if (++length > kMaxListLength) Fail(name);
    if (resultMeansList) Check(result == (head != nullptr), name);
    freeList(reinterpret_cast<Freed*>(head));
}

class Session {
public:
    Session(FuzzInput& in, InstanceFuncTable& table) : m_in(in), m_table(table) {}

    void Run() {
        WriteSettings(false);  // every input starts from the same settings
        m_store = m_table.CreateVellum();
        Check(m_store != nullptr, "CreateVellum");
        const std::string file = ScratchFileOf(m_store);
        Check(m_store->Init(ScratchPrefix().c_str()), "Init");
        m_bOpen = true;
        for (int i = 0; i < kMaxOperations && !m_in.Empty(); ++i) Step(m_in.Byte());
        m_store->UnInit();
        Check(!FileExists(file), "UnInit left the scratch file behind");
        m_table.DestroyVellum(m_store);
    }

private:
    void Step(uint8_t operation);
    void CellTree(uint8_t operation);
    void StoreData(uint8_t operation);
    void Views(uint8_t operation);
    void Cameras(uint8_t operation);
    void OtherChannels(uint8_t operation);
    void StatusAndLifecycle(uint8_t operation);

    FuzzInput& m_in;
    InstanceFuncTable& m_table;
    IVellum* m_store = nullptr;
    bool m_bOpen = false;  // between Init and UnInit: the channel deposits can be stored
};

void Session::Step(uint8_t operation) {
    // Up to ten operations to a group; the groups follow the interface's order.
    switch (operation % 60 / 10) {
        case 0:
            CellTree(operation % 10);
            break;
        case 1:
            StoreData(operation % 10);
            break;
        case 2:
            Views(operation % 10);
            break;
        case 3:
            Cameras(operation % 10);
            break;
        case 4:
            OtherChannels(operation % 10);
            break;
        default:
            StatusAndLifecycle(operation % 10);
            break;
    }
}

void Session::CellTree(uint8_t operation) {
    switch (operation) {
        case 0: {
            const auto cells = m_in.Records(vellum_fuzz::FillCell);
            m_store->SetCellList(Head(cells));
            break;
        }
        case 1: {
            const int32_t id = m_in.Id();
            const int32_t cellType = m_in.Byte() % 4;
            Check(m_store->GetCellLevel(id, cellType) >= -1, "GetCellLevel");
            break;
        }
        case 2: {
            CELL_INFO* head = nullptr;
            const int32_t id = m_in.Id();
            const bool result = m_store->GetChildCellList(&head, id, m_in.Byte() % 4);
            TakeList(result, head, m_table.FreeCellList, "GetChildCellList");
            break;
        }
        case 3: {
            const int32_t id = m_in.Id();
            const int32_t cellType = m_in.Byte() % 4;
            Lookup<CELL_INFO>(
                [&](CELL_INFO* out) { return m_store->GetCellInfo(out, id, cellType); },
                "GetCellInfo");
            break;
        }
        case 4: {
            const auto orgs = m_in.Records(vellum_fuzz::FillUserOrg);
            m_store->SetUserOrgList(Head(orgs));
            break;
        }
        case 5: {
            USER_ORG* head = nullptr;
            const bool result = m_store->GetUserOrgList(&head, m_in.Id());
            TakeList(result, head, m_table.FreeUserOrgList, "GetUserOrgList");
            break;
        }
        case 6: {
            const int32_t levels = m_in.Id();
            m_store->SetLevelCount(levels);
            Check(
                m_store->GetMaxLevel() == static_cast<int32_t>(static_cast<uint32_t>(levels) - 1u),
                "GetMaxLevel");
            break;
        }
        case 7: {
            const auto keyed = m_in.Records(vellum_fuzz::FillKeyed);
            m_store->SetKeyedInfoList(Head(keyed));
            const int32_t key = m_in.Id();
            Lookup<KEYED_INFO>([&](KEYED_INFO* out) { return m_store->GetKeyedInfo(out, key); },
                               "GetKeyedInfo");
            break;
        }
        case 8: {
            unsigned char block[788];
            unsigned char back[788];
            m_in.Bytes(block, sizeof block);
            m_store->SetInstanceContext(block);
            m_store->GetInstanceContext(back);
            Check(std::memcmp(block, back, sizeof block) == 0, "InstanceContext");
            m_in.Bytes(block, 528);
            m_store->SetTransientContext(block);
            m_store->GetTransientContext(back);
            Check(std::memcmp(block, back, 528) == 0, "TransientContext");
            break;
        }
        default: {
            const int32_t value = m_in.Id();
            m_store->SetHostValue(value);
            Check(m_store->GetHostValue() == value, "HostValue");
            break;
        }
    }
}

void Session::StoreData(uint8_t operation) {
    switch (operation) {
        case 0: {
            const auto folders = m_in.Records(vellum_fuzz::FillStoreFolder);
            m_store->SetStoreFolderList(Head(folders));
            break;
        }
        case 1: {
            STORE_FOLDER* head = nullptr;
            const bool result = m_store->GetStoreFolderList(&head, m_in.Id());
            TakeList(result, head, m_table.FreeStoreFolderList, "GetStoreFolderList");
            break;
        }
        case 2: {
            const int32_t id = m_in.Id();
            Lookup<STORE_FOLDER>(
                [&](STORE_FOLDER* out) { return m_store->GetStoreFolderByID(out, id); },
                "GetStoreFolderByID");
            break;
        }
        case 3:
            m_store->DeleteStoreFolder(m_in.Id());
            break;
        case 4: {
            const std::string name = m_in.Text();
            const int32_t id = m_in.Id();
            const bool renamed = m_store->RenameStoreFolder(name.c_str(), id);
            STORE_FOLDER folder;
            const bool cached = m_store->GetStoreFolderByID(&folder, id);
            Check(renamed == cached, "RenameStoreFolder");
            if (renamed) {
                Check(std::memchr(folder.name, '\0', sizeof folder.name) != nullptr,
                      "RenameStoreFolder left the name unterminated");
                Check(name.compare(0, 258, folder.name) == 0, "RenameStoreFolder name");
                Check(m_store->IsStoreFolderNameExist(folder.name, id ^ 1),
                      "IsStoreFolderNameExist misses a renamed folder");
            }
            break;
        }
        case 5: {
            const auto resources = m_in.Records(vellum_fuzz::FillStoreRes);
            Check(m_store->SetStoreResList(Head(resources)) == !resources.empty(),
                  "SetStoreResList");
            break;
        }
        case 6: {
            const std::string code = m_in.Text();
            m_store->DeleteStoreRes(code.c_str(), m_in.Id());
            break;
        }
        case 7: {
            const int32_t folderId = m_in.Id();
            const int count = m_store->GetStoreResCount(folderId);
            STORE_RES* head = nullptr;
            const bool result = m_store->GetStoreResList(&head, folderId);
            std::size_t listed = 0;
            for (const STORE_RES* r = head; r != nullptr; r = r->next) ++listed;
            Check(count >= 0 && listed <= static_cast<std::size_t>(count), "GetStoreResCount");
            TakeList(result, head, m_table.FreeStoreResList, "GetStoreResList");
            break;
        }
        case 8: {
            const std::string code = m_in.Text();
            const int32_t resType = m_in.Id();
            bool exists = m_store->IsStoreResExist(code.c_str(), resType);
            STORE_RES out;
            std::memset(static_cast<void*>(&out), 0xA5, sizeof out);
            const bool found = m_store->GetStoreResByIndexCode(&out, code.c_str(), resType);
            Check(exists == found, "IsStoreResExist and GetStoreResByIndexCode disagree");
            Check(found ? out.next == nullptr : AllBytesAre(out, 0xA5), "GetStoreResByIndexCode");
            break;
        }
        default:
            m_store->ClearStoreData();
            break;
    }
}

void Session::Views(uint8_t operation) {
    switch (operation) {
        case 0: {
            const auto views = m_in.Records(vellum_fuzz::FillCustomView);
            m_store->SetCustomViewList(Head(views));
            break;
        }
        case 1: {
            CUSTOM_VIEW* head = nullptr;
            const bool result = m_store->GetCustomViewList(&head);
            TakeList(result, head, m_table.FreeCustomViewList, "GetCustomViewList");
            break;
        }
        case 2: {
            const auto nodes = m_in.Records(vellum_fuzz::FillCustomViewOrg);
            m_store->SetCustomViewOrgList(Head(nodes));
            break;
        }
        case 3: {
            CUSTOM_VIEW_ORG* head = nullptr;
            const bool result = m_store->GetCustomViewOrgList(&head, m_in.Id());
            TakeList(result, head, m_table.FreeCustomViewOrgList, "GetCustomViewOrgList");
            break;
        }
        case 4: {
            const auto resources = m_in.Records(vellum_fuzz::FillCustomViewRes);
            m_store->SetCustomViewResList(Head(resources), m_in.Id());
            break;
        }
        case 5: {
            const int32_t resId = m_in.Id();
            const int32_t ownerId = m_in.Id();
            Lookup<CUSTOM_VIEW_RES>(
                [&](CUSTOM_VIEW_RES* out) {
                    return m_store->GetCustomViewRes(out, resId, ownerId);
                },
                "GetCustomViewRes");
            CUSTOM_VIEW_RES* head = nullptr;
            const bool result = m_store->GetCustomViewResList(&head, m_in.Id());
            TakeList(result, head, m_table.FreeCustomViewOrgList, "GetCustomViewResList");
            break;
        }
        case 6: {
            const auto folders = m_in.Records(vellum_fuzz::FillCrowdFolder);
            m_store->SetCrowdFolderList(Head(folders));
            break;
        }
        case 7: {
            const auto resources = m_in.Records(vellum_fuzz::FillCrowdRes);
            m_store->SetCrowdResList(Head(resources), m_in.Id());
            break;
        }
        case 8: {
            // The caller's next survives a hit: only the id and the name are written.
            const int32_t id = m_in.Id();
            CROWD_FOLDER out;
            std::memset(static_cast<void*>(&out), 0xA5, sizeof out);
            if (m_store->GetCrowdFolderByID(id, &out))
                Check(out.id == id && std::memchr(out.name, '\0', sizeof out.name) != nullptr,
                      "GetCrowdFolderByID");
            else
                Check(AllBytesAre(out, 0xA5), "GetCrowdFolderByID miss");
            break;
        }
        default: {
            CROWD_RES* resources = nullptr;
            const bool listed = m_store->GetCrowdResList(m_in.Id(), &resources);
            TakeList(listed, resources, m_table.FreeCrowdResList, "GetCrowdResList", false);
            Check(listed || resources == nullptr, "GetCrowdResList");
            CROWD_FOLDER* folders = nullptr;
            const int32_t resType = m_in.Id();
            const bool found = m_store->GetCrowdFolderListByRes(resType, m_in.Id(), &folders);
            Check(found, "GetCrowdFolderListByRes");
            TakeList(found, folders, m_table.FreeCustomViewList, "GetCrowdFolderListByRes", false);
            break;
        }
    }
}

void Session::Cameras(uint8_t operation) {
    switch (operation) {
        case 0: {
            const auto cameras = m_in.Records(vellum_fuzz::FillCamera);
            Check(m_store->SetCameraList(Head(cameras), m_in.Id()) == (m_bOpen && !cameras.empty()),
                  "SetCameraList");
            break;
        }
        case 1: {
            const auto cameras = m_in.Records(vellum_fuzz::FillCamera);
            Check(m_store->DeleteCameras(Head(cameras)) == !cameras.empty(), "DeleteCameras");
            break;
        }
        case 2: {
            CAMERA_INFO* head = nullptr;
            const int32_t cellType = m_in.Byte() % 4;
            const bool result = m_store->GetCameraList(&head, cellType, m_in.Id());
            TakeList(result, head, m_table.FreeCameraList, "GetCameraList");
            break;
        }
        case 3: {
            const int32_t id = m_in.Id();
            Lookup<CAMERA_INFO>([&](CAMERA_INFO* out) { return m_store->GetCameraByID(out, id); },
                                "GetCameraByID");
            break;
        }
        case 4: {
            const int32_t type = 10000 + m_in.Byte() % 20;
            const int32_t id = m_in.Id();
            bool allowed = true;
            const bool opened = m_store->CheckCameraPrivilegeByID(type, id, &allowed);
            Check(opened || !allowed, "CheckCameraPrivilegeByID");
            break;
        }
        case 5: {
            const int32_t type = 10000 + m_in.Byte() % 20;
            const std::string code = m_in.Text();
            bool allowed = true;
            const bool opened =
                m_store->CheckCameraPrivilegeByIndexCode(type, code.c_str(), &allowed);
            Check(opened || !allowed, "CheckCameraPrivilegeByIndexCode");
            break;
        }
        case 6: {
            CAMERA_INFO* head = nullptr;
            const std::string ids = m_in.Text();
            const bool result = m_store->GetCameraListByIDs(&head, ids.c_str());
            TakeList(result, head, m_table.FreeCameraList, "GetCameraListByIDs");
            break;
        }
        case 7: {
            const std::string code = m_in.Text();
            Lookup<CAMERA_INFO>(
                [&](CAMERA_INFO* out) { return m_store->GetCameraByIndexCode(out, code.c_str()); },
                "GetCameraByIndexCode");
            break;
        }
        case 8: {
            CAMERA_INFO* head = nullptr;
            const std::string codes = m_in.Text();
            std::string notFound = "stale";
            const bool result = m_store->GetCameraListByIndexCodes(&head, codes.c_str(), &notFound);
            Check(notFound.empty() || notFound.back() == ',', "GetCameraListByIndexCodes notFound");
            TakeList(result, head, m_table.FreeCameraList, "GetCameraListByIndexCodes");
            break;
        }
        default: {
            const int32_t matrixCode = m_in.Id();
            Lookup<CAMERA_INFO>(
                [&](CAMERA_INFO* out) { return m_store->GetCameraByMatrixCode(out, matrixCode); },
                "GetCameraByMatrixCode");
            break;
        }
    }
}

void Session::OtherChannels(uint8_t operation) {
    switch (operation) {
        case 0: {
            const auto ios = m_in.Records(vellum_fuzz::FillIO);
            Check(m_store->SetIOList(Head(ios)) == (m_bOpen && !ios.empty()), "SetIOList");
            break;
        }
        case 1: {
            IO_INFO* head = nullptr;
            const bool result = m_store->GetIOList(&head, m_in.Id());
            TakeList(result, head, m_table.FreeIOInfoList, "GetIOList");
            break;
        }
        case 2: {
            const int32_t id = m_in.Id();
            Lookup<IO_INFO>([&](IO_INFO* out) { return m_store->GetIOByID(out, id); }, "GetIOByID");
            const std::string code = m_in.Text();
            Lookup<IO_INFO>(
                [&](IO_INFO* out) { return m_store->GetIOByIndexCode(out, code.c_str()); },
                "GetIOByIndexCode");
            break;
        }
        case 3: {
            const auto devices = m_in.Records(vellum_fuzz::FillDevice);
            Check(m_store->SetDeviceList(Head(devices)) == (m_bOpen && !devices.empty()),
                  "SetDeviceList");
            break;
        }
        case 4: {
            const int32_t id = m_in.Id();
            Lookup<DEVICE_INFO>([&](DEVICE_INFO* out) { return m_store->GetDeviceByID(out, id); },
                                "GetDeviceByID");
            const std::string code = m_in.Text();
            Lookup<DEVICE_INFO>(
                [&](DEVICE_INFO* out) { return m_store->GetDeviceByIndexCode(out, code.c_str()); },
                "GetDeviceByIndexCode");
            break;
        }
        case 5: {
            // Nothing fails here: an initialised instance writes the list, a closed one
            // cannot begin the transaction.
            const auto talks = m_in.Records(vellum_fuzz::FillTalk);
            m_store->SetTalkChannelList(Head(talks));
            break;
        }
        case 6: {
            TALK_CHANNEL* head = nullptr;
            const bool result = m_store->GetTalkChannelList(&head, m_in.Id());
            TakeList(result, head, m_table.FreeIOInfoList, "GetTalkChannelList");
            break;
        }
        case 7: {
            const int32_t id = m_in.Id();
            Lookup<TALK_CHANNEL>(
                [&](TALK_CHANNEL* out) { return m_store->GetTalkChannelByID(out, id); },
                "GetTalkChannelByID");
            const std::string code = m_in.Text();
            Lookup<TALK_CHANNEL>(
                [&](TALK_CHANNEL* out) {
                    return m_store->GetTalkChannelByIndexCode(out, code.c_str());
                },
                "GetTalkChannelByIndexCode");
            break;
        }
        case 8:
            WriteSettings(m_in.Byte() & 1);
            break;
        default:
            m_store->ClearAll();
            break;
    }
}

void Session::StatusAndLifecycle(uint8_t operation) {
    switch (operation) {
        case 0: {
            const int32_t cellId = m_in.Id();
            m_store->RecountUserOrgStat(cellId, m_in.Byte() % 4);
            break;
        }
        case 1: {
            const auto stats = m_in.Records(vellum_fuzz::FillUserOrg);
            m_store->SetUserOrgStatList(Head(stats));
            break;
        }
        case 2: {
            int online = -7;
            int total = -7;
            if (!m_store->GetUserOrgStat(m_in.Id(), &online, &total))
                Check(online == -7 && total == -7, "GetUserOrgStat miss wrote its outputs");
            break;
        }
        case 3: {
            m_store->UnInit();
            Check(!FileExists(ScratchFileOf(m_store)), "UnInit left the scratch file behind");
            Check(m_store->Init(ScratchPrefix().c_str()), "Init after UnInit");
            m_bOpen = true;  // also after an earlier UnInit left the instance closed
            break;
        }
        case 4:
            m_store->UnInit();
            m_bOpen = false;
            break;  // later operations find no database
        case 5:
            Check(m_store->Init(ScratchPrefix().c_str()), "Init again");
            m_bOpen = true;
            break;
        default: {
            const auto changes = m_in.Records(vellum_fuzz::FillStatus);
            m_store->UpdateCameraStatus(Head(changes));
            const int32_t cellId = m_in.Id();
            m_store->RecountUserOrgStat(cellId, 2);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        xlog_set_sink(&DiscardLine, nullptr);  // the camera deposit logs every record
        return true;
    }();
    (void)quiet;
    FuzzInput in(data, size);
    Session(in, *GetInstanceFuncTable()).Run();
    return 0;
}
