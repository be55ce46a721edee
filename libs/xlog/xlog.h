// xlog: the logging library the module writes through. Lines are formatted
// printf-style and handed to one destination with a level threshold, both chosen by
// the host: a callback sink, standard error, a file, or nothing. Built as its own
// shared library so that a host loading the module can choose before the module logs.
//
// Default, unless the host calls the functions below: XLOG_LEVEL and XLOG_DEST from
// the environment, read once at the first call. XLOG_LEVEL is the lowest level taken
// (default 3, so the per-record lines of level 2 are dropped unformatted); XLOG_DEST is
// "stderr" (default), "none", or "file:PATH" (lines appended to PATH; standard error if
// it cannot be opened).
#ifndef VELLUM_LIBS_XLOG_XLOG_H
#define VELLUM_LIBS_XLOG_XLOG_H

#if defined(_WIN32)
#define XLOG_API __declspec(dllexport)
#else
#define XLOG_API __attribute__((visibility("default")))
#endif
#if defined(__GNUC__)
#define XLOG_PRINTF_FORMAT __attribute__((format(printf, 3, 4)))
#else
#define XLOG_PRINTF_FORMAT
#endif

extern "C" {

// Receives one formatted line (no trailing newline) with its level and module name.
typedef void (*xlog_sink)(int level, const char* module, const char* line, void* context);

// Sends lines to `sink` with `context`; a null sink sends them to standard error. The
// threshold is left as it is. Safe to call from any thread.
XLOG_API void xlog_set_sink(xlog_sink sink, void* context);

// Appends lines to the file at `path` ("[level] module: line"). Returns 1 when the
// file is open; 0 leaves the destination as it was.
XLOG_API int xlog_set_file(const char* path);

// Drops every line; xlog_enabled answers 0 until another destination is chosen.
XLOG_API void xlog_set_nothing(void);

// Lines of a level below `level` are dropped before they are formatted.
XLOG_API void xlog_set_threshold(int level);
XLOG_API int xlog_threshold(void);

// 1 when a line of `level` would reach the destination. Cheap: callers ask before
// gathering the arguments of a line.
XLOG_API int xlog_enabled(int level);

// Formats and writes one line if its level is taken. Lines longer than 4095 bytes are
// cut.
XLOG_API void xlog_write(int level, const char* module, const char* format, ...)
    XLOG_PRINTF_FORMAT;
}

#endif  // VELLUM_LIBS_XLOG_XLOG_H
