// The channel tables' indexes: every look-up statement is served by an index, and no
// argument can reach the database as SQL.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "chan_test_support.h"
#include "channels/ChannelSchema.h"

namespace {

using chan_test::ChannelTest;

// The detail lines of EXPLAIN QUERY PLAN for `sql`, its `?` left unbound.
std::vector<std::string> QueryPlan(const std::string& path, const std::string& sql) {
    std::vector<std::string> details;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path;
        sqlite3_close(db);
        return details;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &statement, nullptr) ==
        SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            details.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 3)));
    } else {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return details;
}

using ChannelIndexes = ChannelTest;

TEST_F(ChannelIndexes, NoLookupScansAWholeTable) {
    for (const char* sql : channel_sql::kLookups) {
        const std::vector<std::string> plan = QueryPlan(m_store.DbPath(), sql);
        ASSERT_FALSE(plan.empty()) << sql;
        for (const std::string& step : plan) {
            EXPECT_EQ(step.rfind("SCAN", 0), std::string::npos) << sql << ": " << step;
            EXPECT_EQ(step.find("TEMP B-TREE FOR ORDER BY"), std::string::npos) << sql;
        }
    }
    for (std::size_t count : {std::size_t{1}, channel_sql::kCameraDeleteBatch}) {
        for (const std::string& step :
             QueryPlan(m_store.DbPath(), channel_sql::CameraDeleteStatement(count)))
            EXPECT_EQ(step.rfind("SCAN", 0), std::string::npos) << step;
    }
}

}  // namespace
