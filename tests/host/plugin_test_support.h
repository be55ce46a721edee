// Helpers of the plug-in shell tests: a private scratch directory, and a watch on the
// global operator new and delete, which this test program replaces so that it can
// see the module release records and can make a non-throwing allocation fail.
#ifndef VELLUM_TESTS_HOST_PLUGIN_TEST_SUPPORT_H
#define VELLUM_TESTS_HOST_PLUGIN_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace plugin_test {

// Counts how often each watched address is released through the global operator
// delete, in this program or in the loaded module. Up to kCapacity addresses at once.
class ReleaseWatch {
public:
    static constexpr std::size_t kCapacity = 256;

    ReleaseWatch();   // starts with nothing watched
    ~ReleaseWatch();  // stops watching
    ReleaseWatch(const ReleaseWatch&) = delete;
    ReleaseWatch& operator=(const ReleaseWatch&) = delete;

    // Starts counting releases of `record`. False when the watch is full.
    bool Add(const void* record);
    // How often `record` was released since Add; -1 when it is not watched.
    int Releases(const void* record) const;
};

// The next non-throwing global operator new in this process returns null.
void FailNextNothrowAllocation();
// Whether that failure is still pending (no non-throwing allocation happened since).
bool NothrowFailurePending();

// A fresh directory under the build's test scratch area, removed with its contents.
class TempDir {
public:
    TempDir() {
        std::string pattern = std::string(VELLUM_TEST_TMP) + "plugin.XXXXXX";
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

private:
    std::string m_path;
};

}  // namespace plugin_test

#endif  // VELLUM_TESTS_HOST_PLUGIN_TEST_SUPPORT_H
