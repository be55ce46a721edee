// The instance lock as a Win32 critical section, which is recursive: the owning
// thread may enter it again, and must leave it as often as it entered.
#include <windows.h>

#include "platform/platform.h"

namespace vellum::platform {

namespace {
CRITICAL_SECTION* Held(void* storage) { return static_cast<CRITICAL_SECTION*>(storage); }
}  // namespace

RecursiveLock::RecursiveLock() {
    static_assert(sizeof(CRITICAL_SECTION) <= sizeof m_native &&
                      alignof(CRITICAL_SECTION) <= 8,
                  "the critical section fits its storage");
    InitializeCriticalSection(Held(Native()));
}

RecursiveLock::~RecursiveLock() { DeleteCriticalSection(Held(Native())); }

void RecursiveLock::Lock() { EnterCriticalSection(Held(Native())); }

void RecursiveLock::Unlock() { LeaveCriticalSection(Held(Native())); }

}  // namespace vellum::platform
