// Loads the built module with dlopen and reaches its tables through the exports,
// exactly as the client does. One loader per test binary; the module stays loaded
// until the process ends, so the shared instance's exit-time destructor runs then.
#ifndef VELLUM_TESTS_HOST_MODULELOADER_H
#define VELLUM_TESTS_HOST_MODULELOADER_H

#include <dlfcn.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <string>

#include "vellum/plugin.h"

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
        t.handle = dlopen(VELLUM_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        if (t.handle == nullptr) return t;
        t.init = reinterpret_cast<int32_t (*)()>(dlsym(t.handle, "XPLUGIN_Init"));
        t.uninit = reinterpret_cast<int32_t (*)()>(dlsym(t.handle, "XPLUGIN_Uninit"));
        t.getPluginInfo =
            reinterpret_cast<PluginInfoList* (*)()>(dlsym(t.handle, "XPLUGIN_GetPluginInfo"));
        t.getInstance =
            reinterpret_cast<PluginEntryTable* (*)()>(dlsym(t.handle, "XPLUGIN_GetInstance"));
        t.getLastError = reinterpret_cast<int32_t (*)()>(dlsym(t.handle, "XPLUGIN_GetLastError"));
        if (t.init) t.init();
        if (t.getPluginInfo) {
            PluginInfoList* list = t.getPluginInfo();
            t.instances = list->entries[0]->funcs->GetInstanceFuncTable();
        }
        return t;
    }();
    EXPECT_NE(tables.handle, nullptr) << dlerror();
    return tables;
}

// A created instance, initialised under the test's scratch directory and
// uninitialised and destroyed at the end of the scope.
class HostInstance {
public:
    HostInstance() : m_p(Module().instances->CreateVellum()) {
        // The pid keeps concurrent test processes apart: their heaps can hand out the
        // same instance address (always so under AddressSanitizer), hence the same path.
        EXPECT_TRUE(m_p->Init(
            (std::string(VELLUM_TEST_TMP) + "host-" + std::to_string(getpid()) + "-").c_str()));
    }
    ~HostInstance() {
        m_p->UnInit();
        Module().instances->DestroyVellum(m_p);
    }
    HostInstance(const HostInstance&) = delete;
    HostInstance& operator=(const HostInstance&) = delete;
    IVellum* operator->() const { return m_p; }
    IVellum* get() const { return m_p; }

private:
    IVellum* m_p;
};

#endif  // VELLUM_TESTS_HOST_MODULELOADER_H
