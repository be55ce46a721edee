// A fresh directory under VELLUM_TEST_TMP, removed with its contents at the end of its scope.
#ifndef VELLUM_TESTS_TEMPDIR_H
#define VELLUM_TESTS_TEMPDIR_H

#include <gtest/gtest.h>
#include <stdlib.h>
#if defined(_WIN32)
#include <process.h>
#endif

#include <filesystem>
#include <string>
#include <system_error>

namespace vellum_test {

class TempDir {
public:
    TempDir() {
        std::string pattern = std::string(VELLUM_TEST_TMP) + "test.XXXXXX";
#if defined(_WIN32)
        // No mkdtemp: the process id and a counter make the name, and a directory that
        // exists already (a stale one) is passed over, never reused.
        static int serial = 0;
        for (int tries = 0; tries < 100 && m_path.empty(); ++tries) {
            const std::string path = pattern.substr(0, pattern.size() - 6) +
                                     std::to_string(_getpid()) + "-" + std::to_string(++serial);
            std::error_code error;
            if (std::filesystem::create_directory(path, error)) m_path = path + '\\';
        }
#else
        std::string name = pattern;  // mkdtemp fills in the Xs
        if (mkdtemp(&name[0]) != nullptr) m_path = name + '/';
#endif
        EXPECT_FALSE(m_path.empty()) << "cannot create a directory from " << pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }  // ends in the separator
    std::string File(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// True for anything at `path`, a dangling symbolic link too.
inline bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace vellum_test

#endif  // VELLUM_TESTS_TEMPDIR_H
