// xlog: the threshold and destination, and the formatted write.
#include "libs/xlog/xlog.h"

#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

enum class Destination { kStderr, kSink, kFile, kNothing };

constexpr int kDefaultThreshold = 3;

// The destination with its sink, context or file changes together under the mutex, so
// a line never reaches a sink with another sink's context. The threshold alone is an
// atomic: xlog_enabled reads it without the mutex, and a line racing a change of
// threshold may be taken or dropped.
std::mutex g_mutex;
Destination g_destination = Destination::kStderr;
xlog_sink g_sink = nullptr;
void* g_sinkContext = nullptr;
std::FILE* g_file = nullptr;
std::atomic<int> g_threshold{kDefaultThreshold};
std::atomic<bool> g_dropAll{false};

void CloseFileLocked() {
    if (g_file != nullptr) std::fclose(g_file);
    g_file = nullptr;
}

bool OpenFileLocked(const char* path) {
    std::FILE* file = path != nullptr ? std::fopen(path, "a") : nullptr;
    if (file == nullptr) return false;
    CloseFileLocked();
    g_file = file;
    g_destination = Destination::kFile;
    g_dropAll = false;
    return true;
}

// The environment's choice, applied once before the first call does anything; any
// later host call overrides it.
void ApplyEnvironmentOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (const char* level = std::getenv("XLOG_LEVEL")) {
            char* end = nullptr;
            const long value = std::strtol(level, &end, 10);
            if (end != level && value >= INT_MIN && value <= INT_MAX)
                g_threshold = static_cast<int>(value);
        }
        const char* destination = std::getenv("XLOG_DEST");
        if (destination == nullptr) return;
        std::lock_guard<std::mutex> guard(g_mutex);
        if (std::strcmp(destination, "none") == 0) {
            g_destination = Destination::kNothing;
            g_dropAll = true;
        } else if (std::strncmp(destination, "file:", 5) == 0) {
            OpenFileLocked(destination + 5);
        }
    });
}

void WriteTo(std::FILE* stream, int level, const char* module, const char* line) {
    std::fprintf(stream, "[%d] %s: %s\n", level, module ? module : "", line);
}

}  // namespace

extern "C" {

void xlog_set_sink(xlog_sink sink, void* context) {
    ApplyEnvironmentOnce();
    std::lock_guard<std::mutex> guard(g_mutex);
    CloseFileLocked();
    g_destination = sink != nullptr ? Destination::kSink : Destination::kStderr;
    g_sink = sink;
    g_sinkContext = context;
    g_dropAll = false;
}

int xlog_set_file(const char* path) {
    ApplyEnvironmentOnce();
    std::lock_guard<std::mutex> guard(g_mutex);
    return OpenFileLocked(path) ? 1 : 0;
}

void xlog_set_nothing(void) {
    ApplyEnvironmentOnce();
    std::lock_guard<std::mutex> guard(g_mutex);
    CloseFileLocked();
    g_destination = Destination::kNothing;
    g_dropAll = true;
}

void xlog_set_threshold(int level) {
    ApplyEnvironmentOnce();
    g_threshold = level;
}

int xlog_threshold(void) {
    ApplyEnvironmentOnce();
    return g_threshold;
}

int xlog_enabled(int level) {
    ApplyEnvironmentOnce();
    return !g_dropAll && level >= g_threshold ? 1 : 0;
}

void xlog_write(int level, const char* module, const char* format, ...) {
    if (!xlog_enabled(level)) return;
    char line[4096] = "";
    if (format != nullptr) {  // a null format writes an empty line
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
    }

    std::lock_guard<std::mutex> guard(g_mutex);
    switch (g_destination) {
        case Destination::kSink: g_sink(level, module, line, g_sinkContext); break;
        case Destination::kFile:
            WriteTo(g_file, level, module, line);
            std::fflush(g_file);
            break;
        case Destination::kStderr: WriteTo(stderr, level, module, line); break;
        case Destination::kNothing: break;
    }
}

}  // extern "C"
