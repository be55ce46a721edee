// Progress of long phases on standard error, only when it is a terminal: a phase that
// has run for a second shows a line that updates in place, and ends with its total.
#ifndef VELLUM_TOOLS_HOST_PROGRESS_H
#define VELLUM_TOOLS_HOST_PROGRESS_H

#include <cstdint>
#include <string>

#include "measure.h"

// Used from one thread; takes no lock.
class Progress {
public:
    // Shows nothing unless `enabled` (normally: standard error is a terminal).
    explicit Progress(bool enabled) : m_enabled(enabled) {}
    ~Progress() { End(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Starts a phase of `total` steps (0 when unknown), ending any phase still open.
    void Begin(const std::string& label, uint64_t total);
    void Advance(uint64_t steps = 1) {
        m_done += steps;
        if (m_enabled && m_done >= m_nextLook) Look();
    }
    void End();

private:
    void Look();

    const bool m_enabled;
    bool m_open = false;
    bool m_shown = false;
    std::string m_label;
    uint64_t m_total = 0;
    uint64_t m_done = 0;
    uint64_t m_nextLook = 0;  // reading the clock every step would cost more than small calls
    Clock::time_point m_start;
    Clock::time_point m_lastShown;
};

#endif  // VELLUM_TOOLS_HOST_PROGRESS_H
