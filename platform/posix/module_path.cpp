// The path of the module file that holds this code, and the directory separator.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/fault/FaultPoint.h"
#include "platform/platform.h"

namespace vellum::platform {

const char kDirSeparator = '/';

namespace {

// The name the loader knows the object containing `address` by, as it was loaded
// (possibly relative). The main program has no name in the loader's list; its file
// comes from /proc.
std::string LoadedObjectName(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
    if (info.dli_fname[0] != '\0') return info.dli_fname;
    char exe[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe));
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof(exe)) return {};
    return std::string(exe, static_cast<std::size_t>(length));
}

}  // namespace

std::string ModuleFilePath() {
    if (fault::ModulePath().Hit("ModuleFilePath")) return {};
    std::string name = LoadedObjectName(reinterpret_cast<const void*>(&ModuleFilePath));
    if (name.empty()) return name;
    // A module loaded by a relative name is made absolute; when that fails (the file
    // was moved since), the loader's name is the best there is.
    char resolved[PATH_MAX];
    if (realpath(name.c_str(), resolved) != nullptr) return resolved;
    return name;
}

}  // namespace vellum::platform
