// Host code page <-> UTF-8 over the platform seam's converters.
#include "channels/TextConversion.h"

#include <cstring>
#include <utility>
#include <vector>

#include "platform/platform.h"

std::string AnsiToUtf8(const char* text) {
    std::string converted;
    if (text == nullptr || !vellum::platform::HostToUtf8(text, converted)) return std::string();
    return converted;
}

std::string Utf8ToAnsi(const char* text) {
    std::string converted;
    if (text == nullptr || !vellum::platform::Utf8ToHost(text, converted)) return std::string();
    return converted;
}

// Cutting the UTF-8 input before a character's first byte cuts its conversion after a
// whole host character, and a longer such prefix never converts shorter; so the
// longest prefix whose conversion fits is found by bisection over those cut points.
// A name that fits, the usual case, is converted once.
std::string Utf8ToAnsiWithin(const char* text, std::size_t maxBytes) {
    std::string converted = Utf8ToAnsi(text);
    if (converted.size() <= maxBytes) return converted;
    const std::size_t length = std::strlen(text);
    std::vector<std::size_t> cuts = {0};
    for (std::size_t at = 1; at < length; ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) cuts.push_back(at);
    std::size_t fits = 0;               // cuts[fits] converts within maxBytes
    std::size_t tooLong = cuts.size();  // the whole text (index past the cuts) does not
    std::string best;
    while (tooLong - fits > 1) {
        const std::size_t middle = fits + (tooLong - fits) / 2;
        std::string candidate = Utf8ToAnsi(std::string(text, cuts[middle]).c_str());
        if (candidate.size() <= maxBytes) {
            fits = middle;
            best = std::move(candidate);
        } else {
            tooLong = middle;
        }
    }
    return best;
}
