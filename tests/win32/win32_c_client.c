/* A client as the platform's native compiler builds one, in plain C: it loads
 * vellum.dll with LoadLibraryA, reaches the instance table through the exports, and
 * calls IVellum's slots by index through __thiscall pointers, slot 0 included. The
 * scratch file's name and hold: Win32Instance in win32_host_test.cpp.
 *
 *   win32_c_client <vellum.dll> <directory>
 */
#include <stdio.h>
#include <string.h>
#include <windows.h>

typedef struct Instance Instance;
typedef void*(__attribute__((thiscall)) * DeletingDestructor)(Instance*, unsigned int);
typedef int(__attribute__((thiscall)) * InitSlot)(Instance*, const char*); /* bool: al */
typedef void(__attribute__((thiscall)) * VoidSlot)(Instance*);
typedef void(__attribute__((thiscall)) * SetIntSlot)(Instance*, int);
typedef int(__attribute__((thiscall)) * GetIntSlot)(Instance*);
struct Instance {
    void** table;
};
#define SLOT(type, index) ((type)vellum->table[index])

typedef struct {
    Instance* (*CreateVellum)(void);
    void (*DestroyVellum)(Instance*);
} InstanceTable;
typedef struct {
    const char* (*GetPluginName)(void);
    const char* (*GetPluginVersion)(void);
    InstanceTable* (*GetInstanceFuncTable)(void);
} PluginTable;
typedef struct {
    const char* name;
    const char* version;
    PluginTable* funcs;
} PluginInfo;
typedef struct {
    PluginInfo** entries;
    int count;
} PluginInfoList;

static int g_failures = 0;
static int Check(int holds, const char* condition, int line) {
    if (!holds) {
        fprintf(stderr, "%s:%d: %s\n", __FILE__, line, condition);
        ++g_failures;
    }
    return holds;
}
#define CHECK(condition) Check((condition) != 0, #condition, __LINE__)

int main(int argc, char** argv) {
    HMODULE module;
    PluginInfoList* (*getPluginInfo)(void);
    Instance* vellum;
    char prefix[MAX_PATH];

    if (argc != 3) {
        fprintf(stderr, "usage: %s <vellum.dll> <directory>\n", argv[0]);
        return 2;
    }
    module = LoadLibraryA(argv[1]);
    if (!CHECK(module != NULL)) return 1;
    getPluginInfo = (PluginInfoList * (*)(void)) GetProcAddress(module, "XPLUGIN_GetPluginInfo");
    if (!CHECK(getPluginInfo != NULL)) return 1;
    vellum = getPluginInfo()->entries[0]->funcs->GetInstanceFuncTable()->CreateVellum();
    if (!CHECK(vellum != NULL)) return 1;

    CreateDirectoryA(argv[2], NULL);
    _snprintf(prefix, sizeof prefix, "%s\\", argv[2]);
    CHECK(SLOT(InitSlot, 1)(vellum, prefix) & 0xFF);

    CHECK(SLOT(GetIntSlot, 12)(vellum) == -1); /* GetMaxLevel of no cells */
    SLOT(SetIntSlot, 63)(vellum, 42);
    SLOT(VoidSlot, 69)(vellum); /* ClearAll keeps the registers */
    CHECK(SLOT(GetIntSlot, 64)(vellum) == 42);

    SLOT(VoidSlot, 2)(vellum); /* UnInit */
    /* Slot 0 with the flag set destroys the instance and releases its storage. */
    CHECK(SLOT(DeletingDestructor, 0)(vellum, 1) == (void*)vellum);

    CHECK(RemoveDirectoryA(argv[2])); /* empty: UnInit removed the scratch file */
    FreeLibrary(module);
    if (g_failures == 0) printf("win32_c_client: all checks passed\n");
    return g_failures == 0 ? 0 : 1;
}
