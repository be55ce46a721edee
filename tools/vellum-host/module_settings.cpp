// ReadModuleSettings over libinih.
#include "module_settings.h"

#include <ini.h>
#include <strings.h>

#include <cstdlib>

namespace {

struct Lookup {
    bool versionFound = false;
    bool sortFound = false;
    std::string version;
    std::string sort;
};

// Keeps the first value of each key, as a profile reader does.
int OnEntry(void* user, const char* section, const char* name, const char* value) {
    auto* lookup = static_cast<Lookup*>(user);
    const std::string text = value != nullptr ? value : "";
    if (strcasecmp(section, "Tvwall") == 0 && strcasecmp(name, "Version") == 0 &&
        !lookup->versionFound) {
        lookup->versionFound = true;
        lookup->version = text;
    } else if (strcasecmp(section, "ResTree") == 0 && strcasecmp(name, "camera_index_sort") == 0 &&
               !lookup->sortFound) {
        lookup->sortFound = true;
        lookup->sort = text;
    }
    return 1;
}

// The leading decimal of a value, one pair of surrounding quotes dropped; an empty
// value is missing.
int ValueOrDefault(bool found, std::string text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    if (!found || text.empty()) return 0;
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace

ModuleSettings ReadModuleSettings(const std::string& modulePath) {
    ModuleSettings settings;
    const std::size_t slash = modulePath.rfind('/');
    settings.path = (slash == std::string::npos ? std::string() : modulePath.substr(0, slash + 1)) +
                    "DefCfg.ini";
    Lookup lookup;
    settings.present = ini_parse(settings.path.c_str(), OnEntry, &lookup) != -1;
    settings.tvwallVersion = ValueOrDefault(lookup.versionFound, lookup.version);
    settings.cameraIndexSort = ValueOrDefault(lookup.sortFound, lookup.sort);
    return settings;
}
