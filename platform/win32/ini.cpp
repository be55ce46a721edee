// Integers from INI files, read by the Win32 profile reader.
#include <windows.h>

#include "platform/fault/FaultPoint.h"
#include "platform/platform.h"

namespace vellum::platform {

int ReadIniInt(const std::string& path, const char* section, const char* key, int defaultValue) {
    if (fault::IniRead().Hit("ReadIniInt")) return defaultValue;
    if (section == nullptr || key == nullptr) return defaultValue;
    // The result is the profile reader's unsigned value, reinterpreted as signed.
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path.c_str()));
}

}  // namespace vellum::platform
