// Number and column formatting for the text report and the progress line.
#include "text_format.h"

#include <cmath>
#include <cstdio>

namespace {

// Display columns of one code point: 0 for combining marks, 2 for East Asian wide and
// full-width forms, else 1. (wcwidth would need a UTF-8 locale, and this tool keeps
// the C locale, which is the code page the module converts from.)
int Columns(uint32_t c) {
    if (c >= 0x300 && c <= 0x36F) return 0;
    if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
        (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
        (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
        (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD))
        return 2;
    return 1;
}

std::size_t DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80    ? 1
                           : lead >= 0xF0 ? 4
                           : lead >= 0xE0 ? 3
                           : lead >= 0xC0 ? 2
                                          : 1;
        uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < text.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        width += static_cast<std::size_t>(Columns(c));
        i += static_cast<std::size_t>(length);
    }
    return width;
}

}  // namespace

std::string Thousands(uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

std::string Thousands(int64_t value) {
    if (value >= 0) return Thousands(static_cast<uint64_t>(value));
    return "-" + Thousands(static_cast<uint64_t>(0) - static_cast<uint64_t>(value));
}

std::string Duration(double seconds) {
    char text[32];
    if (seconds < 1e-3)
        std::snprintf(text, sizeof text, "%.0f us", seconds * 1e6);
    else if (seconds < 1)
        std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
    else if (seconds < 120)
        std::snprintf(text, sizeof text, "%.2f s", seconds);
    else
        std::snprintf(text, sizeof text, "%d min %02d s", static_cast<int>(seconds) / 60,
                      static_cast<int>(seconds) % 60);
    return text;
}

std::string Bytes(uint64_t bytes) {
    char text[32];
    const double value = static_cast<double>(bytes);
    if (bytes < 1024)
        std::snprintf(text, sizeof text, "%llu B", static_cast<unsigned long long>(bytes));
    else if (bytes < 1024ull * 1024)
        std::snprintf(text, sizeof text, "%.1f KB", value / 1024);
    else if (bytes < 1024ull * 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f MB", value / (1024.0 * 1024));
    else
        std::snprintf(text, sizeof text, "%.2f GB", value / (1024.0 * 1024 * 1024));
    return text;
}

std::string Rate(uint64_t count, double seconds) {
    if (count == 0 || seconds <= 0) return "-";
    return Thousands(static_cast<uint64_t>(std::llround(static_cast<double>(count) / seconds)));
}

std::string PadRight(const std::string& text, std::size_t width) {
    const std::size_t used = DisplayWidth(text);
    return used >= width ? text : text + std::string(width - used, ' ');
}

std::string PadLeft(const std::string& text, std::size_t width) {
    const std::size_t used = DisplayWidth(text);
    return used >= width ? text : std::string(width - used, ' ') + text;
}
