// Loading of the module and the walk through its plug-in tables.
#include "module_loader.h"

#include "host_system.h"

namespace {

// Resolves one export into `function`; false with `error` set when it is missing.
template <class Function>
bool ResolveExport(void* handle, const char* name, Function& function, std::string& error) {
    std::string reason;
    void* symbol = host_system::FindSymbol(handle, name, reason);
    if (symbol == nullptr) {
        error = std::string("the module does not export ") + name + ": " + reason;
        return false;
    }
    function = reinterpret_cast<Function>(symbol);
    return true;
}

}  // namespace

bool ModuleLoader::Load(const std::string& path, std::string& error) {
    Unload();
    m_path = path;
    std::string reason;
    m_handle = host_system::OpenLibrary(path, reason);
    if (m_handle == nullptr) {
        error = "cannot load " + path + ": " + reason;
        return false;
    }

    if (!ResolveExport(m_handle, "XPLUGIN_Init", m_init, error) ||
        !ResolveExport(m_handle, "XPLUGIN_Uninit", m_uninit, error) ||
        !ResolveExport(m_handle, "XPLUGIN_GetPluginInfo", m_getPluginInfo, error) ||
        !ResolveExport(m_handle, "XPLUGIN_GetInstance", m_getInstance, error) ||
        !ResolveExport(m_handle, "XPLUGIN_GetLastError", m_getLastError, error)) {
        Unload();
        return false;
    }

    m_init();  // its result, always 0, carries nothing
    m_initCalled = true;

    const PluginInfoList* list = m_getPluginInfo();
    if (list == nullptr || list->count < 1 || list->entries == nullptr ||
        list->entries[0] == nullptr) {
        error = "XPLUGIN_GetPluginInfo returned no plug-in entry";
    } else if (list->entries[0]->funcs == nullptr ||
               list->entries[0]->funcs->GetInstanceFuncTable == nullptr) {
        error = "the plug-in entry has no function table";
    } else if ((m_instances = list->entries[0]->funcs->GetInstanceFuncTable()) == nullptr) {
        error = "GetInstanceFuncTable returned null";
    } else if (m_instances->CreateVellum == nullptr || m_instances->DestroyVellum == nullptr) {
        error = "the instance table lacks CreateVellum or DestroyVellum";
    } else {
        m_info = list->entries[0];
        return true;
    }
    Unload();
    return false;
}

bool ModuleLoader::Unload(std::string* error) {
    if (m_handle == nullptr) return true;
    if (m_initCalled) m_uninit();
    std::string reason;
    const bool closed = host_system::CloseLibrary(m_handle, reason);
    if (!closed && error != nullptr) *error = "cannot unload " + m_path + ": " + reason;
    m_handle = nullptr;
    m_init = nullptr;
    m_uninit = nullptr;
    m_getPluginInfo = nullptr;
    m_getInstance = nullptr;
    m_getLastError = nullptr;
    m_initCalled = false;
    m_info = nullptr;
    m_instances = nullptr;
    return closed;
}
