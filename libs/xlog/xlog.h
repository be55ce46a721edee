// xlog: the logging library the module writes through. Lines are formatted
// printf-style and handed to a sink: standard error by default, or a callback the
// host (or a test) installs. Built as its own shared library so that a host loading
// the module can install its sink before the module logs.
#ifndef VELLUM_LIBS_XLOG_XLOG_H
#define VELLUM_LIBS_XLOG_XLOG_H

#if defined(_WIN32)
#define XLOG_API __declspec(dllexport)
#else
#define XLOG_API __attribute__((visibility("default")))
#endif

extern "C" {

// Receives one formatted line (no trailing newline) with its level and module name.
typedef void (*xlog_sink)(int level, const char* module, const char* line, void* context);

// Installs `sink` (null restores standard error). Safe to call from any thread.
XLOG_API void xlog_set_sink(xlog_sink sink, void* context);

// Formats and writes one line. Lines longer than 4095 bytes are cut.
XLOG_API void xlog_write(int level, const char* module, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
}

#endif  // VELLUM_LIBS_XLOG_XLOG_H
