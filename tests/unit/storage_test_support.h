// Helpers for the storage, cipher and platform tests: a private scratch directory
// and small file utilities.
#ifndef VELLUM_TESTS_UNIT_STORAGE_TEST_SUPPORT_H
#define VELLUM_TESTS_UNIT_STORAGE_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "libs/fault/FaultPoint.h"

namespace storage_test {

// A fresh directory under the build's test scratch area, removed with its contents.
class TempDir {
public:
    TempDir() {
        std::string pattern = std::string(VELLUM_TEST_TMP) + "libs.XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) != nullptr) m_path = std::string(buffer.data()) + '/';
        EXPECT_FALSE(m_path.empty()) << "cannot create a directory from " << pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;  // ends in '/'
};

inline bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

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
