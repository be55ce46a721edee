// Loads the Vellum module the way the client does: the system loader, the five XPLUGIN_* exports,
// the plug-in information and, through its function table, the instance table.
#ifndef VELLUM_TOOLS_HOST_MODULE_LOADER_H
#define VELLUM_TOOLS_HOST_MODULE_LOADER_H

#include <cstdint>
#include <string>

#include "vellum/plugin.h"

// One loaded module. Not copyable; unloads (XPLUGIN_Uninit, then closing the library) on destruction.
// The tables it hands out point into the module and die with Unload.
class ModuleLoader {
public:
    ModuleLoader() = default;
    ~ModuleLoader() { Unload(); }
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;

    // Loads the module at `path`, calls XPLUGIN_Init and follows XPLUGIN_GetPluginInfo
    // -> entries[0] -> funcs -> GetInstanceFuncTable. On failure returns false with
    // `error` saying which step failed, and leaves nothing loaded.
    bool Load(const std::string& path, std::string& error);

    // Calls XPLUGIN_Uninit (when XPLUGIN_Init ran) and closes the library. Instances
    // from CreateVellum must be destroyed before. Harmless when nothing is loaded.
    // False with `error` set when the library cannot be closed.
    bool Unload(std::string* error = nullptr);

    const std::string& Path() const { return m_path; }
    const PluginInfo& Info() const { return *m_info; }
    const InstanceFuncTable& Instances() const { return *m_instances; }

private:
    void* m_handle = nullptr;
    std::string m_path;
    int32_t (*m_init)() = nullptr;
    int32_t (*m_uninit)() = nullptr;
    PluginInfoList* (*m_getPluginInfo)() = nullptr;
    // Resolved as the client resolves them, so that a module lacking them is refused;
    // the session has no use for them.
    PluginEntryTable* (*m_getInstance)() = nullptr;
    int32_t (*m_getLastError)() = nullptr;
    bool m_initCalled = false;
    const PluginInfo* m_info = nullptr;
    const InstanceFuncTable* m_instances = nullptr;
};

#endif  // VELLUM_TOOLS_HOST_MODULE_LOADER_H
