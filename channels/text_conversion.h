// Conversions between the host's code page and UTF-8, used on every channel name
// written to or read from the scratch database.
#ifndef VELLUM_CHANNELS_TEXT_CONVERSION_H
#define VELLUM_CHANNELS_TEXT_CONVERSION_H

#include <string>

// `text` (NUL-terminated, host code page) as UTF-8. Null, or a conversion that is
// unavailable, gives the empty string. Characters that do not convert are replaced.
std::string AnsiToUtf8(const char* text);

// `text` (NUL-terminated UTF-8) in the host's code page; the same rules.
std::string Utf8ToAnsi(const char* text);

#endif  // VELLUM_CHANNELS_TEXT_CONVERSION_H
