// main() of the test programs in the Windows build. GoogleTest's own printers hand
// every failure and skip to OutputDebugStringA, which raises and catches a structured
// exception; where Wine runs under qemu's user-mode emulator that exception kills the
// process. This printer writes the same summary to standard output alone.
#include <gtest/gtest.h>

#include <cstdio>

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
        std::fflush(stdout);
    }

    void OnTestProgramEnd(const testing::UnitTest& unit) override {
        std::printf("[==========] %d tests from %d test suites ran.\n", unit.test_to_run_count(),
                    unit.test_suite_to_run_count());
        std::printf("[  PASSED  ] %d tests.\n", unit.successful_test_count());
        std::printf("[  FAILED  ] %d tests.\n", unit.failed_test_count());
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new StdoutPrinter);
    return RUN_ALL_TESTS();
}
