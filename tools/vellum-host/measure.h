// What the session measures and checks: per operation its calls, the records it moved
// and the time spent inside the module; per check its comparisons and failures.
#ifndef VELLUM_TOOLS_HOST_MEASURE_H
#define VELLUM_TOOLS_HOST_MEASURE_H

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <type_traits>
#include <utility>

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct OpStats {
    std::string name;
    uint64_t calls = 0;
    uint64_t records = 0;  // records deposited, or handed back by the module
    double seconds = 0;    // inside the module only
};

// Runs `call` as one call of `op`, adding its time; returns what `call` returns.
template <class Call>
auto Timed(OpStats& op, Call&& call) {
    const Clock::time_point start = Clock::now();
    if constexpr (std::is_void_v<decltype(call())>) {
        call();
        op.seconds += SecondsSince(start);
        ++op.calls;
    } else {
        auto result = call();
        op.seconds += SecondsSince(start);
        ++op.calls;
        return result;
    }
}

struct CheckStats {
    std::string name;
    uint64_t compared = 0;
    uint64_t failed = 0;
    std::string firstFailure;

    // Counts one comparison; on the first failure keeps describe()'s account of it.
    template <class Describe>
    bool Expect(bool ok, Describe&& describe) {
        ++compared;
        if (!ok && failed++ == 0) firstFailure = describe();
        return ok;
    }
};

// Named entries in the order of first use. References stay valid as entries are added.
template <class Entry>
class NamedTable {
public:
    Entry& operator[](const std::string& name) {
        for (Entry& entry : m_entries)
            if (entry.name == name) return entry;
        m_entries.emplace_back();
        m_entries.back().name = name;
        return m_entries.back();
    }
    const std::deque<Entry>& All() const { return m_entries; }

private:
    std::deque<Entry> m_entries;
};

using OpTable = NamedTable<OpStats>;
using CheckTable = NamedTable<CheckStats>;

#endif  // VELLUM_TOOLS_HOST_MEASURE_H
