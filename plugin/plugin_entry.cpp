// The five exported functions and the static plug-in records reached from them.
// The one-time filling of PluginInfo happens on the first call, which the client
// makes from one thread before any other (the records are read-only afterwards).
#include "libs/xrt/xrt.h"
#include "plugin/instance_table.h"
#include "vellum/plugin.h"

namespace {

const char* GetPluginName() { return "Vellum"; }
const char* GetPluginVersion() { return "0.0.1"; }

PluginFuncTable g_pluginFuncs = {&GetPluginName, &GetPluginVersion, &GetInstanceFuncTable};
PluginInfo g_pluginInfo = {nullptr, nullptr, nullptr};
unsigned g_pluginInfoFilled = 0;  // bit 0: g_pluginInfo is filled
PluginInfo* g_pluginInfoEntries[1] = {&g_pluginInfo};
PluginInfoList g_pluginInfoList = {g_pluginInfoEntries, 1};

}  // namespace

extern "C" {

int32_t XPLUGIN_Init() {
    XRT_InitEx();
    return 0;
}

int32_t XPLUGIN_Uninit() {
    XRT_FiniEx();
    return 0;
}

PluginInfoList* XPLUGIN_GetPluginInfo() {
    if ((g_pluginInfoFilled & 1u) == 0) {
        g_pluginInfoFilled |= 1u;
        g_pluginInfo.name = GetPluginName();
        g_pluginInfo.version = GetPluginVersion();
        g_pluginInfo.funcs = &g_pluginFuncs;
    }
    return &g_pluginInfoList;
}

// The module keeps no error state.
int32_t XPLUGIN_GetLastError() { return 0; }

PluginEntryTable* XPLUGIN_GetInstance() {
    static PluginEntryTable entries = {&XPLUGIN_Init, &XPLUGIN_Uninit, &XPLUGIN_GetPluginInfo,
                                       &XPLUGIN_GetLastError, nullptr};
    return &entries;
}

}  // extern "C"
