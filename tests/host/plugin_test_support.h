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

#include "tests/TempDir.h"

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

using vellum_test::TempDir;

}  // namespace plugin_test

#endif  // VELLUM_TESTS_HOST_PLUGIN_TEST_SUPPORT_H
