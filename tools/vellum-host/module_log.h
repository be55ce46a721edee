// Receives the module's log lines through xlog's sink while installed. A deposit of a
// million cameras writes a million lines, so lines are counted, not kept: per module
// and level a tally with its first line, plus the first few lines of level 3 or above
// (the cell-tree repair), which are worth reading.
#ifndef VELLUM_TOOLS_HOST_MODULE_LOG_H
#define VELLUM_TOOLS_HOST_MODULE_LOG_H

#include <cstdint>
#include <string>
#include <vector>

class ModuleLog {
public:
    struct Tally {
        std::string module;
        int level = 0;
        uint64_t lines = 0;
        std::string first;
    };
    static constexpr std::size_t kNotableKept = 10;

    // Installs the sink; the destructor restores xlog's default (standard error). One
    // at a time. The module logs on the caller's thread only, so no lock is needed.
    ModuleLog();
    ~ModuleLog();
    ModuleLog(const ModuleLog&) = delete;
    ModuleLog& operator=(const ModuleLog&) = delete;

    uint64_t Lines() const;
    const std::vector<Tally>& Tallies() const { return m_tallies; }  // in order of first line
    const std::vector<std::string>& Notable() const { return m_notable; }

private:
    static void Receive(int level, const char* module, const char* line, void* context);

    std::vector<Tally> m_tallies;
    std::vector<std::string> m_notable;
};

#endif  // VELLUM_TOOLS_HOST_MODULE_LOG_H
