// Loads the built module (dlopen, or LoadLibraryA on Windows) and reaches its tables through the
// exports, exactly as the client does. One loader per test binary; the module stays loaded until
// the process ends, so the shared instance's exit-time destructor runs then.
#ifndef VELLUM_TESTS_HOST_MODULELOADER_H
#define VELLUM_TESTS_HOST_MODULELOADER_H

#include <gtest/gtest.h>

#include <string>

#include "vellum/plugin.h"

#if defined(_WIN32)
#include <windows.h>
namespace module_loader {
inline void* Open(const char* path) { return LoadLibraryA(path); }
inline void* Find(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
inline std::string LastError() { return "error " + std::to_string(GetLastError()); }
}  // namespace module_loader
#else
#include <dlfcn.h>
namespace module_loader {
inline void* Open(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
inline void* Find(void* handle, const char* name) { return dlsym(handle, name); }
inline std::string LastError() {
    const char* reason = dlerror();
    return reason != nullptr ? reason : "";
}
}  // namespace module_loader
#endif

struct ModuleTables {
    void* handle = nullptr;
    int32_t (*init)() = nullptr;
    int32_t (*uninit)() = nullptr;
    PluginInfoList* (*getPluginInfo)() = nullptr;
    PluginEntryTable* (*getInstance)() = nullptr;
    int32_t (*getLastError)() = nullptr;
    InstanceFuncTable* instances = nullptr;
};

// The module's tables; fails the calling test if the module cannot be loaded.
inline const ModuleTables& Module() {
    static ModuleTables tables = [] {
        ModuleTables t;
        t.handle = module_loader::Open(VELLUM_MODULE_PATH);
        if (t.handle == nullptr) return t;
        t.init = reinterpret_cast<int32_t (*)()>(module_loader::Find(t.handle, "XPLUGIN_Init"));
        t.uninit = reinterpret_cast<int32_t (*)()>(module_loader::Find(t.handle, "XPLUGIN_Uninit"));
        t.getPluginInfo = reinterpret_cast<PluginInfoList* (*)()>(
            module_loader::Find(t.handle, "XPLUGIN_GetPluginInfo"));
        t.getInstance = reinterpret_cast<PluginEntryTable* (*)()>(
            module_loader::Find(t.handle, "XPLUGIN_GetInstance"));
        t.getLastError =
            reinterpret_cast<int32_t (*)()>(module_loader::Find(t.handle, "XPLUGIN_GetLastError"));
        if (t.init) t.init();
        if (t.getPluginInfo)
            t.instances = t.getPluginInfo()->entries[0]->funcs->GetInstanceFuncTable();
        return t;
    }();
    EXPECT_NE(tables.handle, nullptr) << module_loader::LastError();
    return tables;
}

#endif  // VELLUM_TESTS_HOST_MODULELOADER_H
