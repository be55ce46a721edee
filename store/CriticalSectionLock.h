// The instance lock: a recursive critical section and its scoped guard. Recursive as
// the client expects of the instance lock, though no operation of the module itself
// takes it twice.
//
// Under Clang the lock is a capability and the guard a scoped capability, so that
// -Wthread-safety checks every access to what CDataOper marks VELLUM_GUARDED_BY.
#ifndef VELLUM_STORE_CRITICALSECTIONLOCK_H
#define VELLUM_STORE_CRITICALSECTIONLOCK_H

#include "platform/platform.h"

#if defined(__clang__)
#define VELLUM_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define VELLUM_THREAD_ATTRIBUTE(x)
#endif
#define VELLUM_CAPABILITY VELLUM_THREAD_ATTRIBUTE(capability("mutex"))
#define VELLUM_SCOPED_CAPABILITY VELLUM_THREAD_ATTRIBUTE(scoped_lockable)
#define VELLUM_GUARDED_BY(lock) VELLUM_THREAD_ATTRIBUTE(guarded_by(lock))
#define VELLUM_REQUIRES(lock) VELLUM_THREAD_ATTRIBUTE(requires_capability(lock))
#define VELLUM_ACQUIRE(...) VELLUM_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define VELLUM_RELEASE(...) VELLUM_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))

class VELLUM_CAPABILITY CriticalSectionLock {
public:
    CriticalSectionLock() = default;
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

    void Lock() VELLUM_ACQUIRE() { m_lock.Lock(); }
    void Unlock() VELLUM_RELEASE() { m_lock.Unlock(); }

private:
    vellum::platform::RecursiveLock m_lock;  // a Win32 critical section on Windows
};

// Holds the lock from construction to destruction.
class VELLUM_SCOPED_CAPABILITY StoreLock {
public:
    explicit StoreLock(CriticalSectionLock* lock) VELLUM_ACQUIRE(lock) : m_lock(*lock) {
        m_lock.Lock();
    }
    ~StoreLock() VELLUM_RELEASE() { m_lock.Unlock(); }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    CriticalSectionLock& m_lock;
};

#endif  // VELLUM_STORE_CRITICALSECTIONLOCK_H
