// ModuleLog: the counting sink.
#include "module_log.h"

#include <cstring>

#include "libs/xlog/xlog.h"

ModuleLog::ModuleLog() { xlog_set_sink(&ModuleLog::Receive, this); }

ModuleLog::~ModuleLog() { xlog_set_sink(nullptr, nullptr); }

uint64_t ModuleLog::Lines() const {
    uint64_t lines = 0;
    for (const Tally& tally : m_tallies) lines += tally.lines;
    return lines;
}

void ModuleLog::Receive(int level, const char* module, const char* line, void* context) {
    auto* log = static_cast<ModuleLog*>(context);
    if (module == nullptr) module = "";
    if (line == nullptr) line = "";
    Tally* tally = nullptr;
    for (Tally& known : log->m_tallies)
        if (known.level == level && std::strcmp(known.module.c_str(), module) == 0) tally = &known;
    if (tally == nullptr) {
        log->m_tallies.push_back(Tally{module, level, 0, line});
        tally = &log->m_tallies.back();
    }
    ++tally->lines;
    if (level >= 3 && log->m_notable.size() < kNotableKept) log->m_notable.emplace_back(line);
}
