// The slots of the organisation data and the statistics: each takes the instance lock
// and forwards to the component that owns the data.
#include "store/DataOper.h"

void CDataOper::SetUserOrgList(const USER_ORG* list) {
    StoreLock lock(&m_lock);
    m_userOrgs.SetUserOrgList(list);
}

bool CDataOper::GetUserOrgList(USER_ORG** out, int listKey) {
    StoreLock lock(&m_lock);
    return m_userOrgs.GetUserOrgList(out, listKey);
}

bool CDataOper::IsStoreFolderNameExist(const char* name, int id) {
    StoreLock lock(&m_lock);
    return m_storeCatalog.IsStoreFolderNameExist(name, id);
}

bool CDataOper::GetStoreFolderList(STORE_FOLDER** head, int parentId) {
    StoreLock lock(&m_lock);
    return m_storeCatalog.GetStoreFolderList(head, parentId);
}

bool CDataOper::GetStoreFolderByID(STORE_FOLDER* out, int id) {
    StoreLock lock(&m_lock);
    return m_storeCatalog.GetStoreFolderByID(out, id);
}

void CDataOper::DeleteStoreFolder(int id) {
    StoreLock lock(&m_lock);
    m_storeCatalog.DeleteStoreFolder(id);
}

bool CDataOper::RenameStoreFolder(const char* name, int id) {
    StoreLock lock(&m_lock);
    return m_storeCatalog.RenameStoreFolder(name, id);
}

void CDataOper::SetStoreFolderList(const STORE_FOLDER* list) {
    StoreLock lock(&m_lock);
    m_storeCatalog.SetStoreFolderList(list);
}

bool CDataOper::SetStoreResList(const STORE_RES* list) {
    StoreLock lock(&m_lock);
    return m_storeCatalog.SetStoreResList(list);
}

void CDataOper::DeleteStoreRes(const char* indexCode, int folderId) {
    StoreLock lock(&m_lock);
    m_storeCatalog.DeleteStoreRes(indexCode, folderId);
}

int CDataOper::GetStoreResCount(int folderId) {
    StoreLock lock(&m_lock);
    return m_storeCatalog.GetStoreResCount(folderId);
}

bool CDataOper::GetStoreResByIndexCode(STORE_RES* out, const char* indexCode, int resType) {
    StoreLock lock(&m_lock);
    return m_storeCatalog.GetStoreResByIndexCode(out, indexCode, resType);
}

bool CDataOper::GetStoreResList(STORE_RES** head, int folderId) {
    StoreLock lock(&m_lock);
    return m_storeCatalog.GetStoreResList(head, folderId);
}

bool CDataOper::IsStoreResExist(const char* indexCode, int resType) {
    StoreLock lock(&m_lock);
    return m_storeCatalog.IsStoreResExist(indexCode, resType);
}

void CDataOper::ClearStoreData() {
    StoreLock lock(&m_lock);
    m_storeCatalog.ClearStoreData();
}

void CDataOper::SetCustomViewList(const CUSTOM_VIEW* list) {
    StoreLock lock(&m_lock);
    m_customViews.SetCustomViewList(list);
}

bool CDataOper::GetCustomViewList(CUSTOM_VIEW** head) {
    StoreLock lock(&m_lock);
    return m_customViews.GetCustomViewList(head);
}

void CDataOper::SetCustomViewOrgList(const CUSTOM_VIEW_ORG* list) {
    StoreLock lock(&m_lock);
    m_customViews.SetCustomViewOrgList(list);
}

bool CDataOper::GetCustomViewOrgList(CUSTOM_VIEW_ORG** head, int ownerId) {
    StoreLock lock(&m_lock);
    return m_customViews.GetCustomViewOrgList(head, ownerId);
}

void CDataOper::SetCustomViewResList(const CUSTOM_VIEW_RES* list, int key) {
    StoreLock lock(&m_lock);
    m_customViews.SetCustomViewResList(list, key);
}

bool CDataOper::GetCustomViewRes(CUSTOM_VIEW_RES* out, int resId, int ownerId) {
    StoreLock lock(&m_lock);
    return m_customViews.GetCustomViewRes(out, resId, ownerId);
}

bool CDataOper::GetCustomViewResList(CUSTOM_VIEW_RES** head, int key) {
    StoreLock lock(&m_lock);
    return m_customViews.GetCustomViewResList(head, key);
}

void CDataOper::SetCrowdFolderList(const CROWD_FOLDER* list) {
    StoreLock lock(&m_lock);
    m_crowdData.SetCrowdFolderList(list);
}

void CDataOper::SetCrowdResList(const CROWD_RES* list, int folderId) {
    StoreLock lock(&m_lock);
    m_crowdData.SetCrowdResList(list, folderId);
}

bool CDataOper::GetCrowdFolderByID(int id, CROWD_FOLDER* out) {
    StoreLock lock(&m_lock);
    return m_crowdData.GetCrowdFolderByID(id, out);
}

bool CDataOper::GetCrowdResList(int folderId, CROWD_RES** head) {
    StoreLock lock(&m_lock);
    return m_crowdData.GetCrowdResList(folderId, head);
}

bool CDataOper::GetCrowdFolderListByRes(int resType, int resId, CROWD_FOLDER** head) {
    StoreLock lock(&m_lock);
    return m_crowdData.GetCrowdFolderListByRes(resType, resId, head);
}

void CDataOper::UpdateCameraStatus(const CAMERA_STATUS* list) {
    StoreLock lock(&m_lock);
    m_statistics.UpdateCameraStatus(list);
}

void CDataOper::RecountUserOrgStat(int cellId, int cellType) {
    StoreLock lock(&m_lock);
    m_statistics.RecountUserOrgStat(cellId, cellType);
}

void CDataOper::SetUserOrgStatList(const USER_ORG* list) {
    StoreLock lock(&m_lock);
    m_statistics.SetUserOrgStatList(list);
}

bool CDataOper::GetUserOrgStat(int orgId, int* onlineCount, int* cameraCount) {
    StoreLock lock(&m_lock);
    return m_statistics.GetUserOrgStat(orgId, onlineCount, cameraCount);
}
