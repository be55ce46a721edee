// libFuzzer harness over the whole IVellum interface. An input is a program for one instance
// made through the instance table as the client makes it: up to 48 operation bytes (modulo
// 60, an index into kOperations whose last entry stands for 56 to 59), each followed by the
// arguments its code reads; past the end every byte reads as 0. Lists handed out are freed
// through the table. Besides the sanitizers' findings, the harness aborts on a broken rule.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "libs/xlog/xlog.h"
#include "plugin/instance_table.h"
#include "store/ModuleConfig.h"

namespace {

constexpr int kMaxOperations = 48;
constexpr std::size_t kMaxRecords = 8;
constexpr std::size_t kLongText = 5000;
// A list longer than this cannot have come from one input: its links must loop.
constexpr std::size_t kMaxListLength = 100000;

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "vellum_fuzz: %s\n", what);
    std::abort();
}

// A small enumeration, invalid values among the valid ones: one byte modulo `modulo`.
struct Small {
    int32_t& value;
    int modulo;
};

struct Block {
    unsigned char* data;
    std::size_t most;
};

struct FuzzInput {
    const uint8_t* data;
    std::size_t left;

    void Bytes(void* out, std::size_t count) {
        const std::size_t taken = std::min(count, left);
        if (taken != 0) std::memcpy(out, data, taken);
        std::memset(static_cast<char*>(out) + taken, 0, count - taken);
        data += taken;
        left -= taken;
    }

    uint8_t Byte() {
        uint8_t b;
        Bytes(&b, 1);
        return b;
    }

    // Below 0xF0 the low four bits, so that deposits and look-ups meet; 0xF0, 0xF1 and
    // 0xF2 the extremes; any other byte is followed by a raw little-endian value.
    int32_t Id() {
        const uint8_t selector = Byte();
        if (selector < 0xF0) return selector & 0x0F;
        if (selector == 0xF0) return INT_MIN;
        if (selector == 0xF1) return INT_MAX;
        if (selector == 0xF2) return -1;
        int32_t raw;
        Bytes(&raw, sizeof raw);
        return raw;
    }

    // A length byte and that many bytes, the first NUL ending the text; 0xFF and a byte:
    // kLongText copies of it.
    std::string Text() {
        const uint8_t length = Byte();
        if (length == 0xFF) {
            const uint8_t b = Byte();
            return std::string(kLongText, static_cast<char>(b != 0 ? b : ','));
        }
        std::string text(length, '\0');
        Bytes(&text[0], length);
        return text.substr(0, text.find('\0'));
    }

    template <class... T>
    void Fields(T&&... fields) {
        (Field(fields), ...);
    }

    void Field(int32_t& id) { id = Id(); }
    void Field(Small small) { small.value = Byte() % small.modulo; }
    void Field(Block block) { Bytes(block.data, Byte() % (block.most + 1)); }

    void Field(bool& flag) { Bytes(&flag, 1); }  // any byte, as a client's bool may hold

    // A length byte and that many bytes, the rest zero; 0xFF: the whole width of
    // non-zero bytes, unterminated.
    template <std::size_t N>
    void Field(char (&text)[N]) {
        std::memset(text, 0, N);
        const uint8_t length = Byte();
        if (length != 0xFF) return Bytes(text, std::min<std::size_t>(length, N));
        Bytes(text, N);
        std::replace(text, text + N, '\0', 'x');
    }
};

void Fill(FuzzInput& in, CELL_INFO& r) {
    in.Fields(r.id, r.parentId, r.indexCode, r.name, r.sortOrder, Small{r.cellType, 4}, r.ownerId,
              r.reserved);
}

void Fill(FuzzInput& in, CAMERA_INFO& r) {
    in.Fields(r.ID, r.DEVID, r.CELLID, Small{r.CELLTYPE, 4}, r.CHANNELNO, r.INDEXCODE, r.CAMNAME,
              r.CAMTYPE, r.MATRIXCODE, r.SEQINDEX, r.STATUS, r.CASCADID, r.RECLOC, r.PRIVILEGE,
              r.DEVTAG, r.VRMID, r.VTDUID, r.VAGID, r.RECGUID, r.MULTIIP, r.TRANSPATH, r.MOD,
              r.TRANSCNT);
}

void Fill(FuzzInput& in, CAMERA_STATUS& r) { in.Fields(r.ID, r.STATUS); }

void Fill(FuzzInput& in, USER_ORG& r) {
    in.Fields(r.orgId, r.cameraCount, r.onlineCount, Block{r.orgData, sizeof r.orgData}, r.listKey);
    in.Bytes(r.extraData, sizeof r.extraData);
}

void Fill(FuzzInput& in, DEVICE_INFO& r) {
    in.Fields(r.ID, r.DEVNAME, r.INDEXCODE, r.IP, r.PORT, r.USERNAME, r.PASSWORD, r.DEVTYPE,
              r.DOMAINID);
}

void Fill(FuzzInput& in, IO_INFO& r) {
    in.Fields(r.ID, r.DEVID, r.CELLID, Small{r.IOTYPE, 3}, r.INDEXCODE, r.IONAME);
}

void Fill(FuzzInput& in, TALK_CHANNEL& r) {
    in.Fields(r.ID, r.CHANNELNO, r.DEVID, r.CELLID, r.INDEXCODE, r.TALKNAME);
}

void Fill(FuzzInput& in, STORE_FOLDER& r) { in.Fields(r.id, r.parentId, r.sortIndex, r.name); }

void Fill(FuzzInput& in, STORE_RES& r) {
    in.Fields(r.id, r.folderId, r.resType, r.resId, r.sortIndex, r.indexCode);
}

void Fill(FuzzInput& in, CUSTOM_VIEW& r) { in.Fields(Block{r.viewData, sizeof r.viewData}); }

void Fill(FuzzInput& in, CUSTOM_VIEW_ORG& r) {
    in.Fields(r.id, r.ownerId, Block{r.nodeData, 15}, r.sortIndex);
}

void Fill(FuzzInput& in, CUSTOM_VIEW_RES& r) {
    in.Fields(r.id, r.ownerId, r.resId, Block{r.resData, 15});
}

void Fill(FuzzInput& in, CROWD_FOLDER& r) { in.Fields(r.id, r.name); }
void Fill(FuzzInput& in, CROWD_RES& r) { in.Fields(r.resId, r.resType, r.name); }
void Fill(FuzzInput& in, KEYED_INFO& r) { in.Fields(r.key, Block{r.payload, sizeof r.payload}); }

// A count byte (modulo kMaxRecords + 1), then per record a mode byte: with 0x80 set the
// record's raw bytes up to its next, otherwise its fields by Fill.
template <class Record>
std::vector<Record> Records(FuzzInput& in) {
    std::vector<Record> records(in.Byte() % (kMaxRecords + 1));  // zeroed, next null
    for (Record& record : records) {
        if (in.Byte() & 0x80)
            in.Bytes(&record, offsetof(Record, next));
        else
            Fill(in, record);
    }
    for (std::size_t i = 0; i + 1 < records.size(); ++i) records[i].next = &records[i + 1];
    return records;
}

// The settings file beside the harness: the cipher and descending camera order on, or none.
void WriteSettings(bool present) {
    const std::string path = std::string(GetModuleDir()) + kConfigFile;
    unlink(path.c_str());
    if (std::FILE* file = present ? std::fopen(path.c_str(), "w") : nullptr) {
        std::fputs("[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n", file);
        std::fclose(file);
    }
}

template <class Record>
bool Untouched(const Record& record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    return std::all_of(bytes, bytes + sizeof record, [](unsigned char b) { return b == 0xA5; });
}

// Walks a list to its end and frees it. A pair of record types that share a freeing function
// is freed through the slot of the function's own type: the other is a call through another
// function type, which the client's compiler allows but UndefinedBehaviorSanitizer reports.
template <class Record, class Freed>
std::size_t Take(Record* head, void (*freeList)(Freed*)) {
    static_assert(sizeof(Record) == sizeof(Freed), "a shared freeing function");
    std::size_t length = 0;
    for (const Record* r = head; r != nullptr; r = r->next)
        Check(++length <= kMaxListLength, "a list that does not end");
    freeList(reinterpret_cast<Freed*>(head));
    return length;
}

struct Session : FuzzInput {
    InstanceFuncTable& table = *GetInstanceFuncTable();
    IVellum* store = nullptr;
    bool open = false;  // between Init and UnInit: the scratch file's tables can be written
    // Scratch files go to TMPDIR, named for this process so that parallel jobs never meet.
    const std::string prefix =
        std::string(getenv("TMPDIR") != nullptr ? getenv("TMPDIR") : "/tmp") + "/vellum-fuzz-" +
        std::to_string(getpid()) + "-";

    IVellum* operator->() const { return store; }

    void Open() {
        Check(store->Init(prefix.c_str()), "Init");
        open = true;
    }

    void Close() {
        store->UnInit();
        char file[32];  // the module's name for it
        std::snprintf(file, sizeof file, "db_%p", static_cast<void*>(store));
        struct stat info;
        Check(lstat((prefix + file).c_str(), &info) != 0, "UnInit left its file behind");
        open = false;
    }

    // A single-record query into a poisoned record: a miss leaves every byte as it was,
    // a hit hands the record out with a null next.
    template <class Record, class... Params, class... Args>
    bool Lookup(bool (IVellum::*query)(Record*, Params...), Args... args) {
        Record out;
        std::memset(static_cast<void*>(&out), 0xA5, sizeof out);
        const bool found = (store->*query)(&out, args...);
        Check(found ? out.next == nullptr : Untouched(out), "a look-up's record");
        return found;
    }

    // A list query, whose result says whether the list holds a record.
    template <class Record, class Freed, class... Params, class... Args>
    std::size_t List(void (*freeList)(Freed*), bool (IVellum::*query)(Record**, Params...),
                     Args... args) {
        Record* head = nullptr;
        const bool result = (store->*query)(&head, args...);
        Check(result == (head != nullptr), "a list's result");
        return Take(head, freeList);
    }

    // Deposits records from the input, then reads the slot's key if it takes one. A
    // deposit with a result has stored the list exactly when it holds a record and, for
    // a table of the scratch file (`needsOpen`), the instance is open.
    template <class R, class Record, class... Key>
    void Deposit(R (IVellum::*deposit)(const Record*, Key...), bool needsOpen = false) {
        static_assert(sizeof...(Key) <= 1, "a call's arguments are read in no set order");
        const auto records = Records<Record>(*this);
        const Record* head = records.empty() ? nullptr : &records[0];
        if constexpr (std::is_void_v<R>) {
            (store->*deposit)(head, static_cast<Key>(Id())...);
        } else {
            const bool stored = (store->*deposit)(head, static_cast<Key>(Id())...);
            Check(stored == ((open || !needsOpen) && head != nullptr), "a deposit's result");
        }
    }
};

using Operation = void (*)(Session&);

const Operation kOperations[] = {
    // 0-9: cells, user organisations, the level count, keyed information, the contexts.
    [](Session& x) { x.Deposit(&IVellum::SetCellList); },
    [](Session& x) {
        const int32_t id = x.Id();
        Check(x->GetCellLevel(id, x.Byte() % 4) >= -1, "GetCellLevel");
    },
    [](Session& x) {
        const int32_t id = x.Id();
        x.List(x.table.FreeCellList, &IVellum::GetChildCellList, id, x.Byte() % 4);
    },
    [](Session& x) {
        const int32_t id = x.Id();
        x.Lookup(&IVellum::GetCellInfo, id, x.Byte() % 4);
    },
    [](Session& x) { x.Deposit(&IVellum::SetUserOrgList); },
    [](Session& x) { x.List(x.table.FreeUserOrgList, &IVellum::GetUserOrgList, x.Id()); },
    // The registers' values are checked by the unit tests.
    [](Session& x) {
        x->SetLevelCount(x.Id());
        x->GetMaxLevel();
    },
    [](Session& x) {
        x.Deposit(&IVellum::SetKeyedInfoList);
        x.Lookup(&IVellum::GetKeyedInfo, x.Id());
    },
    [](Session& x) {
        unsigned char block[788];
        x.Bytes(block, sizeof block);
        x->SetInstanceContext(block);
        x->GetInstanceContext(block);
        x.Bytes(block, 528);
        x->SetTransientContext(block);
        x->GetTransientContext(block);
    },
    [](Session& x) {
        x->SetHostValue(x.Id());
        x->GetHostValue();
    },
    // 10-19: storage folders and resources.
    [](Session& x) { x.Deposit(&IVellum::SetStoreFolderList); },
    [](Session& x) { x.List(x.table.FreeStoreFolderList, &IVellum::GetStoreFolderList, x.Id()); },
    [](Session& x) { x.Lookup(&IVellum::GetStoreFolderByID, x.Id()); },
    [](Session& x) { x->DeleteStoreFolder(x.Id()); },
    [](Session& x) {
        const std::string name = x.Text();
        const int32_t id = x.Id();
        const bool renamed = x->RenameStoreFolder(name.c_str(), id);
        STORE_FOLDER folder;
        Check(renamed == x->GetStoreFolderByID(&folder, id), "RenameStoreFolder");
        Check(!renamed || (std::memchr(folder.name, '\0', sizeof folder.name) != nullptr &&
                           name.compare(0, 258, folder.name) == 0 &&
                           x->IsStoreFolderNameExist(folder.name, id ^ 1)),
              "a renamed folder's name");
    },
    [](Session& x) { x.Deposit(&IVellum::SetStoreResList); },
    [](Session& x) {
        const std::string code = x.Text();
        x->DeleteStoreRes(code.c_str(), x.Id());
    },
    [](Session& x) {
        const int32_t folderId = x.Id();
        const int count = x->GetStoreResCount(folderId);
        const std::size_t listed =
            x.List(x.table.FreeStoreResList, &IVellum::GetStoreResList, folderId);
        Check(count >= 0 && listed <= static_cast<std::size_t>(count), "GetStoreResCount");
    },
    [](Session& x) {
        const std::string code = x.Text();
        const int32_t type = x.Id();
        const bool exists = x->IsStoreResExist(code.c_str(), type);
        Check(exists == x.Lookup(&IVellum::GetStoreResByIndexCode, code.c_str(), type),
              "IsStoreResExist and GetStoreResByIndexCode disagree");
    },
    [](Session& x) { x->ClearStoreData(); },
    // 20-29: custom views and crowd data.
    [](Session& x) { x.Deposit(&IVellum::SetCustomViewList); },
    [](Session& x) { x.List(x.table.FreeCustomViewList, &IVellum::GetCustomViewList); },
    [](Session& x) { x.Deposit(&IVellum::SetCustomViewOrgList); },
    [](Session& x) {
        x.List(x.table.FreeCustomViewOrgList, &IVellum::GetCustomViewOrgList, x.Id());
    },
    [](Session& x) { x.Deposit(&IVellum::SetCustomViewResList); },
    [](Session& x) {
        const int32_t resId = x.Id();
        x.Lookup(&IVellum::GetCustomViewRes, resId, x.Id());
        x.List(x.table.FreeCustomViewOrgList, &IVellum::GetCustomViewResList, x.Id());
    },
    [](Session& x) { x.Deposit(&IVellum::SetCrowdFolderList); },
    [](Session& x) { x.Deposit(&IVellum::SetCrowdResList); },
    [](Session& x) {
        // The caller's next survives a hit: only the id and the name are written.
        const int32_t id = x.Id();
        CROWD_FOLDER out;
        std::memset(&out, 0xA5, sizeof out);
        if (!x->GetCrowdFolderByID(id, &out)) return Check(Untouched(out), "a crowd miss");
        Check(out.id == id && std::memchr(out.name, '\0', sizeof out.name) != nullptr,
              "GetCrowdFolderByID");
    },
    [](Session& x) {
        CROWD_RES* resources = nullptr;
        Check(x->GetCrowdResList(x.Id(), &resources) || resources == nullptr, "GetCrowdResList");
        Take(resources, x.table.FreeCrowdResList);
        CROWD_FOLDER* folders = nullptr;
        const int32_t type = x.Id();
        Check(x->GetCrowdFolderListByRes(type, x.Id(), &folders), "GetCrowdFolderListByRes");
        Take(folders, x.table.FreeCustomViewList);
    },
    // 30-39: cameras.
    [](Session& x) { x.Deposit(&IVellum::SetCameraList, true); },
    [](Session& x) { x.Deposit(&IVellum::DeleteCameras); },
    [](Session& x) {
        const int32_t cellType = x.Byte() % 4;
        x.List(x.table.FreeCameraList, &IVellum::GetCameraList, cellType, x.Id());
    },
    [](Session& x) { x.Lookup(&IVellum::GetCameraByID, x.Id()); },
    [](Session& x) {
        const int32_t type = 10000 + x.Byte() % 20;
        bool allowed = true;
        Check(x->CheckCameraPrivilegeByID(type, x.Id(), &allowed) || !allowed, "privilege");
    },
    [](Session& x) {
        const int32_t type = 10000 + x.Byte() % 20;
        bool allowed = true;
        const std::string code = x.Text();
        Check(x->CheckCameraPrivilegeByIndexCode(type, code.c_str(), &allowed) || !allowed,
              "privilege by index code");
    },
    [](Session& x) {
        x.List(x.table.FreeCameraList, &IVellum::GetCameraListByIDs, x.Text().c_str());
    },
    [](Session& x) { x.Lookup(&IVellum::GetCameraByIndexCode, x.Text().c_str()); },
    [](Session& x) {
        std::string notFound = "stale";
        x.List(x.table.FreeCameraList, &IVellum::GetCameraListByIndexCodes, x.Text().c_str(),
               &notFound);
        Check(notFound.empty() || notFound.back() == ',', "the codes not found");
    },
    [](Session& x) { x.Lookup(&IVellum::GetCameraByMatrixCode, x.Id()); },
    // 40-49: IO channels, devices, talk channels, the settings file, ClearAll.
    [](Session& x) { x.Deposit(&IVellum::SetIOList, true); },
    [](Session& x) { x.List(x.table.FreeIOInfoList, &IVellum::GetIOList, x.Id()); },
    [](Session& x) {
        x.Lookup(&IVellum::GetIOByID, x.Id());
        x.Lookup(&IVellum::GetIOByIndexCode, x.Text().c_str());
    },
    [](Session& x) { x.Deposit(&IVellum::SetDeviceList, true); },
    [](Session& x) {
        x.Lookup(&IVellum::GetDeviceByID, x.Id());
        x.Lookup(&IVellum::GetDeviceByIndexCode, x.Text().c_str());
    },
    [](Session& x) { x.Deposit(&IVellum::SetTalkChannelList, true); },
    [](Session& x) { x.List(x.table.FreeIOInfoList, &IVellum::GetTalkChannelList, x.Id()); },
    [](Session& x) {
        x.Lookup(&IVellum::GetTalkChannelByID, x.Id());
        x.Lookup(&IVellum::GetTalkChannelByIndexCode, x.Text().c_str());
    },
    [](Session& x) { WriteSettings(x.Byte() & 1); },
    [](Session& x) { x->ClearAll(); },
    // 50-56: statistics, the life cycle, status updates.
    [](Session& x) {
        const int32_t cellId = x.Id();
        x->RecountUserOrgStat(cellId, x.Byte() % 4);
    },
    [](Session& x) { x.Deposit(&IVellum::SetUserOrgStatList); },
    [](Session& x) {
        int online = -7;
        int total = -7;
        const bool found = x->GetUserOrgStat(x.Id(), &online, &total);
        Check(found || (online == -7 && total == -7), "GetUserOrgStat miss wrote its outputs");
    },
    [](Session& x) {
        x.Close();
        x.Open();  // also on an instance an earlier UnInit left closed
    },
    [](Session& x) { x.Close(); },  // later operations find no database
    [](Session& x) { x.Open(); },
    [](Session& x) {
        x.Deposit(&IVellum::UpdateCameraStatus);
        x->RecountUserOrgStat(x.Id(), 2);
    },
};
static_assert(sizeof kOperations / sizeof kOperations[0] == 57, "operations 0 to 56");

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The camera deposit logs every record.
    xlog_set_sink([](int, const char*, const char*, void*) {}, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Session x{{data, size}};
    WriteSettings(false);  // every input starts from the same settings
    x.store = x.table.CreateVellum();
    x.Open();
    for (int i = 0; i < kMaxOperations && x.left != 0; ++i)
        kOperations[std::min(x.Byte() % 60, 56)](x);
    x.Close();
    x.table.DestroyVellum(x.store);
    return 0;
}
