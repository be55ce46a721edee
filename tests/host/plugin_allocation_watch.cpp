// Replaces the global operator new and delete of this test program. The loaded
// module binds to these too, so the tests see every record the module releases and
// can make CreateVellum's allocation fail. Allocation itself is plain malloc/free,
// which the sanitizers still check for leaks and misuse.
#include <atomic>
#include <cstdlib>
#include <new>

#include "plugin_test_support.h"

namespace {

using plugin_test::ReleaseWatch;

// Slots hold watched addresses; a release of one bumps its count. Lock-free, and
// never allocates, since it runs inside operator delete.
std::atomic<const void*> g_watched[ReleaseWatch::kCapacity];
std::atomic<int> g_releases[ReleaseWatch::kCapacity];
std::atomic<std::size_t> g_watchedCount{0};
std::atomic<bool> g_failNextNothrow{false};

void NoteRelease(const void* pointer) {
    const std::size_t count = g_watchedCount.load(std::memory_order_acquire);
    for (std::size_t i = 0; i < count; ++i) {
        if (g_watched[i].load(std::memory_order_relaxed) == pointer) {
            g_releases[i].fetch_add(1);
            return;
        }
    }
}

void* Allocate(std::size_t size) { return std::malloc(size != 0 ? size : 1); }

void Release(void* pointer) {
    if (pointer == nullptr) return;
    NoteRelease(pointer);
    std::free(pointer);
}

}  // namespace

namespace plugin_test {

ReleaseWatch::ReleaseWatch() { g_watchedCount.store(0); }
ReleaseWatch::~ReleaseWatch() { g_watchedCount.store(0); }

bool ReleaseWatch::Add(const void* record) {
    const std::size_t index = g_watchedCount.load();
    if (index >= kCapacity) return false;
    g_watched[index].store(record);
    g_releases[index].store(0);
    g_watchedCount.store(index + 1, std::memory_order_release);
    return true;
}

int ReleaseWatch::Releases(const void* record) const {
    const std::size_t count = g_watchedCount.load();
    for (std::size_t i = 0; i < count; ++i)
        if (g_watched[i].load() == record) return g_releases[i].load();
    return -1;
}

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
