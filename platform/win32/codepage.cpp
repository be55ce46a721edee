// Conversion between the active code page and UTF-8 through UTF-16, as the Win32
// converters do it: what does not convert is replaced (U+FFFD towards UTF-8, the code
// page's default character '?' towards it, never a look-alike "best fit").
#include <windows.h>

#include <utility>

#include "platform/fault/FaultPoint.h"
#include "platform/platform.h"

namespace vellum::platform {

namespace {

// `text` (NUL-terminated) from code page `from` to code page `to`. False only when a
// converter refuses outright (an unknown code page).
bool Convert(const char* text, UINT from, UINT to, std::string& out) {
    const int wideLength = MultiByteToWideChar(from, 0, text, -1, nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(from, 0, text, -1, &wide[0], wideLength);
    // Best-fit mapping and a default character are only allowed towards a code page.
    const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = WideCharToMultiByte(to, flags, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    std::string converted(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(to, flags, wide.c_str(), -1, &converted[0], length, nullptr, nullptr);
    converted.resize(static_cast<std::size_t>(length) - 1);  // the converted terminator
    out = std::move(converted);
    return true;
}

bool Transcode(const char* text, bool toUtf8, std::string& out) {
    out.clear();
    if (fault::CodePage().Hit(toUtf8 ? "HostToUtf8" : "Utf8ToHost")) return false;
    if (text == nullptr || text[0] == '\0') return true;
    return toUtf8 ? Convert(text, CP_ACP, CP_UTF8, out) : Convert(text, CP_UTF8, CP_ACP, out);
}

}  // namespace

bool HostToUtf8(const char* text, std::string& out) { return Transcode(text, true, out); }

bool Utf8ToHost(const char* text, std::string& out) { return Transcode(text, false, out); }

}  // namespace vellum::platform
