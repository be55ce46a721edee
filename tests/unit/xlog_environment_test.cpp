// xlog's threshold and destination as the environment sets them. The environment is
// read once per process, so each row of the table in tests/CMakeLists.txt runs this
// test in a program of its own, with XLOG_LEVEL / XLOG_DEST and the answers expected.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "libs/xlog/xlog.h"

TEST(XlogEnvironment, ThresholdAndDestinationComeFromTheEnvironment) {
    const char* threshold = std::getenv("XLOG_TEST_THRESHOLD");
    const char* enabled = std::getenv("XLOG_TEST_ENABLED_AT_INT_MAX");
    if (threshold == nullptr || enabled == nullptr)
        GTEST_SKIP() << "runs only in a row of the environment table";
    EXPECT_EQ(xlog_threshold(), std::atoi(threshold));
    EXPECT_EQ(xlog_enabled(INT_MAX), std::atoi(enabled));
}
