// A watch on the global operator new and delete, which this test program replaces so that
// it sees the module release records and can make a non-throwing allocation fail.
#ifndef VELLUM_TESTS_HOST_PLUGIN_TEST_SUPPORT_H
#define VELLUM_TESTS_HOST_PLUGIN_TEST_SUPPORT_H

#include <cstddef>
#include <vector>

namespace plugin_test {

constexpr std::size_t kWatchCapacity = 16;

// Counts from now on how often each of `records` (at most kWatchCapacity) is released,
// in this program or in the loaded module; forgets earlier ones.
void WatchReleases(const std::vector<const void*>& records);
// How often the record at `index` of the last WatchReleases was released since.
int Releases(std::size_t index);

// The next non-throwing global operator new in this process returns null.
void FailNextNothrowAllocation();
// Whether that failure is still pending (no non-throwing allocation happened since).
bool NothrowFailurePending();

}  // namespace plugin_test

#endif  // VELLUM_TESTS_HOST_PLUGIN_TEST_SUPPORT_H
