// CDataOper as a whole: construction, Init (key, scratch file, schema), UnInit, ClearAll.
#include "store/DataOper.h"

#include <cstring>

#include "channels/CameraColumns.h"
#include "channels/ChannelSchema.h"
#include "libs/xlog/xlog.h"
#include "libs/records/RecordText.h"
#include "platform/platform.h"

namespace {

constexpr const char* kLogSource = ".\\DataOper";
constexpr std::size_t kKeySize = 32;
// Used when the system cannot give random bytes.
constexpr const char kFixedKey[] = "3948-61027354###qoplarvex-kmd907";
static_assert(sizeof kFixedKey - 1 == kKeySize, "the fixed key is a full key");

// "<prefix>db_<address>", "def" standing in for a null prefix, the address written as
// the system's "%p" does. No separator is added: the client's prefix normally ends
// with one.
std::string ScratchPath(const char* prefix, const void* instance) {
    return std::string(prefix != nullptr ? prefix : "def") + "db_" +
           vellum::platform::AddressText(instance);
}

}  // namespace

CDataOper::CDataOper()
    : m_nLevelCount(0),
      m_nHostValue(0),
      m_statistics(m_storage, m_cellTree),
      m_cameraTable(m_storage, m_strKey, m_settings, m_statistics),
      m_ioTable(m_storage),
      m_deviceTable(m_storage),
      m_talkTable(m_storage) {
    std::memset(m_instanceContext, 0, sizeof m_instanceContext);
    std::memset(m_transientContext, 0, sizeof m_transientContext);
}

CDataOper::~CDataOper() = default;

#if VELLUM_ONE_ENTRY_SLOT0
IVellum* CDataOper::DeletingDestructor(unsigned int flags) {
    this->~CDataOper();
    if ((flags & 1u) != 0) ::operator delete(this);  // storage from CreateVellum's new
    return this;
}
#endif

bool CDataOper::Init(const char* prefix) {
    xlog_write(2, "client", "<%s [%d] - %s> <DataOper Init>", kLogSource, 102, "CDataOper::Init");
    StoreLock lock(&m_lock);

    const std::string path = ScratchPath(prefix, this);
    // Init on an open instance reconnects to the same file and keeps its rows, so it
    // keeps the key that enciphered them too. A different path leaves the old file
    // unreachable: remove it rather than leave it behind.
    const bool reopening = m_storage.IsOpen() && path == m_strDbPath;
    if (m_storage.IsOpen() && !reopening) {
        m_storage.CloseStorage();
        vellum::platform::RemoveFile(m_strDbPath);
    }
    if (!reopening) {
        m_strKey.clear();
        unsigned char random[kKeySize] = {};
        if (vellum::platform::RandomBytes(random, sizeof random))
            m_strKey.assign(reinterpret_cast<const char*>(random), sizeof random);
        std::memset(random, 0, sizeof random);
        if (m_strKey.empty()) m_strKey.assign(kFixedKey, kKeySize);
    }

    m_strDbPath = path;
    if (!m_storage.OpenFile(m_strDbPath)) return false;
    CreateSchema();
    return true;
}

void CDataOper::CreateSchema() {
    if (!m_storage.IsConnected()) return;
    // Results are not examined: a failing statement does not stop the others.
    (void)m_storage.ExecuteSql(camera_columns::TableDefinition());
    (void)m_storage.ExecuteSql(DeviceTable::kDefinition);
    (void)m_storage.ExecuteSql(TalkTable::kDefinition);
    (void)m_storage.ExecuteSql(IoTable::kDefinition);
    CreateChannelIndexes(m_storage);
}

void CDataOper::UnInit() {
    xlog_write(2, "client", "<%s [%d] - %s> <DataOper UnInit>", kLogSource, 136,
               "CDataOper::UnInit");
    StoreLock lock(&m_lock);
    std::memset(m_transientContext, 0, sizeof m_transientContext);
    // Only a file this instance opened is deleted: after a failed Init the path may
    // name another process's file, or a link planted there.
    const bool ownsFile = m_storage.IsOpen();
    m_storage.CloseStorage();
    if (ownsFile) vellum::platform::RemoveFile(m_strDbPath);
    ClearCaches();
}

void CDataOper::ClearAll() {
    StoreLock lock(&m_lock);
    // The slot answers nothing, and the caches are emptied whatever the table deletes
    // do: a table that cannot be emptied (no database open) keeps its rows.
    (void)m_storage.TransBegin();
    (void)m_storage.ExecuteSql("DELETE FROM CAMERAINFO");
    (void)m_storage.TransCommit();
    (void)m_storage.TransBegin();
    (void)m_storage.ExecuteSql("DELETE FROM DEVICEINFO");
    (void)m_storage.TransCommit();
    ClearCaches();
}

void CDataOper::ClearCaches() {
    m_storeCatalog.ClearStoreData();
    m_userOrgs.Clear();
    m_cellTree.Clear();
    m_customViews.Clear();
    m_crowdData.Clear();
    m_mapKeyedInfo.clear();
}

// --- the cell tree ---

void CDataOper::SetCellList(const CELL_INFO* list) {
    StoreLock lock(&m_lock);
    m_cellTree.Deposit(list);
}

// A miss, or a null `out`, writes nothing; a hit has a null next.
bool CDataOper::GetCellInfo(CELL_INFO* out, int id, int cellType) {
    StoreLock lock(&m_lock);
    if (out == nullptr) return false;
    const CELL_INFO* cell = m_cellTree.Find(id, cellType);
    if (cell == nullptr) return false;
    CopyRecordOut(out, *cell);
    return true;
}

int CDataOper::GetCellLevel(int id, int cellType) {
    StoreLock lock(&m_lock);
    return m_cellTree.Level(id, cellType);
}

// Factory-made records the client frees with FreeCellList.
bool CDataOper::GetChildCellList(CELL_INFO** out, int id, int cellType) {
    StoreLock lock(&m_lock);
    if (out == nullptr) return false;
    return m_cellTree.ListChildren(out, id, cellType);
}
