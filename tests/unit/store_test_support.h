// Helpers shared by the store-core tests and the suites built on them.
#ifndef VELLUM_TESTS_UNIT_STORE_TEST_SUPPORT_H
#define VELLUM_TESTS_UNIT_STORE_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/fault/FaultPoint.h"
#include "libs/xlog/xlog.h"
#include "tests/TempDir.h"

namespace store_test {

using vellum_test::Exists;
using vellum_test::TempDir;

inline std::string ScratchPathFor(const std::string& prefix, const void* instance) {
    char address[32];
#if defined(_WIN32)
    _snprintf(address, sizeof address, "%p", instance);  // the system C runtime's own %p
#else
    std::snprintf(address, sizeof address, "%p", instance);
#endif
    return prefix + "db_" + address;
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    ASSERT_TRUE(file << content) << path;
}

inline std::string ReadFile(const std::string& path) {  // "" when there is no file
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A second, independent SQLite connection to a scratch file, to see what is really
// in it. Never creates the file.
class Peek {
public:
    explicit Peek(const std::string& path) {  // a failed open still gives a handle
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path << ": " << sqlite3_errmsg(m_db);
    }
    ~Peek() { sqlite3_close(m_db); }
    Peek(const Peek&) = delete;
    Peek& operator=(const Peek&) = delete;

    std::vector<std::string> Column(const std::string& sql) {
        std::vector<std::string> values;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_db);
            return values;
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            values.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        sqlite3_finalize(statement);
        return values;
    }

    long Count(const std::string& table) {
        const std::vector<std::string> rows = Column("SELECT COUNT(*) FROM " + table);
        return rows.size() == 1 ? std::stol(rows[0]) : -1;
    }

private:
    sqlite3* m_db = nullptr;
};

constexpr std::size_t kInstanceBlock = 788;
constexpr std::size_t kTransientBlock = 528;

inline std::string Filled(std::size_t size, unsigned step) {
    std::string block(size, '\0');
    for (std::size_t i = 0; i < size; ++i) block[i] = static_cast<char>(i * step + 1);
    return block;
}

// The two context blocks as read into buffers 16 bytes longer than each, prefilled: a
// read writes its own length and no more.
template <class Store>
std::vector<std::string> Blocks(Store& store) {
    std::string instance(kInstanceBlock + 16, '\xC3');
    std::string transient(kTransientBlock + 16, '\xC3');
    store.GetInstanceContext(&instance[0]);
    store.GetTransientContext(&transient[0]);
    return {instance, transient};
}

inline std::vector<std::string> Padded(const std::string& instance, const std::string& transient) {
    return {instance + std::string(16, '\xC3'), transient + std::string(16, '\xC3')};
}

struct LogLine {
    int level;
    std::string module;
    std::string text;
    bool operator==(const LogLine& o) const {
        return level == o.level && module == o.module && text == o.text;
    }
};

// Collects every xlog line of every level written while it lives.
class LogCapture {
public:
    LogCapture() : m_threshold(xlog_threshold()) {
        xlog_set_sink(&Receive, this);
        xlog_set_threshold(0);
    }
    ~LogCapture() {
        xlog_set_threshold(m_threshold);
        xlog_set_sink(nullptr, nullptr);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<LogLine>& Lines() const { return m_lines; }

private:
    static void Receive(int level, const char* module, const char* line, void* context) {
        static_cast<LogCapture*>(context)->m_lines.push_back({level, module, line});
    }
    int m_threshold;
    std::vector<LogLine> m_lines;
};

class FaultSafeTest : public ::testing::Test {
protected:
    void TearDown() override { vellum::fault::DisarmAll(); }
};

}  // namespace store_test

#endif  // VELLUM_TESTS_UNIT_STORE_TEST_SUPPORT_H
