// xlog: formats a line and hands it to the installed sink (standard error by default).
#include "libs/xlog/xlog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

// The sink and its context change together; readers take both under the mutex so a
// line never reaches a sink with another sink's context.
std::mutex g_sinkMutex;
xlog_sink g_sink = nullptr;
void* g_sinkContext = nullptr;

void WriteToStderr(int level, const char* module, const char* line) {
    std::fprintf(stderr, "[%d] %s: %s\n", level, module ? module : "", line);
}

}  // namespace

extern "C" {

void xlog_set_sink(xlog_sink sink, void* context) {
    std::lock_guard<std::mutex> guard(g_sinkMutex);
    g_sink = sink;
    g_sinkContext = context;
}

void xlog_write(int level, const char* module, const char* format, ...) {
    char line[4096] = "";
    if (format != nullptr) {  // a null format writes an empty line
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
    }

    std::lock_guard<std::mutex> guard(g_sinkMutex);
    if (g_sink != nullptr)
        g_sink(level, module, line, g_sinkContext);
    else
        WriteToStderr(level, module, line);
}

}  // extern "C"
