/* A client as the platform's native compiler builds one, in plain C: it loads
 * vellum.dll with LoadLibraryA, reaches the instance table through the exports, and
 * calls IVellum's slots by index through __thiscall pointers, slot 0 included. It
 * checks the scratch file on the way: named "<prefix>db_<%p>" as the Windows C runtime
 * writes %p, a stale file at that name made anew, and a second process unable to take
 * or delete the file while the instance holds it.
 *
 *   win32_c_client <vellum.dll> <directory>   the client
 *   win32_c_client --take <file>              the second process: exits 0 only when it
 *                                             could open the file exclusively or delete it
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
#define CHECK(condition)                                                    \
    do {                                                                    \
        if (!(condition)) {                                                 \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); \
            ++g_failures;                                                   \
        }                                                                   \
    } while (0)

static int Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

/* The second process: any way of taking the file over counts as taken. */
static int Take(const char* path) {
    HANDLE exclusive =
        CreateFileA(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (exclusive != INVALID_HANDLE_VALUE) {
        CloseHandle(exclusive);
        return 0;
    }
    return DeleteFileA(path) ? 0 : 1;
}

/* Runs this program again as the second process; its exit code. */
static DWORD RunTaker(const char* path) {
    char self[MAX_PATH], command[3 * MAX_PATH];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD code = 99;
    GetModuleFileNameA(NULL, self, sizeof self);
    _snprintf(command, sizeof command, "\"%s\" --take \"%s\"", self, path);
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return code;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

static void WriteStale(const char* path) {
    FILE* file = fopen(path, "wb");
    if (file != NULL) {
        fputs("stale", file);
        fclose(file);
    }
}

static int StartsWithStale(const char* path) {
    char head[5] = {0};
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    DWORD got = 0;
    if (file == INVALID_HANDLE_VALUE) return 0;
    ReadFile(file, head, sizeof head, &got, NULL);
    CloseHandle(file);
    return got == sizeof head && memcmp(head, "stale", sizeof head) == 0;
}

int main(int argc, char** argv) {
    HMODULE module;
    PluginInfoList* (*getPluginInfo)(void);
    InstanceTable* instances;
    Instance* vellum;
    char prefix[MAX_PATH], scratch[MAX_PATH];

    if (argc == 3 && strcmp(argv[1], "--take") == 0) return Take(argv[2]);
    if (argc != 3) {
        fprintf(stderr, "usage: %s <vellum.dll> <directory>\n", argv[0]);
        return 2;
    }
    module = LoadLibraryA(argv[1]);
    CHECK(module != NULL);
    if (module == NULL) return 1;
    getPluginInfo = (PluginInfoList * (*)(void)) GetProcAddress(module, "XPLUGIN_GetPluginInfo");
    CHECK(getPluginInfo != NULL);
    if (getPluginInfo == NULL) return 1;
    instances = getPluginInfo()->entries[0]->funcs->GetInstanceFuncTable();
    vellum = instances->CreateVellum();
    CHECK(vellum != NULL);
    if (vellum == NULL) return 1;

    /* The prefix ends in a backslash; the name is %p as the C runtime writes it. */
    CreateDirectoryA(argv[2], NULL);
    _snprintf(prefix, sizeof prefix, "%s\\", argv[2]);
    _snprintf(scratch, sizeof scratch, "%sdb_%p", prefix, (void*)vellum);
    WriteStale(scratch);

    CHECK(((InitSlot)vellum->table[1])(vellum, prefix) & 0xFF);
    CHECK(Exists(scratch));
    CHECK(!StartsWithStale(scratch));
    CHECK(RunTaker(scratch) == 1);
    CHECK(Exists(scratch));

    ((SetIntSlot)vellum->table[63])(vellum, 42);
    CHECK(((GetIntSlot)vellum->table[64])(vellum) == 42);
    CHECK(((GetIntSlot)vellum->table[12])(vellum) == -1); /* GetMaxLevel of no cells */
    ((VoidSlot)vellum->table[69])(vellum);                /* ClearAll */
    CHECK(((GetIntSlot)vellum->table[12])(vellum) == -1);

    ((VoidSlot)vellum->table[2])(vellum); /* UnInit deletes the file */
    CHECK(!Exists(scratch));
    /* Slot 0 with the flag set destroys the instance and releases its storage. */
    CHECK(((DeletingDestructor)vellum->table[0])(vellum, 1) == (void*)vellum);

    RemoveDirectoryA(argv[2]);
    FreeLibrary(module);
    if (g_failures == 0) printf("win32_c_client: all checks passed\n");
    return g_failures == 0 ? 0 : 1;
}
