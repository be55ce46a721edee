// Host code page <-> UTF-8 over the platform seam's converters.
#include "channels/text_conversion.h"

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
