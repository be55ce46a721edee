// A watch on every SQL text that reaches SQLite from this test program. The program
// defines sqlite3_prepare_v2 and sqlite3_exec itself (rel_sql_watch.cpp); the module's
// storage, linked in statically, binds to those, which record the text and hand the
// call on to SQLite's own function.
#ifndef VELLUM_TESTS_RELIABILITY_REL_SQL_WATCH_H
#define VELLUM_TESTS_RELIABILITY_REL_SQL_WATCH_H

#include <string>
#include <vector>

namespace rel_test {

// Records the SQL texts prepared or executed while it lives (one watch at a time).
struct SqlWatch {
    SqlWatch();
    ~SqlWatch();
    std::vector<std::string> Texts() const;
};

}  // namespace rel_test

#endif  // VELLUM_TESTS_RELIABILITY_REL_SQL_WATCH_H
