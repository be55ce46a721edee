// Helpers for the storage, cipher and platform tests: a private scratch directory
// and small file utilities.
#ifndef VELLUM_TESTS_UNIT_STORAGE_TEST_SUPPORT_H
#define VELLUM_TESTS_UNIT_STORAGE_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/fault/FaultPoint.h"
#include "tests/TempDir.h"

namespace storage_test {

using vellum_test::TempDir;

using vellum_test::Exists;

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Fixture base: every fault point is disarmed after each test.
class FaultSafeTest : public ::testing::Test {
protected:
    void TearDown() override { vellum::fault::DisarmAll(); }
};

}  // namespace storage_test

#endif  // VELLUM_TESTS_UNIT_STORAGE_TEST_SUPPORT_H
