// The instance lock: a recursive critical section and its scoped guard. Recursive as
// the client expects of the instance lock, though no operation of the module itself
// takes it twice.
#ifndef VELLUM_STORE_CRITICALSECTIONLOCK_H
#define VELLUM_STORE_CRITICALSECTIONLOCK_H

#include "platform/platform.h"

class CriticalSectionLock {
public:
    CriticalSectionLock() = default;
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

    void Lock() { m_lock.Lock(); }
    void Unlock() { m_lock.Unlock(); }

private:
    vellum::platform::RecursiveLock m_lock;  // a Win32 critical section on Windows
};

// Holds `lock` (when non-null) from construction to Release or destruction.
class StoreLock {
public:
    explicit StoreLock(CriticalSectionLock* lock) : m_lock(lock) {
        if (m_lock != nullptr) m_lock->Lock();
    }
    ~StoreLock() { Release(); }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // Unlocks early; a second release does nothing.
    void Release() {
        if (m_lock != nullptr) m_lock->Unlock();
        m_lock = nullptr;
    }

private:
    CriticalSectionLock* m_lock;
};

#endif  // VELLUM_STORE_CRITICALSECTIONLOCK_H
