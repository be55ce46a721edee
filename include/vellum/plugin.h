// The plug-in boundary: the five exported C functions and the static tables the
// client reaches through them. Everything here lives as long as the module is loaded.
#ifndef VELLUM_PLUGIN_H
#define VELLUM_PLUGIN_H

#include <cstdint>

#include "vellum/IVellum.h"

#if defined(_WIN32)
#define VELLUM_EXPORT  // plugin/vellum.def exports them, undecorated
#else
#define VELLUM_EXPORT __attribute__((visibility("default")))
#endif

struct InstanceFuncTable;

struct PluginFuncTable {
    const char* (*GetPluginName)();                   // "Vellum"
    const char* (*GetPluginVersion)();                // "0.0.1"
    InstanceFuncTable* (*GetInstanceFuncTable)();
};

struct PluginInfo {
    const char* name;
    const char* version;
    PluginFuncTable* funcs;
};

struct PluginInfoList {
    PluginInfo** entries;  // exactly one entry
    int32_t count;         // 1
};

struct PluginEntryTable {
    int32_t (*XPLUGIN_Init)();
    int32_t (*XPLUGIN_Uninit)();
    PluginInfoList* (*XPLUGIN_GetPluginInfo)();
    int32_t (*XPLUGIN_GetLastError)();
    void* terminator;  // always null
};

// Slots 3 to 14 free a whole list handed out by an IVellum query; a null head does
// nothing. The paired slots (4/10, 6/11, 8/13) hold one function that frees a list of
// either record type of the pair.
struct InstanceFuncTable {
    IVellum* (*CreateVellum)();              // null when memory is exhausted
    void (*DestroyVellum)(IVellum*);         // null does nothing; never UnInits
    IVellum* (*GetSharedVellum)();           // module-wide; never pass to DestroyVellum
    void (*FreeCellList)(CELL_INFO*);
    void (*FreeIOInfoList)(IO_INFO*);
    void (*FreeCrowdResList)(CROWD_RES*);
    void (*FreeCustomViewList)(CUSTOM_VIEW*);
    void (*FreeStoreResList)(STORE_RES*);
    void (*FreeCustomViewOrgList)(CUSTOM_VIEW_ORG*);
    void (*FreeCameraList)(CAMERA_INFO*);
    void (*FreeTalkChannelList)(TALK_CHANNEL*);
    void (*FreeCrowdFolderList)(CROWD_FOLDER*);
    void (*FreeStoreFolderList)(STORE_FOLDER*);
    void (*FreeCustomViewResList)(CUSTOM_VIEW_RES*);
    void (*FreeUserOrgList)(USER_ORG*);
};

extern "C" {
VELLUM_EXPORT int32_t XPLUGIN_Init();
VELLUM_EXPORT int32_t XPLUGIN_Uninit();
VELLUM_EXPORT PluginInfoList* XPLUGIN_GetPluginInfo();
VELLUM_EXPORT PluginEntryTable* XPLUGIN_GetInstance();
VELLUM_EXPORT int32_t XPLUGIN_GetLastError();
}

#endif  // VELLUM_PLUGIN_H
