// ReadModuleSettings over libinih.
#include "module_settings.h"

#include <ini.h>
#include <strings.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

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
    std::ifstream file(settings.path, std::ios::binary);
    if (!file) return settings;
    settings.present = true;
    std::stringstream content;
    content << file.rdbuf();
    std::vector<std::string> lines;
    for (std::string line; std::getline(content, line);) lines.push_back(line);
    Lookup lookup;
    // The parser names only the first line it cannot read and skips it; blanking each
    // such line and parsing again finds the next, as the parser itself would skip it.
    for (;;) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        lookup = Lookup();
        const int unread = ini_parse_string(text.c_str(), OnEntry, &lookup);
        if (unread <= 0 || static_cast<std::size_t>(unread) > lines.size()) break;
        settings.unreadLines.push_back(unread);
        lines[static_cast<std::size_t>(unread) - 1].clear();
    }
    settings.tvwallVersion = ValueOrDefault(lookup.versionFound, lookup.version);
    settings.cameraIndexSort = ValueOrDefault(lookup.sortFound, lookup.sort);
    return settings;
}
