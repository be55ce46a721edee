// IVellum: the one interface through which the client deposits and queries its
// reference data. The slot order of the virtual table binds the client: never
// reorder, insert or remove a declaration.
//
// Ownership, for every operation below:
// - Records passed in stay the caller's; the module keeps copies.
// - A list query takes the address of a head pointer that is null on entry and
//   links records made by the module's object factory into it. The caller owns
//   that list and frees it whole through the matching function of the instance
//   table (plugin.h).
// - A single-record query copies into the caller's record with `next` null; on a
//   miss the caller's record is left untouched.
#ifndef VELLUM_IVELLUM_H
#define VELLUM_IVELLUM_H

#include <string>

#include "vellum/records.h"

// On 32-bit Windows the client is built by the platform's native compiler: its table
// has one slot-0 entry, the deleting destructor taking a flag, and member functions are
// __thiscall. GCC and Clang would give a virtual destructor two entries and shift every
// later slot, so a Windows build by them declares slot 0 as that one function.
#if defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define VELLUM_ONE_ENTRY_SLOT0 1
#else
#define VELLUM_ONE_ENTRY_SLOT0 0
#endif

class IVellum {
public:
#if VELLUM_ONE_ENTRY_SLOT0
    // Runs the object's destructor; bit 0 of `flags` then releases its storage.
    // Returns the object's address.
    virtual IVellum* DeletingDestructor(unsigned int flags) = 0;            // 0
#else
    virtual ~IVellum() {}                                                   // 0
#endif

    // Lifecycle. Init creates the scratch file "<prefix>db_<address>"; UnInit deletes it.
    virtual bool Init(const char* prefix) = 0;                              // 1
    virtual void UnInit() = 0;                                              // 2

    // Context blocks (788 and 528 bytes) and keyed records, copied whole.
    virtual void GetInstanceContext(void* buffer788) = 0;                   // 3
    virtual void SetInstanceContext(const void* buffer788) = 0;             // 4
    virtual void SetTransientContext(const void* buffer528) = 0;            // 5
    virtual void GetTransientContext(void* buffer528) = 0;                  // 6
    virtual bool GetKeyedInfo(KEYED_INFO* out, int key) = 0;                // 7
    virtual void SetKeyedInfoList(const KEYED_INFO* list) = 0;              // 8

    // Cell tree.
    virtual void SetCellList(const CELL_INFO* list) = 0;                    // 9
    virtual void SetLevelCount(int levelCount) = 0;                         // 10
    virtual int GetCellLevel(int id, int cellType) = 0;                     // 11
    virtual int GetMaxLevel() = 0;                                          // 12
    virtual bool GetChildCellList(CELL_INFO** out, int id, int cellType) = 0;  // 13
    virtual bool GetCellInfo(CELL_INFO* out, int id, int cellType) = 0;     // 14

    // User-organisation records.
    virtual void SetUserOrgList(const USER_ORG* list) = 0;                  // 15
    virtual bool GetUserOrgList(USER_ORG** out, int listKey) = 0;           // 16

    // Storage folders.
    virtual bool IsStoreFolderNameExist(const char* name, int id) = 0;      // 17
    virtual bool GetStoreFolderList(STORE_FOLDER** head, int parentId) = 0; // 18
    virtual bool GetStoreFolderByID(STORE_FOLDER* out, int id) = 0;         // 19
    virtual void DeleteStoreFolder(int id) = 0;                             // 20
    virtual bool RenameStoreFolder(const char* name, int id) = 0;           // 21
    virtual void SetStoreFolderList(const STORE_FOLDER* list) = 0;          // 22

    // Storage resources.
    virtual bool SetStoreResList(const STORE_RES* list) = 0;                // 23
    virtual void DeleteStoreRes(const char* indexCode, int folderId) = 0;   // 24
    virtual int GetStoreResCount(int folderId) = 0;                         // 25
    virtual bool GetStoreResByIndexCode(STORE_RES* out, const char* indexCode,
                                        int resType) = 0;                   // 26
    virtual bool GetStoreResList(STORE_RES** head, int folderId) = 0;       // 27
    virtual bool IsStoreResExist(const char* indexCode, int resType) = 0;   // 28
    virtual void ClearStoreData() = 0;                                      // 29

    // Custom views.
    virtual void SetCustomViewList(const CUSTOM_VIEW* list) = 0;            // 30
    virtual bool GetCustomViewList(CUSTOM_VIEW** head) = 0;                 // 31
    virtual void SetCustomViewOrgList(const CUSTOM_VIEW_ORG* list) = 0;     // 32
    virtual bool GetCustomViewOrgList(CUSTOM_VIEW_ORG** head, int ownerId) = 0;  // 33
    virtual void SetCustomViewResList(const CUSTOM_VIEW_RES* list, int key) = 0; // 34
    virtual bool GetCustomViewRes(CUSTOM_VIEW_RES* out, int resId, int ownerId) = 0;  // 35
    virtual bool GetCustomViewResList(CUSTOM_VIEW_RES** head, int key) = 0; // 36

    // Crowd folders and resources.
    virtual void SetCrowdFolderList(const CROWD_FOLDER* list) = 0;          // 37
    virtual void SetCrowdResList(const CROWD_RES* list, int folderId) = 0;  // 38
    virtual bool GetCrowdFolderByID(int id, CROWD_FOLDER* out) = 0;         // 39
    virtual bool GetCrowdResList(int folderId, CROWD_RES** head) = 0;       // 40
    virtual bool GetCrowdFolderListByRes(int resType, int resId,
                                         CROWD_FOLDER** head) = 0;          // 41

    // Cameras.
    virtual bool DeleteCameras(const CAMERA_INFO* list) = 0;                // 42
    virtual bool SetCameraList(const CAMERA_INFO* list, int unused) = 0;    // 43
    virtual bool GetCameraList(CAMERA_INFO** out, int cellType, int cellId) = 0;  // 44
    virtual bool GetCameraByID(CAMERA_INFO* out, int id) = 0;               // 45
    virtual bool CheckCameraPrivilegeByID(int privilegeType, int id, bool* allowed) = 0;  // 46
    virtual bool CheckCameraPrivilegeByIndexCode(int privilegeType, const char* indexCode,
                                                 bool* allowed) = 0;        // 47
    virtual bool GetCameraListByIDs(CAMERA_INFO** out, const char* ids) = 0;  // 48
    virtual bool GetCameraByIndexCode(CAMERA_INFO* out, const char* indexCode) = 0;  // 49
    // `notFound` is a std::string of the module's C++ library: like any standard type
    // across a library boundary it binds the client to the same library (and, on
    // Windows, the same compiler and runtime) as the module. A client of another
    // compiler builds Vellum with its own compiler to use this slot.
    virtual bool GetCameraListByIndexCodes(CAMERA_INFO** out, const char* codes,
                                           std::string* notFound) = 0;      // 50
    virtual bool GetCameraByMatrixCode(CAMERA_INFO* out, int matrixCode) = 0;  // 51

    // Alarm IO channels.
    virtual bool SetIOList(const IO_INFO* list) = 0;                        // 52
    virtual bool GetIOList(IO_INFO** list, int cellId) = 0;                 // 53
    virtual bool GetIOByID(IO_INFO* io, int id) = 0;                        // 54
    virtual bool GetIOByIndexCode(IO_INFO* io, const char* indexCode) = 0;  // 55

    // Encoding devices.
    virtual bool SetDeviceList(const DEVICE_INFO* list) = 0;                // 56
    virtual bool GetDeviceByID(DEVICE_INFO* device, int id) = 0;            // 57
    virtual bool GetDeviceByIndexCode(DEVICE_INFO* device, const char* indexCode) = 0;  // 58

    // Talk channels.
    virtual bool SetTalkChannelList(const TALK_CHANNEL* list) = 0;          // 59
    virtual bool GetTalkChannelList(TALK_CHANNEL** list, int cellId) = 0;   // 60
    virtual bool GetTalkChannelByID(TALK_CHANNEL* talk, int id) = 0;        // 61
    virtual bool GetTalkChannelByIndexCode(TALK_CHANNEL* talk, const char* indexCode) = 0;  // 62

    // Host value register.
    virtual void SetHostValue(int value) = 0;                               // 63
    virtual int GetHostValue() = 0;                                         // 64

    // Camera status and organisation statistics.
    virtual void UpdateCameraStatus(const CAMERA_STATUS* list) = 0;         // 65
    virtual void RecountUserOrgStat(int cellId, int cellType) = 0;          // 66
    virtual void SetUserOrgStatList(const USER_ORG* list) = 0;              // 67
    virtual bool GetUserOrgStat(int orgId, int* onlineCount, int* cameraCount) = 0;  // 68

    virtual void ClearAll() = 0;                                            // 69

#if VELLUM_ONE_ENTRY_SLOT0
protected:
    ~IVellum() {}  // through slot 0 only
#endif
};

#endif  // VELLUM_IVELLUM_H
