// The module's own directory (found once, then cached) and INI integers beside it.
#include "store/ModuleConfig.h"

#include <cstring>
#include <mutex>
#include <string>

#include "platform/platform.h"

namespace {
// Filled by the first call that finds the module's path, under the mutex, and never
// written afterwards: instances on several threads may ask for it first at once.
std::mutex g_moduleDirMutex;
char g_moduleDir[1024];
}  // namespace

const char* GetModuleDir() {
    std::lock_guard<std::mutex> guard(g_moduleDirMutex);
    if (g_moduleDir[0] != '\0') return g_moduleDir;
    const std::string path = vellum::platform::ModuleFilePath();
    if (path.empty()) return g_moduleDir;  // still empty: a later call tries again
    std::size_t length =
        path.size() < sizeof g_moduleDir - 1 ? path.size() : sizeof g_moduleDir - 1;
    std::memcpy(g_moduleDir, path.data(), length);
    g_moduleDir[length] = '\0';
    // Keep the directory with its last separator; a name without one stays whole.
    if (char* last = std::strrchr(g_moduleDir, vellum::platform::kDirSeparator)) last[1] = '\0';
    return g_moduleDir;
}

bool ModuleSettings::TransPathEnciphered() const {
    return static_cast<int>(ReadModuleSetting("Tvwall", "Version", 0, kConfigFile)) ==
           kCipherVersion;
}

bool ModuleSettings::CamerasByDescendingSeqIndex() const {
    return static_cast<int>(ReadModuleSetting("ResTree", "camera_index_sort", 0, kConfigFile)) ==
           1;
}

unsigned int ReadModuleSetting(const char* section, const char* key, int defaultValue,
                               const char* fileName) {
    if (fileName == nullptr || section == nullptr || key == nullptr)
        return static_cast<unsigned int>(defaultValue);
    const char* directory = GetModuleDir();
    // Without the module's own directory the bare name would be read from wherever the
    // process happens to run, a file anyone may have put there: the default stands.
    if (directory[0] == '\0') return static_cast<unsigned int>(defaultValue);
    const std::string path = std::string(directory) + fileName;
    return static_cast<unsigned int>(
        vellum::platform::ReadIniInt(path, section, key, defaultValue));
}
