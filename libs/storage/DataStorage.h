// CDataStorage: a thin facade over one SQLite connection to the instance's private
// scratch file. Callers serialise all calls (the owning CDataOper holds its lock).
// Every operation consults fault::Storage() under its own name, so tests can make
// any call fail.
//
// Results that decide what happens next are [[nodiscard]]: a caller that drops one
// says why. The per-column calls are not: a value that cannot be bound stays NULL,
// which a NOT NULL column refuses at the row's ExecuteBind and a nullable one stores
// (reading back as 0 or empty); a column that cannot be read leaves the caller's
// zeroed field as it was.
#ifndef VELLUM_LIBS_STORAGE_DATASTORAGE_H
#define VELLUM_LIBS_STORAGE_DATASTORAGE_H

#include <cstddef>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

#include "platform/platform.h"

struct sqlite3;
struct sqlite3_stmt;

// A value bound to a `?` of a read. Text is copied into the statement at once.
struct SqlParam {
    SqlParam(int value) : isText(false), integer(value) {}  // NOLINT: implicit by design
    SqlParam(const std::string& value) : isText(true), text(&value) {}  // NOLINT
    bool isText;
    int integer = 0;
    const std::string* text = nullptr;
};

class CDataStorage {
public:
    CDataStorage() = default;
    ~CDataStorage();  // closes the connection; the file stays
    CDataStorage(const CDataStorage&) = delete;
    CDataStorage& operator=(const CDataStorage&) = delete;

    // Opens the scratch file at `path`, creating it private (see
    // platform::ScratchFile). Already open on the same path: reconnects to the same
    // file, keeping its rows, or claims and creates it anew when it has vanished.
    // Open on another path: closes that one first.
    [[nodiscard]] bool OpenFile(const std::string& path);
    [[nodiscard]] bool IsConnected();
    void CloseStorage();

    // Whether a connection is open, without consulting the fault point: for the
    // owner's own bookkeeping, never for answering a caller.
    bool IsOpen() const { return m_db != nullptr; }

    // Runs one whole statement. SQLite's result code (0 is success).
    [[nodiscard]] int ExecuteSql(const std::string& sql);

    [[nodiscard]] bool TransBegin();
    // A COMMIT that fails is rolled back, so no transaction stays open: false.
    [[nodiscard]] bool TransCommit();
    // Undoes everything since TransBegin; false when no transaction was open.
    [[nodiscard]] bool TransRollback();

    // Batch write: BeginBind, then per row Bind* and ExecuteBind, then EndBind.
    // Prepared statements are cached by their text while connected (the least recently
    // used go first when many distinct texts pass). Indexes count from 0.
    [[nodiscard]] bool BeginBind(const std::string& sql);
    bool BindInteger(int index, int value);
    bool BindString(int index, const std::string& value);
    // Binds the bytes of `value` without copying them: they must stay as they are
    // until the row's ExecuteBind.
    bool BindTextInPlace(int index, std::string_view value);
    // 0 when the row was written, else SQLite's error code. Either way the statement
    // is ready for the next row, with every value unbound (NULL).
    [[nodiscard]] int ExecuteBind();
    void EndBind();

    // Query. EndRead must follow every BeginRead, also a failed one. The second form
    // binds `params` to the statement's `?` in order: no value is ever spliced into
    // SQL text.
    [[nodiscard]] bool BeginRead(const std::string& sql);
    [[nodiscard]] bool BeginRead(const std::string& sql, std::initializer_list<SqlParam> params);
    [[nodiscard]] bool ReadNext();  // stays false once the rows are exhausted
    // Columns count from 0. NULL reads as 0 or "". No current row, or a column
    // outside it: false, and `value` is left as it was.
    bool ReadIntegerByIndex(int column, int& value);
    bool ReadStringByIndex(int column, std::string& value);
    void EndRead();

    // Limits the file to `pages` pages (0 lifts the limit): a full disk, for tests.
    void SetMaxPageCount(int pages);

private:
    // A prepared statement kept for reuse, with the tick of its last use.
    struct CachedStatement {
        sqlite3_stmt* statement;
        unsigned long lastUse;
    };
    // Statements whose text recurs stay prepared; texts that carry spliced values
    // would grow the cache without end, so the least recently used one goes first.
    static constexpr std::size_t kMaxCachedStatements = 64;

    bool Connect(const std::string& path);
    sqlite3_stmt* Prepare(const std::string& sql);
    void Disconnect();

    sqlite3* m_db = nullptr;
    std::string m_path;
    vellum::platform::ScratchFile m_file;
    std::map<std::string, CachedStatement> m_statements;  // by SQL text
    unsigned long m_nUseTick = 0;
    sqlite3_stmt* m_bind = nullptr;  // current batch write
    sqlite3_stmt* m_read = nullptr;  // current query
    bool m_bRowReady = false;        // m_read has a current row
    bool m_bReadDone = false;        // m_read stepped past its last row
};

#endif  // VELLUM_LIBS_STORAGE_DATASTORAGE_H
