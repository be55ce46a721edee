// Number formats for people: 1,234,567; 12.3 ms; 45.6 MB; 123,456 /s.
#ifndef VELLUM_TOOLS_HOST_TEXT_FORMAT_H
#define VELLUM_TOOLS_HOST_TEXT_FORMAT_H

#include <cstdint>
#include <string>

std::string Thousands(int64_t value);
std::string Thousands(uint64_t value);
inline std::string Thousands(int value) { return Thousands(static_cast<int64_t>(value)); }

// Seconds as "850 us", "12.3 ms", "4.56 s" or "2 min 05 s".
std::string Duration(double seconds);

// Bytes as "512 B", "12.3 KB", "45.6 MB", "1.23 GB" (powers of 1024).
std::string Bytes(uint64_t bytes);

// A rate per second, rounded to whole units with thousands separators; "-" when the
// time is too short to say.
std::string Rate(uint64_t count, double seconds);

// Pads or leaves `text` to `width` display columns (UTF-8 aware, counting East Asian
// wide characters as two), on the right or on the left.
std::string PadRight(const std::string& text, std::size_t width);
std::string PadLeft(const std::string& text, std::size_t width);

#endif  // VELLUM_TOOLS_HOST_TEXT_FORMAT_H
