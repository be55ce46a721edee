// A fresh directory under the build's test scratch area (VELLUM_TEST_TMP), removed
// with its contents at the end of its scope. Shared by the unit, host-level and
// reliability tests.
#ifndef VELLUM_TESTS_TEMPDIR_H
#define VELLUM_TESTS_TEMPDIR_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace vellum_test {

class TempDir {
public:
    TempDir() {
        std::string pattern = std::string(VELLUM_TEST_TMP) + "test.XXXXXX";
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

    const std::string& Path() const { return m_path; }  // ends in '/'
    std::string File(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

}  // namespace vellum_test

#endif  // VELLUM_TESTS_TEMPDIR_H
