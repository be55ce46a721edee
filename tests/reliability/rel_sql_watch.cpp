// The two SQLite entry points that take SQL text, defined in the test program so that
// the watch sees every text the storage hands to SQLite.
#include "rel_sql_watch.h"

#include <dlfcn.h>
#include <sqlite3.h>

#include <cstring>
#include <mutex>

namespace {

std::mutex g_mutex;
bool g_watching = false;
std::vector<std::string> g_texts;

void Record(const char* sql, int length) {
    if (sql == nullptr) return;
    std::lock_guard<std::mutex> guard(g_mutex);
    if (!g_watching) return;
    // A length counts the bytes of the text, its terminator included or not.
    g_texts.emplace_back(
        sql, length < 0 ? std::strlen(sql) : strnlen(sql, static_cast<std::size_t>(length)));
}

template <class Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void Watch(bool on) {
    std::lock_guard<std::mutex> guard(g_mutex);
    if (on) g_texts.clear();
    g_watching = on;
}

}  // namespace

namespace rel_test {

SqlWatch::SqlWatch() { Watch(true); }

SqlWatch::~SqlWatch() { Watch(false); }

std::vector<std::string> SqlWatch::Texts() const {
    std::lock_guard<std::mutex> guard(g_mutex);
    return g_texts;
}

}  // namespace rel_test

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
