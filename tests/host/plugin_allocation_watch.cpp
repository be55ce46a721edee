// This program's global operator new and delete, which the loaded module binds to too.
// Plain malloc/free underneath, so the sanitizers still check for leaks and misuse.
#include <atomic>
#include <cstdlib>
#include <new>

#include "plugin_test_support.h"

namespace {

// Lock-free, and never allocates, since it runs inside operator delete.
std::atomic<const void*> g_watched[plugin_test::kWatchCapacity];
std::atomic<int> g_releases[plugin_test::kWatchCapacity];
std::atomic<bool> g_failNextNothrow{false};

void* Allocate(std::size_t size) { return std::malloc(size != 0 ? size : 1); }

void Release(void* pointer) {
    if (pointer == nullptr) return;
    for (std::size_t i = 0; i < plugin_test::kWatchCapacity; ++i)
        if (g_watched[i].load() == pointer) g_releases[i].fetch_add(1);
    std::free(pointer);
}

}  // namespace

namespace plugin_test {

void WatchReleases(const std::vector<const void*>& records) {
    for (std::size_t i = 0; i < kWatchCapacity; ++i) {
        g_watched[i].store(i < records.size() ? records[i] : nullptr);
        g_releases[i].store(0);
    }
}

int Releases(std::size_t index) { return g_releases[index].load(); }

void FailNextNothrowAllocation() { g_failNextNothrow.store(true); }
bool NothrowFailurePending() { return g_failNextNothrow.load(); }

}  // namespace plugin_test

void* operator new(std::size_t size) {
    if (void* pointer = Allocate(size)) return pointer;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (g_failNextNothrow.exchange(false)) return nullptr;
    return Allocate(size);
}

void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
