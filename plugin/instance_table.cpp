// The instance function table and the three instance functions in its first slots.
#include "plugin/instance_table.h"

#include <new>

#include "plugin/list_freeing.h"
#include "store/DataOper.h"

namespace {

// A new, uninitialised instance; null when memory is exhausted. No exception
// crosses into the client.
IVellum* CreateVellum() {
    try {
        return new (std::nothrow) CDataOper();
    } catch (...) {
        return nullptr;
    }
}

// For instances from CreateVellum only. Does not UnInit: an initialised instance
// leaves its scratch file behind.
void DestroyVellum(IVellum* instance) {
    if (instance == nullptr) return;
#if VELLUM_ONE_ENTRY_SLOT0
    instance->DeletingDestructor(1u);  // bit 0: release the storage
#else
    delete instance;
#endif
}

// The module-wide instance, constructed on first use (a throwing constructor leaves
// it unconstructed for a later call to retry) and destroyed when the module is
// unloaded, without UnInit.
IVellum* GetSharedVellum() {
    static CDataOper shared;
    return &shared;
}

// Both record types of each shared pair have the same size and keep next in the same
// place (checked in records.h), so one function frees a list of either.
template <class Slot, class Function>
Slot SharedSlot(Function function) {
    return reinterpret_cast<Slot>(function);
}

InstanceFuncTable g_instanceFuncs = {
    &CreateVellum,
    &DestroyVellum,
    &GetSharedVellum,
    &FreeCellList,
    &FreeIOInfoList,
    &FreeCrowdResList,
    &FreeCustomViewList,
    &FreeStoreResList,
    &FreeCustomViewOrgList,
    &FreeCameraList,
    SharedSlot<void (*)(TALK_CHANNEL*)>(&FreeIOInfoList),
    SharedSlot<void (*)(CROWD_FOLDER*)>(&FreeCustomViewList),
    &FreeStoreFolderList,
    SharedSlot<void (*)(CUSTOM_VIEW_RES*)>(&FreeCustomViewOrgList),
    &FreeUserOrgList,
};

}  // namespace

InstanceFuncTable* GetInstanceFuncTable() { return &g_instanceFuncs; }
