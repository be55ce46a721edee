// main() of the test programs in the Windows build. GoogleTest's own printers hand
// every failure and skip to OutputDebugStringA, which raises and catches a structured
// exception; where Wine runs under qemu's user-mode emulator that exception kills the
// process. This printer writes the same summary to standard output alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class StdoutPrinter : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& test) override {
        std::printf("[ RUN      ] %s.%s\n", test.test_suite_name(), test.name());
        std::fflush(stdout);
    }

    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (result.type() == testing::TestPartResult::kSuccess) return;
        std::printf("%s:%d: %s\n%s\n", result.file_name() ? result.file_name() : "?",
                    result.line_number(), result.skipped() ? "Skipped" : "Failure",
                    result.message());
        std::fflush(stdout);
    }

    void OnTestEnd(const testing::TestInfo& test) override {
        const testing::TestResult& result = *test.result();
        const char* mark = result.Failed() ? "[  FAILED  ]"
                           : result.Skipped() ? "[  SKIPPED ]"
                                              : "[       OK ]";
        std::printf("%s %s.%s (%lld ms)\n", mark, test.test_suite_name(), test.name(),
                    static_cast<long long>(result.elapsed_time()));
        if (result.Failed())
            m_failed.push_back(std::string(test.test_suite_name()) + "." + test.name());
        std::fflush(stdout);
    }

    void OnTestProgramEnd(const testing::UnitTest& unit) override {
        std::printf("[==========] %d tests from %d test suites ran.\n", unit.test_to_run_count(),
                    unit.test_suite_to_run_count());
        std::printf("[  PASSED  ] %d tests.\n", unit.successful_test_count());
        if (!m_failed.empty()) {
            std::printf("[  FAILED  ] %zu tests, listed below:\n", m_failed.size());
            for (const std::string& name : m_failed) std::printf("[  FAILED  ] %s\n", name.c_str());
        }
        std::fflush(stdout);
    }

    std::vector<std::string> m_failed;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new StdoutPrinter);
    return RUN_ALL_TESTS();
}
