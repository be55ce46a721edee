// The two settings the module reads from "DefCfg.ini" in its own directory, read here
// the same way (libinih; names case-insensitive; the leading decimal of the value) so
// the session knows what to expect and the report can say what was in force.
#ifndef VELLUM_TOOLS_HOST_MODULE_SETTINGS_H
#define VELLUM_TOOLS_HOST_MODULE_SETTINGS_H

#include <string>
#include <vector>

struct ModuleSettings {
    std::string path;              // the directory of the module file, then "DefCfg.ini"
    bool present = false;          // whether that file could be read
    std::vector<int> unreadLines;  // lines of the file that do not parse, from 1; ignored
    int tvwallVersion = 0;         // [Tvwall] Version; 6731 enciphers TRANSPATH in the table
    int cameraIndexSort = 0;  // [ResTree] camera_index_sort; 1 lists cameras by descending SEQINDEX

    bool TransPathEnciphered() const { return tvwallVersion == 6731; }
    bool CamerasDescending() const { return cameraIndexSort == 1; }
};

// The settings for the module file at `modulePath`; defaults (0) where the file, the
// section or the key is missing.
ModuleSettings ReadModuleSettings(const std::string& modulePath);

#endif  // VELLUM_TOOLS_HOST_MODULE_SETTINGS_H
