// Conversions between the host's code page and UTF-8, used on every channel name
// written to or read from the scratch database.
#ifndef VELLUM_CHANNELS_TEXTCONVERSION_H
#define VELLUM_CHANNELS_TEXTCONVERSION_H

#include <cstddef>
#include <string>

#include "libs/records/RecordText.h"

// `text` (NUL-terminated, host code page) as UTF-8. Null, or a conversion that is
// unavailable, gives the empty string. Characters that do not convert are replaced.
std::string AnsiToUtf8(const char* text);

// `text` (NUL-terminated UTF-8) in the host's code page; the same rules.
std::string Utf8ToAnsi(const char* text);

// Utf8ToAnsi(text) cut to at most `maxBytes` bytes at a character boundary of the host
// code page, so a fixed-width field never ends inside a multi-byte character.
std::string Utf8ToAnsiWithin(const char* text, std::size_t maxBytes);

// Copies the UTF-8 `text` into a host record's name field, in the host code page and
// cut as Utf8ToAnsiWithin cuts it to the field's width less its terminator.
template <std::size_t N>
void CopyNameToField(char (&field)[N], const std::string& text) {
    CopyToField(field, Utf8ToAnsiWithin(text.c_str(), N - 1));
}

#endif  // VELLUM_CHANNELS_TEXTCONVERSION_H
