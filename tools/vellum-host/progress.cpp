// Progress: an in-place line on the terminal for phases longer than a second.
#include "progress.h"

#include <cstdio>

#include "text_format.h"

namespace {

constexpr double kQuietSeconds = 1.0;  // shorter phases show nothing
constexpr double kRefreshSeconds = 0.1;
constexpr uint64_t kStepsPerLook = 64;

}  // namespace

void Progress::Begin(const std::string& label, uint64_t total) {
    End();
    m_open = true;
    m_shown = false;
    m_label = label;
    m_total = total;
    m_done = 0;
    m_nextLook = kStepsPerLook;
    m_start = Clock::now();
}

void Progress::Look() {
    m_nextLook = m_done + kStepsPerLook;
    if (!m_open) return;
    const Clock::time_point now = Clock::now();
    if (std::chrono::duration<double>(now - m_start).count() < kQuietSeconds) return;
    if (m_shown && std::chrono::duration<double>(now - m_lastShown).count() < kRefreshSeconds)
        return;
    m_shown = true;
    m_lastShown = now;
    if (m_total > 0)
        std::fprintf(
            stderr, "\r\033[K%s: %s of %s (%d%%)", m_label.c_str(), Thousands(m_done).c_str(),
            Thousands(m_total).c_str(),
            static_cast<int>(100.0 * static_cast<double>(m_done) / static_cast<double>(m_total)));
    else
        std::fprintf(stderr, "\r\033[K%s: %s", m_label.c_str(), Thousands(m_done).c_str());
    std::fflush(stderr);
}

void Progress::End() {
    if (!m_open) return;
    m_open = false;
    if (!m_shown) return;
    std::fprintf(stderr, "\r\033[K%s: %s in %s\n", m_label.c_str(), Thousands(m_done).c_str(),
                 Duration(SecondsSince(m_start)).c_str());
    std::fflush(stderr);
}
