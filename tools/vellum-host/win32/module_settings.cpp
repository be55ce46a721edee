// ReadModuleSettings over the Win32 profile reader, the one the module itself uses.
// It names no unreadable lines: it skips them without a word.
#include "module_settings.h"

#include <windows.h>

#include "host_system.h"

ModuleSettings ReadModuleSettings(const std::string& modulePath) {
    ModuleSettings settings;
    const std::size_t end = modulePath.find_last_of(host_system::kDirSeparators);
    settings.path =
        (end == std::string::npos ? std::string() : modulePath.substr(0, end + 1)) + "DefCfg.ini";
    settings.present = GetFileAttributesA(settings.path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!settings.present) return settings;
    const char* file = settings.path.c_str();
    settings.tvwallVersion = static_cast<int>(GetPrivateProfileIntA("Tvwall", "Version", 0, file));
    settings.cameraIndexSort =
        static_cast<int>(GetPrivateProfileIntA("ResTree", "camera_index_sort", 0, file));
    return settings;
}
