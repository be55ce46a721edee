// The instance lock over std::recursive_mutex, built in the lock's own storage.
#include <mutex>
#include <new>

#include "platform/platform.h"

namespace vellum::platform {

namespace {
using NativeLock = std::recursive_mutex;
NativeLock& Held(void* storage) { return *std::launder(static_cast<NativeLock*>(storage)); }
}  // namespace

RecursiveLock::RecursiveLock() {
    static_assert(sizeof(NativeLock) <= sizeof m_native && alignof(NativeLock) <= 8,
                  "the lock fits its storage");
    new (Native()) NativeLock();
}

RecursiveLock::~RecursiveLock() { Held(Native()).~NativeLock(); }

void RecursiveLock::Lock() { Held(Native()).lock(); }

void RecursiveLock::Unlock() { Held(Native()).unlock(); }

}  // namespace vellum::platform
