// CDataOper: the one implementation of IVellum, a thin facade. Each subsystem is a
// component that owns its state (org/ for the organisation data, channels/ for the
// SQL-backed tables and the statistics); each slot takes the instance lock and
// forwards to one component (store/OrgSlots.cpp, store/ChannelSlots.cpp, and the
// lifecycle, the registers and the cell slots in store/).
//
// Locking: m_lock protects every component below, the storage, the key and the path
// (VELLUM_GUARDED_BY, checked by Clang); each slot that touches them holds it through
// a StoreLock for its whole length. The components take no lock of their own and
// never call back into the facade, so no slot re-enters the lock; it stays recursive
// all the same, as the client expects of it. The context blocks and integer registers
// (slots 3-6, 10, 12, 63, 64) take no lock; a client that sets and reads one of them
// from two threads orders the calls itself.
#ifndef VELLUM_STORE_DATAOPER_H
#define VELLUM_STORE_DATAOPER_H

#include <cstdint>
#include <map>
#include <string>

#include "channels/CameraTable.h"
#include "channels/DeviceTable.h"
#include "channels/IoTable.h"
#include "channels/OrgStatistics.h"
#include "channels/TalkTable.h"
#include "libs/storage/DataStorage.h"
#include "org/CellTree.h"
#include "org/CrowdData.h"
#include "org/CustomViews.h"
#include "org/StoreCatalog.h"
#include "org/UserOrgs.h"
#include "store/CriticalSectionLock.h"
#include "store/ModuleConfig.h"
#include "vellum/IVellum.h"

class CDataOper : public IVellum {
public:
    CDataOper();
    ~CDataOper();  // never UnInits; an initialised instance leaves its file
#if VELLUM_ONE_ENTRY_SLOT0
    IVellum* DeletingDestructor(unsigned int flags) override;
#endif
    CDataOper(const CDataOper&) = delete;
    CDataOper& operator=(const CDataOper&) = delete;

    bool Init(const char* prefix) override;
    void UnInit() override;

    void GetInstanceContext(void* buffer788) override;
    void SetInstanceContext(const void* buffer788) override;
    void SetTransientContext(const void* buffer528) override;
    void GetTransientContext(void* buffer528) override;
    bool GetKeyedInfo(KEYED_INFO* out, int key) override;
    void SetKeyedInfoList(const KEYED_INFO* list) override;

    void SetCellList(const CELL_INFO* list) override;
    void SetLevelCount(int levelCount) override;
    int GetCellLevel(int id, int cellType) override;
    int GetMaxLevel() override;
    bool GetChildCellList(CELL_INFO** out, int id, int cellType) override;
    bool GetCellInfo(CELL_INFO* out, int id, int cellType) override;

    void SetUserOrgList(const USER_ORG* list) override;
    bool GetUserOrgList(USER_ORG** out, int listKey) override;

    bool IsStoreFolderNameExist(const char* name, int id) override;
    bool GetStoreFolderList(STORE_FOLDER** head, int parentId) override;
    bool GetStoreFolderByID(STORE_FOLDER* out, int id) override;
    void DeleteStoreFolder(int id) override;
    bool RenameStoreFolder(const char* name, int id) override;
    void SetStoreFolderList(const STORE_FOLDER* list) override;

    bool SetStoreResList(const STORE_RES* list) override;
    void DeleteStoreRes(const char* indexCode, int folderId) override;
    int GetStoreResCount(int folderId) override;
    bool GetStoreResByIndexCode(STORE_RES* out, const char* indexCode, int resType) override;
    bool GetStoreResList(STORE_RES** head, int folderId) override;
    bool IsStoreResExist(const char* indexCode, int resType) override;
    void ClearStoreData() override;

    void SetCustomViewList(const CUSTOM_VIEW* list) override;
    bool GetCustomViewList(CUSTOM_VIEW** head) override;
    void SetCustomViewOrgList(const CUSTOM_VIEW_ORG* list) override;
    bool GetCustomViewOrgList(CUSTOM_VIEW_ORG** head, int ownerId) override;
    void SetCustomViewResList(const CUSTOM_VIEW_RES* list, int key) override;
    bool GetCustomViewRes(CUSTOM_VIEW_RES* out, int resId, int ownerId) override;
    bool GetCustomViewResList(CUSTOM_VIEW_RES** head, int key) override;

    void SetCrowdFolderList(const CROWD_FOLDER* list) override;
    void SetCrowdResList(const CROWD_RES* list, int folderId) override;
    bool GetCrowdFolderByID(int id, CROWD_FOLDER* out) override;
    bool GetCrowdResList(int folderId, CROWD_RES** head) override;
    bool GetCrowdFolderListByRes(int resType, int resId, CROWD_FOLDER** head) override;

    bool DeleteCameras(const CAMERA_INFO* list) override;
    bool SetCameraList(const CAMERA_INFO* list, int unused) override;
    bool GetCameraList(CAMERA_INFO** out, int cellType, int cellId) override;
    bool GetCameraByID(CAMERA_INFO* out, int id) override;
    bool CheckCameraPrivilegeByID(int privilegeType, int id, bool* allowed) override;
    bool CheckCameraPrivilegeByIndexCode(int privilegeType, const char* indexCode,
                                         bool* allowed) override;
    bool GetCameraListByIDs(CAMERA_INFO** out, const char* ids) override;
    bool GetCameraByIndexCode(CAMERA_INFO* out, const char* indexCode) override;
    bool GetCameraListByIndexCodes(CAMERA_INFO** out, const char* codes,
                                   std::string* notFound) override;
    bool GetCameraByMatrixCode(CAMERA_INFO* out, int matrixCode) override;

    bool SetIOList(const IO_INFO* list) override;
    bool GetIOList(IO_INFO** list, int cellId) override;
    bool GetIOByID(IO_INFO* io, int id) override;
    bool GetIOByIndexCode(IO_INFO* io, const char* indexCode) override;

    bool SetDeviceList(const DEVICE_INFO* list) override;
    bool GetDeviceByID(DEVICE_INFO* device, int id) override;
    bool GetDeviceByIndexCode(DEVICE_INFO* device, const char* indexCode) override;

    bool SetTalkChannelList(const TALK_CHANNEL* list) override;
    bool GetTalkChannelList(TALK_CHANNEL** list, int cellId) override;
    bool GetTalkChannelByID(TALK_CHANNEL* talk, int id) override;
    bool GetTalkChannelByIndexCode(TALK_CHANNEL* talk, const char* indexCode) override;

    void SetHostValue(int value) override;
    int GetHostValue() override;

    void UpdateCameraStatus(const CAMERA_STATUS* list) override;
    void RecountUserOrgStat(int cellId, int cellType) override;
    void SetUserOrgStatList(const USER_ORG* list) override;
    bool GetUserOrgStat(int orgId, int* onlineCount, int* cameraCount) override;

    void ClearAll() override;

    // For tests and the benchmarks: the scratch file's path and the cipher key.
    const std::string& DbPath() const { return m_strDbPath; }
    const std::string& Key() const { return m_strKey; }
    // For the reliability tests: limits the open scratch file to `pages` pages (0 lifts
    // the limit), as a full disk would, until the connection closes.
    void SetScratchPageLimit(int pages) {
        StoreLock lock(&m_lock);
        m_storage.SetMaxPageCount(pages);
    }

private:
    static constexpr std::size_t kInstanceContextSize = 788;
    static constexpr std::size_t kTransientContextSize = 528;

    // --- store core (store/) ---
    void CreateSchema() VELLUM_REQUIRES(m_lock);
    void ClearCaches() VELLUM_REQUIRES(m_lock);  // the members UnInit and ClearAll empty

    // State below is protected by m_lock, except the context blocks and the two
    // integer registers (see the file comment). Declaration order is construction order.
    CellTree m_cellTree VELLUM_GUARDED_BY(m_lock);
    UserOrgs m_userOrgs VELLUM_GUARDED_BY(m_lock);
    StoreCatalog m_storeCatalog VELLUM_GUARDED_BY(m_lock);
    CustomViews m_customViews VELLUM_GUARDED_BY(m_lock);
    CrowdData m_crowdData VELLUM_GUARDED_BY(m_lock);
    std::map<int32_t, KEYED_INFO> m_mapKeyedInfo VELLUM_GUARDED_BY(m_lock);
    int32_t m_nLevelCount;
    unsigned char m_instanceContext[kInstanceContextSize];
    unsigned char m_transientContext[kTransientContextSize];
    std::string m_strDbPath VELLUM_GUARDED_BY(m_lock);
    CDataStorage m_storage VELLUM_GUARDED_BY(m_lock);
    CriticalSectionLock m_lock;
    int32_t m_nHostValue;
    std::string m_strKey VELLUM_GUARDED_BY(m_lock);  // 32 bytes, may hold zero bytes
    ModuleSettings m_settings;
    // Over m_storage, m_cellTree, m_strKey and m_settings above.
    OrgStatistics m_statistics VELLUM_GUARDED_BY(m_lock);
    CameraTable m_cameraTable VELLUM_GUARDED_BY(m_lock);
    IoTable m_ioTable VELLUM_GUARDED_BY(m_lock);
    DeviceTable m_deviceTable VELLUM_GUARDED_BY(m_lock);
    TalkTable m_talkTable VELLUM_GUARDED_BY(m_lock);
};

#endif  // VELLUM_STORE_DATAOPER_H
