// A client of the Vellum SDK: loads the module the way the surveillance client does,
// deposits a cell tree and a camera through IVellum, queries them, rolls a status change
// up into the statistics, and shuts everything down in order. Exits 0 when every
// answer is the expected one.
//
//   vellum-consumer [MODULE]   (default: the module of the package it was built against)
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>
#include <vellum/plugin.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

template <std::size_t N>
void Put(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text);
}

bool Expect(bool ok, const char* what) {
    if (!ok) std::fprintf(stderr, "vellum-consumer: %s\n", what);
    return ok;
}

// Deposits a root cell, an area below it and one camera in the area, then asks the
// module about them. True when every answer is right.
bool UseInstance(IVellum* vellum, const InstanceFuncTable* instances) {
    CELL_INFO cells[2] = {};
    cells[0].id = 1;  // the root: a type-1 cell without a parent
    cells[0].cellType = 1;
    Put(cells[0].indexCode, "ROOT");
    Put(cells[0].name, "Centre");
    cells[0].next = &cells[1];
    cells[1].id = 10;  // a type-2 cell standing directly under cell 1
    cells[1].cellType = 2;
    cells[1].ownerId = 1;
    Put(cells[1].indexCode, "LOBBY");
    Put(cells[1].name, "Lobby");
    vellum->SetCellList(&cells[0]);

    CAMERA_INFO camera = {};
    camera.ID = 100;
    camera.CELLID = 10;
    camera.CELLTYPE = 2;
    camera.STATUS = true;
    Put(camera.INDEXCODE, "CAM-100");
    Put(camera.CAMNAME, "Lobby entrance");
    Put(camera.MATRIXCODE, "100");
    vellum->SetCameraList(&camera, 0);

    // The statistics of both cells: one camera, online.
    USER_ORG stats[2] = {};
    stats[0].orgId = 1;
    stats[1].orgId = 10;
    stats[0].cameraCount = stats[1].cameraCount = 1;
    stats[0].onlineCount = stats[1].onlineCount = 1;
    stats[0].next = &stats[1];
    vellum->SetUserOrgStatList(&stats[0]);

    // A list query: the module allocates the list, the client frees it through the table.
    CELL_INFO* children = nullptr;
    bool ok = Expect(vellum->GetChildCellList(&children, 1, 1), "cell 1 has no children");
    ok = Expect(children != nullptr && children->id == 10 && children->next == nullptr,
                "cell 1 should list cell 10 alone") &&
         ok;
    instances->FreeCellList(children);

    // A single-record query copies into the client's record.
    CAMERA_INFO found = {};
    ok = Expect(vellum->GetCameraByIndexCode(&found, "CAM-100") && found.ID == 100 &&
                    std::strcmp(found.CAMNAME, "Lobby entrance") == 0,
                "camera CAM-100 should be found") &&
         ok;

    // The camera goes offline: the change rolls up from cell 10 to its owner, cell 1.
    CAMERA_STATUS offline = {};
    offline.ID = 100;
    offline.STATUS = 0;
    vellum->UpdateCameraStatus(&offline);
    int online = -1;
    int total = -1;
    ok = Expect(vellum->GetUserOrgStat(1, &online, &total) && online == 0 && total == 1,
                "cell 1 should count 0 of 1 cameras online") &&
         ok;
    if (ok) std::printf("vellum-consumer: cell 1 has %d of %d cameras online\n", online, total);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : VELLUM_MODULE_FILE;

    // Load the module and walk from its exports to the instance table.
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "vellum-consumer: %s\n", dlerror());
        return 1;
    }
    auto init = reinterpret_cast<int32_t (*)()>(dlsym(module, "XPLUGIN_Init"));
    auto uninit = reinterpret_cast<int32_t (*)()>(dlsym(module, "XPLUGIN_Uninit"));
    auto getPluginInfo =
        reinterpret_cast<PluginInfoList* (*)()>(dlsym(module, "XPLUGIN_GetPluginInfo"));
    if (init == nullptr || uninit == nullptr || getPluginInfo == nullptr) {
        std::fprintf(stderr, "vellum-consumer: %s is not a Vellum module\n", path);
        dlclose(module);
        return 1;
    }
    init();
    const PluginInfo* plugin = getPluginInfo()->entries[0];
    const InstanceFuncTable* instances = plugin->funcs->GetInstanceFuncTable();
    std::printf("vellum-consumer: loaded %s %s from %s\n", plugin->name, plugin->version, path);

    // One instance; Init creates its scratch file under the prefix, UnInit deletes it.
    char directory[] = "/tmp/vellum-consumer.XXXXXX";
    const bool made = mkdtemp(directory) != nullptr;
    IVellum* vellum = made ? instances->CreateVellum() : nullptr;
    bool ok = vellum != nullptr && vellum->Init((std::string(directory) + "/").c_str());
    if (ok) ok = UseInstance(vellum, instances);
    if (vellum != nullptr) {
        vellum->UnInit();
        instances->DestroyVellum(vellum);
    }
    if (made) rmdir(directory);
    uninit();
    dlclose(module);
    std::printf("vellum-consumer: %s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
