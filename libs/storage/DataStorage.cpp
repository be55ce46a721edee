// CDataStorage over one SQLite connection to a claimed private scratch file.
#include "libs/storage/DataStorage.h"

#include <sqlite3.h>

#include "platform/fault/FaultPoint.h"

namespace {

// True when the test fault point makes `operation` fail.
bool Fails(const char* operation) { return vellum::fault::Storage().Hit(operation); }

// The file is private and deleted at the end of the instance, so durability buys
// nothing: no syncing, the rollback journal and temporary tables in memory. The claim
// (platform::ScratchFile) already keeps every other process out, so this connection
// is the file's only writer: it takes no file locks of its own, holds
// its page cache across transactions (exclusive locking mode, without which every
// query re-reads the file header) and reads pages through a memory map. A 64 MiB page
// cache keeps the camera indexes of a large deposit in memory; it grows only as used.
// Camera rows take some 400 bytes: 16 KiB pages split less often than the default
// 4 KiB and measured a tenth faster on large deposits. A file reconnected to keeps
// the page size it was made with.
constexpr const char* kScratchPragmas =
    "PRAGMA page_size=16384;PRAGMA synchronous=OFF;PRAGMA journal_mode=MEMORY;"
    "PRAGMA temp_store=MEMORY;"
    "PRAGMA locking_mode=EXCLUSIVE;PRAGMA mmap_size=1073741824;PRAGMA cache_size=-65536;";

// SQLite's default page limit, which "no limit" restores.
constexpr int kDefaultMaxPageCount = 1073741823;

}  // namespace

CDataStorage::~CDataStorage() {
    Disconnect();
    m_file.Release();
}

bool CDataStorage::OpenFile(const std::string& path) {
    if (Fails("OpenFile")) return false;
    if (m_file.IsClaimed() && path == m_path) {
        // Our own file: reconnect keeping its rows and the claim; it is not abandoned.
        Disconnect();
        if (Connect(path)) return true;
        // Removed from outside meanwhile (a temporary-file cleaner): claim it anew
        // below, which creates it; its rows went with it.
    }
    Disconnect();
    m_file.Release();
    m_path = path;
    if (!m_file.Claim(path)) return false;
    if (Connect(path)) return true;
    m_file.Release();
    return false;
}

bool CDataStorage::Connect(const std::string& path) {
    // The file exists (the claim created it): open it as it is, never through a link.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    const char* vfs = vellum::platform::kUnlockedSqliteVfs;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, vfs) == SQLITE_OK &&
        sqlite3_exec(m_db, kScratchPragmas, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    sqlite3_close(m_db);  // a handle is returned even when opening fails
    m_db = nullptr;
    return false;
}

bool CDataStorage::IsConnected() {
    if (Fails("IsConnected")) return false;
    return m_db != nullptr;
}

void CDataStorage::CloseStorage() {
    Fails("CloseStorage");  // counted; closing goes ahead regardless
    Disconnect();
    m_file.Release();
}

void CDataStorage::Disconnect() {
    for (auto& entry : m_statements) sqlite3_finalize(entry.second.statement);
    m_statements.clear();
    m_bind = nullptr;
    m_read = nullptr;
    m_bRowReady = false;
    m_bReadDone = false;
    if (m_db != nullptr) sqlite3_close(m_db);  // every statement is finalized: closes now
    m_db = nullptr;
}

int CDataStorage::ExecuteSql(const std::string& sql) {
    if (Fails("ExecuteSql")) return SQLITE_ERROR;
    if (m_db == nullptr) return SQLITE_MISUSE;
    return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
}

bool CDataStorage::TransBegin() {
    if (Fails("TransBegin")) return false;
    if (m_db == nullptr) return false;
    return sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool CDataStorage::TransCommit() {
    if (Fails("TransCommit")) return false;
    if (m_db == nullptr) return false;
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    // A COMMIT that fails (a full disk) can leave the transaction open, and every later
    // BEGIN would then fail: roll back so the connection stays usable.
    if (sqlite3_get_autocommit(m_db) == 0)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool CDataStorage::TransRollback() {
    if (Fails("TransRollback")) return false;
    if (m_db == nullptr || sqlite3_get_autocommit(m_db) != 0) return false;
    return sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK;
}

sqlite3_stmt* CDataStorage::Prepare(const std::string& sql) {
    if (m_db == nullptr) return nullptr;
    const unsigned long tick = ++m_nUseTick;
    auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        found->second.lastUse = tick;
        sqlite3_reset(found->second.statement);
        sqlite3_clear_bindings(found->second.statement);
        return found->second.statement;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()) + 1, &statement,
                           nullptr) != SQLITE_OK ||
        statement == nullptr) {  // an empty or comment-only text prepares to nothing
        sqlite3_finalize(statement);
        return nullptr;
    }
    if (m_statements.size() >= kMaxCachedStatements) {
        auto oldest = m_statements.end();
        for (auto it = m_statements.begin(); it != m_statements.end(); ++it) {
            if (it->second.statement == m_bind || it->second.statement == m_read) continue;
            if (oldest == m_statements.end() || it->second.lastUse < oldest->second.lastUse)
                oldest = it;
        }
        if (oldest != m_statements.end()) {
            sqlite3_finalize(oldest->second.statement);
            m_statements.erase(oldest);
        }
    }
    m_statements.emplace(sql, CachedStatement{statement, tick});
    return statement;
}

bool CDataStorage::BeginBind(const std::string& sql) {
    if (Fails("BeginBind")) return false;
    if (m_bind != nullptr) sqlite3_reset(m_bind);  // an unfinished batch is dropped
    m_bind = Prepare(sql);
    return m_bind != nullptr;
}

bool CDataStorage::BindInteger(int index, int value) {
    if (Fails("BindInteger")) return false;
    if (m_bind == nullptr || index < 0) return false;
    return sqlite3_bind_int(m_bind, index + 1, value) == SQLITE_OK;
}

bool CDataStorage::BindString(int index, const std::string& value) {
    if (Fails("BindString")) return false;
    if (m_bind == nullptr || index < 0) return false;
    return sqlite3_bind_text(m_bind, index + 1, value.data(), static_cast<int>(value.size()),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

bool CDataStorage::BindTextInPlace(int index, std::string_view value) {
    if (Fails("BindTextInPlace")) return false;
    if (m_bind == nullptr || index < 0) return false;
    return sqlite3_bind_text(m_bind, index + 1, value.data(), static_cast<int>(value.size()),
                             SQLITE_STATIC) == SQLITE_OK;
}

// SQLITE_OK (0) when the statement ran to completion, else SQLite's error code.
int CDataStorage::ExecuteBind() {
    if (Fails("ExecuteBind")) return SQLITE_ERROR;
    if (m_bind == nullptr) return SQLITE_MISUSE;
    int result = sqlite3_step(m_bind);
    // Ready for the next row. Clearing the values makes a placeholder the caller forgot
    // to bind NULL rather than the previous row's value.
    sqlite3_reset(m_bind);
    sqlite3_clear_bindings(m_bind);
    return result == SQLITE_DONE || result == SQLITE_ROW ? SQLITE_OK : result;
}

void CDataStorage::EndBind() {
    Fails("EndBind");  // counted; the statement is released regardless
    if (m_bind == nullptr) return;
    sqlite3_reset(m_bind);
    sqlite3_clear_bindings(m_bind);
    m_bind = nullptr;  // stays cached
}

bool CDataStorage::BeginRead(const std::string& sql) { return BeginRead(sql, {}); }

bool CDataStorage::BeginRead(const std::string& sql, std::initializer_list<SqlParam> params) {
    if (Fails("BeginRead")) return false;
    m_bRowReady = false;
    m_bReadDone = false;
    if (m_read != nullptr) sqlite3_reset(m_read);  // an unfinished query is dropped
    m_read = Prepare(sql);
    if (m_read == nullptr) return false;
    int index = 1;
    for (const SqlParam& param : params) {
        int result = param.isText
                         ? sqlite3_bind_text(m_read, index, param.text->data(),
                                             static_cast<int>(param.text->size()), SQLITE_TRANSIENT)
                         : sqlite3_bind_int(m_read, index, param.integer);
        if (result != SQLITE_OK) {
            sqlite3_clear_bindings(m_read);
            m_read = nullptr;
            return false;
        }
        ++index;
    }
    return true;
}

bool CDataStorage::ReadNext() {
    if (Fails("ReadNext")) return false;
    m_bRowReady = false;
    // Stepping past the end would start the query over; the read stays finished.
    if (m_read == nullptr || m_bReadDone) return false;
    m_bRowReady = sqlite3_step(m_read) == SQLITE_ROW;
    m_bReadDone = !m_bRowReady;
    return m_bRowReady;
}

// A NULL column reads as 0; a column outside the row leaves `value` as it was.
bool CDataStorage::ReadIntegerByIndex(int column, int& value) {
    if (Fails("ReadIntegerByIndex")) return false;
    if (!m_bRowReady || column < 0 || column >= sqlite3_column_count(m_read)) return false;
    value = sqlite3_column_int(m_read, column);
    return true;
}

// A NULL column reads as ""; a column outside the row leaves `value` as it was.
bool CDataStorage::ReadStringByIndex(int column, std::string& value) {
    if (Fails("ReadStringByIndex")) return false;
    if (!m_bRowReady || column < 0 || column >= sqlite3_column_count(m_read)) return false;
    const unsigned char* text = sqlite3_column_text(m_read, column);
    const int length = sqlite3_column_bytes(m_read, column);  // after the text: its size
    if (text == nullptr)
        value.clear();
    else
        value.assign(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
    return true;
}

void CDataStorage::EndRead() {
    Fails("EndRead");  // counted; the query ends regardless
    m_bRowReady = false;
    m_bReadDone = false;
    if (m_read == nullptr) return;
    sqlite3_reset(m_read);
    sqlite3_clear_bindings(m_read);
    m_read = nullptr;  // stays cached
}

void CDataStorage::SetMaxPageCount(int pages) {
    if (m_db == nullptr) return;
    const std::string sql =
        "PRAGMA max_page_count=" + std::to_string(pages > 0 ? pages : kDefaultMaxPageCount);
    sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
}
