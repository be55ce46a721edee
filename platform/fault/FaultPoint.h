// Test-armed failure points. Each component that can fail (storage, object factory,
// platform calls) asks its FaultPoint before doing the real work. A point is inert
// until a test arms it, so the seams stay in the release build at the cost of one
// relaxed atomic load per call.
#ifndef VELLUM_PLATFORM_FAULT_FAULTPOINT_H
#define VELLUM_PLATFORM_FAULT_FAULTPOINT_H

#include <atomic>
#include <cstring>

namespace vellum::fault {

class FaultPoint {
public:
    // Let `skip` matching calls pass, then fail the next `failCount` of them
    // (failCount < 0: fail every later call). With `onlyOperation` set, only calls
    // naming that operation count and fail. The name must outlive the arming.
    // Arm while no other thread calls into the component.
    void Arm(long skip, long failCount = 1, const char* onlyOperation = nullptr) {
        m_only = onlyOperation;
        m_skip.store(skip);
        m_fail.store(failCount);
        m_calls.store(0);
        m_armed.store(true);
    }

    void Disarm() { m_armed.store(false); }

    // Counts calls while armed; tests arm with a huge skip to count a scenario's calls.
    long Calls() const { return m_calls.load(); }

    // True when this call must fail.
    bool Hit(const char* operation = "") {
        if (!m_armed.load(std::memory_order_relaxed)) return false;
        if (m_only != nullptr && std::strcmp(m_only, operation) != 0) return false;
        m_calls.fetch_add(1);
        if (m_skip.fetch_sub(1) > 0) return false;
        long left = m_fail.load();
        if (left == 0) return false;
        if (left > 0) m_fail.fetch_sub(1);
        return true;
    }

private:
    std::atomic<bool> m_armed{false};
    std::atomic<long> m_skip{0};
    std::atomic<long> m_fail{0};
    std::atomic<long> m_calls{0};
    const char* m_only = nullptr;
};

// One point per component. Defined in FaultPoint.cpp.
FaultPoint& Storage();     // every CDataStorage operation; the name is the operation's
FaultPoint& ObjFactory();  // every of_new* call
FaultPoint& Random();      // random key bytes
FaultPoint& ModulePath();  // the module's own path
FaultPoint& IniRead();     // INI integers (a failed read gives the default)
FaultPoint& CodePage();    // code-page conversion (a failed conversion gives "")

// Disarms every point; for test fixtures' tear-down.
void DisarmAll();

}  // namespace vellum::fault

#endif  // VELLUM_PLATFORM_FAULT_FAULTPOINT_H
