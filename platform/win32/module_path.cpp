// The path of the module file that holds this code, and the directory separator.
#include <windows.h>

#include "platform/fault/FaultPoint.h"
#include "platform/platform.h"

namespace vellum::platform {

const char kDirSeparator = '\\';

std::string ModuleFilePath() {
    if (fault::ModulePath().Hit("ModuleFilePath")) return {};
    // The module that holds this very function; its reference count stays as it was,
    // so nothing has to be freed.
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&ModuleFilePath), &module))
        return {};
    char path[1024];
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    // A name that filled the buffer was cut short: no path beats a wrong one.
    if (length == 0 || length >= sizeof path) return {};
    return std::string(path, length);
}

}  // namespace vellum::platform
