// xlog: the threshold decides what is taken, the destination where it goes.
#include "libs/xlog/xlog.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/unit/store_test_support.h"

namespace {

using store_test::LogCapture;
using Lines = std::vector<store_test::LogLine>;

TEST(Xlog, LinesBelowTheThresholdAreNeitherTakenNorWritten) {
    const Lines both = {{2, "m", "two 2"}, {3, "m", "three 3"}};
    struct Case {
        int threshold;
        int level2Enabled;
        int level3Enabled;
        Lines received;
    };
    for (const Case& c : {Case{3, 0, 1, {both[1]}}, Case{2, 1, 1, both}, Case{4, 0, 0, {}}}) {
        SCOPED_TRACE(c.threshold);
        LogCapture log;
        xlog_set_threshold(c.threshold);
        EXPECT_EQ(xlog_threshold(), c.threshold);
        EXPECT_EQ(xlog_enabled(2), c.level2Enabled);
        EXPECT_EQ(xlog_enabled(3), c.level3Enabled);
        xlog_write(2, "m", "two %d", 2);
        xlog_write(3, "m", "three %s", "3");
        EXPECT_EQ(log.Lines(), c.received);
    }
}

TEST(Xlog, NothingTakesNoLineUntilASinkIsChosenAndALongLineIsCutAt4095Bytes) {
    LogCapture before;
    xlog_set_nothing();
    EXPECT_EQ(xlog_enabled(100), 0);
    xlog_write(100, "m", "dropped");
    LogCapture after;
    const std::string longText(5000, 'x');
    xlog_write(3, "m", "%s", longText.c_str());
    EXPECT_TRUE(before.Lines().empty());
    EXPECT_EQ(after.Lines(), (Lines{{3, "m", longText.substr(0, 4095)}}));
}

TEST(Xlog, FileAndStandardErrorGetLevelModuleAndLine) {
    LogCapture log;
    vellum_test::TempDir dir;
    const std::string path = dir.Path() + "log.txt";
    EXPECT_EQ(xlog_set_file((dir.Path() + "no-such-dir/log.txt").c_str()), 0);
    xlog_write(3, "m", "still to the sink");  // a file that cannot be opened changes nothing
    ASSERT_EQ(xlog_set_file(path.c_str()), 1);
    xlog_write(3, "tvwall", "<%s>", "a");
    xlog_write(4, nullptr, "b");
#if defined(_WIN32)
    const std::string eol = "\r\n";  // a text file, as the platform writes one
#else
    const std::string eol = "\n";
#endif
    EXPECT_EQ(store_test::ReadFile(path), "[3] tvwall: <a>" + eol + "[4] : b" + eol);

    xlog_set_sink(nullptr, nullptr);
    ::testing::internal::CaptureStderr();
    xlog_write(3, "client", "c %d", 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[3] client: c 1\n");
    EXPECT_EQ(log.Lines(), (Lines{{3, "m", "still to the sink"}}));
}

// The environment is read once per process, so each row of the table in
// tests/CMakeLists.txt runs this case in a program of its own, with XLOG_LEVEL /
// XLOG_DEST and the answers expected.
TEST(XlogEnvironment, ThresholdAndDestinationComeFromTheEnvironment) {
    const char* threshold = std::getenv("XLOG_TEST_THRESHOLD");
    const char* enabled = std::getenv("XLOG_TEST_ENABLED_AT_INT_MAX");
    if (threshold == nullptr || enabled == nullptr)
        GTEST_SKIP() << "runs only in a row of the environment table";
    EXPECT_EQ(xlog_threshold(), std::atoi(threshold));
    EXPECT_EQ(xlog_enabled(INT_MAX), std::atoi(enabled));
}

}  // namespace
