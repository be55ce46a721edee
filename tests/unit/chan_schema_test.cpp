// The channel tables' indexes: every look-up statement is served by an index.
#include <string>
#include <vector>

#include "chan_test_support.h"

namespace {

// The detail lines of EXPLAIN QUERY PLAN for `sql`, its `?` left unbound.
std::vector<std::string> QueryPlan(CDataStorage& storage, const std::string& sql) {
    std::vector<std::string> details;
    EXPECT_TRUE(storage.BeginRead("EXPLAIN QUERY PLAN " + sql)) << sql;
    std::string detail;
    while (storage.ReadNext() && storage.ReadStringByIndex(3, detail)) details.push_back(detail);
    storage.EndRead();
    return details;
}

TEST(ChannelIndexes, NoLookupScansAWholeTable) {
    chan_test::Tables t;
    std::vector<std::string> statements(std::begin(channel_sql::kLookups),
                                        std::end(channel_sql::kLookups));
    statements.push_back(channel_sql::CameraDeleteStatement(1));
    statements.push_back(channel_sql::CameraDeleteStatement(channel_sql::kCameraDeleteBatch));
    for (const std::string& sql : statements) {
        const std::vector<std::string> plan = QueryPlan(t.storage, sql);
        ASSERT_FALSE(plan.empty()) << sql;
        for (const std::string& step : plan) {
            EXPECT_EQ(step.rfind("SCAN", 0), std::string::npos) << sql << ": " << step;
            EXPECT_EQ(step.find("TEMP B-TREE FOR ORDER BY"), std::string::npos) << sql;
        }
    }
}

}  // namespace
