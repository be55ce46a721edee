// xlog: the threshold decides what is taken, the destination where it goes.
#include "libs/xlog/xlog.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/unit/store_test_support.h"

namespace {

std::vector<std::string> g_received;
void Keep(int level, const char* module, const char* line, void*) {
    g_received.push_back(std::to_string(level) + " " + module + " " + line);
}

class Xlog : public ::testing::Test {
protected:
    void SetUp() override {
        g_received.clear();
        xlog_set_sink(&Keep, nullptr);
        xlog_set_threshold(3);
    }
    void TearDown() override {
        xlog_set_sink(nullptr, nullptr);
        xlog_set_threshold(3);
    }
};

TEST_F(Xlog, LinesBelowTheThresholdAreNeitherTakenNorWritten) {
    const std::vector<std::string> both = {"2 m two 2", "3 m three 3"};
    struct Case {
        int threshold;
        int level2Enabled;
        int level3Enabled;
        std::vector<std::string> received;
    };
    for (const Case& c : {Case{3, 0, 1, {both[1]}}, Case{2, 1, 1, both}, Case{4, 0, 0, {}}}) {
        SCOPED_TRACE(c.threshold);
        g_received.clear();
        xlog_set_threshold(c.threshold);
        EXPECT_EQ(xlog_threshold(), c.threshold);
        EXPECT_EQ(xlog_enabled(2), c.level2Enabled);
        EXPECT_EQ(xlog_enabled(3), c.level3Enabled);
        xlog_write(2, "m", "two %d", 2);
        xlog_write(3, "m", "three %s", "3");
        EXPECT_EQ(g_received, c.received);
    }
}

TEST_F(Xlog, NothingTakesNoLineUntilASinkIsChosenAndALongLineIsCutAt4095Bytes) {
    xlog_set_nothing();
    EXPECT_EQ(xlog_enabled(100), 0);
    xlog_write(100, "m", "dropped");
    xlog_set_sink(&Keep, nullptr);
    const std::string longText(5000, 'x');
    xlog_write(3, "m", "%s", longText.c_str());
    EXPECT_EQ(g_received, std::vector<std::string>{"3 m " + longText.substr(0, 4095)});
}

TEST_F(Xlog, FileAndStandardErrorGetLevelModuleAndLine) {
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
    EXPECT_EQ(g_received, (std::vector<std::string>{"3 m still to the sink"}));
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
