// Integers from INI files, read with libinih the way the Win32 profile reader does.
#include <ini.h>
#include <strings.h>

#include <cctype>
#include <climits>
#include <cstring>

#include "platform/fault/FaultPoint.h"
#include "platform/platform.h"

namespace vellum::platform {

namespace {

struct IniLookup {
    const char* section;
    const char* key;
    bool found = false;
    std::string value;  // the first matching entry's value
};

int OnIniEntry(void* user, const char* section, const char* name, const char* value) {
    auto* lookup = static_cast<IniLookup*>(user);
    if (!lookup->found && strcasecmp(section, lookup->section) == 0 &&
        strcasecmp(name, lookup->key) == 0) {
        lookup->found = true;
        lookup->value = value != nullptr ? value : "";
    }
    return 1;  // keep going: a later syntax error must not hide an earlier match
}

// The leading signed decimal of `text` after blanks, as the profile reader converts
// it: digits stop at the first non-digit, no digits give 0, the value wraps to 32 bits.
int LeadingDecimal(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    unsigned int magnitude = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
        magnitude = magnitude * 10u + static_cast<unsigned int>(text[at] - '0');
    if (negative) magnitude = 0u - magnitude;
    // Two's-complement reinterpretation, as the unsigned profile result is used.
    return magnitude <= static_cast<unsigned int>(INT_MAX) ? static_cast<int>(magnitude)
                                                           : -static_cast<int>(~magnitude) - 1;
}

// The profile reader drops one pair of matching quotes around a value.
std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

int ReadIniInt(const std::string& path, const char* section, const char* key, int defaultValue) {
    if (fault::IniRead().Hit("ReadIniInt")) return defaultValue;
    if (section == nullptr || key == nullptr) return defaultValue;
    IniLookup lookup{section, key, false, {}};
    // A file that cannot be opened reports -1: nothing found, the default stands.
    if (ini_parse(path.c_str(), OnIniEntry, &lookup) == -1 || !lookup.found) return defaultValue;
    std::string value = Unquoted(lookup.value);
    // An empty value reads as missing, as with the profile reader; any other value
    // without digits is 0.
    if (value.empty()) return defaultValue;
    return LeadingDecimal(value);
}

}  // namespace vellum::platform
