// Slots of the organisation caches that are not yet built: each answers its plain failure result.
#include "store/DataOper.h"

void CDataOper::SetCellList(const CELL_INFO*) {}  // not yet built
int CDataOper::GetCellLevel(int, int) { return -1; }  // not yet built
bool CDataOper::GetChildCellList(CELL_INFO**, int, int) { return false; }  // not yet built
bool CDataOper::GetCellInfo(CELL_INFO*, int, int) { return false; }  // not yet built
bool CDataOper::IsStoreFolderNameExist(const char*, int) { return false; }  // not yet built
bool CDataOper::GetStoreFolderList(STORE_FOLDER**, int) { return false; }  // not yet built
bool CDataOper::GetStoreFolderByID(STORE_FOLDER*, int) { return false; }  // not yet built
void CDataOper::DeleteStoreFolder(int) {}  // not yet built
bool CDataOper::RenameStoreFolder(const char*, int) { return false; }  // not yet built
void CDataOper::SetStoreFolderList(const STORE_FOLDER*) {}  // not yet built
bool CDataOper::SetStoreResList(const STORE_RES*) { return false; }  // not yet built
void CDataOper::DeleteStoreRes(const char*, int) {}  // not yet built
int CDataOper::GetStoreResCount(int) { return 0; }  // not yet built
bool CDataOper::GetStoreResByIndexCode(STORE_RES*, const char*, int) { return false; }  // not yet built
bool CDataOper::GetStoreResList(STORE_RES**, int) { return false; }  // not yet built
bool CDataOper::IsStoreResExist(const char*, int) { return false; }  // not yet built
void CDataOper::ClearStoreData() {}  // not yet built
void CDataOper::SetCustomViewList(const CUSTOM_VIEW*) {}  // not yet built
bool CDataOper::GetCustomViewList(CUSTOM_VIEW**) { return false; }  // not yet built
void CDataOper::SetCustomViewOrgList(const CUSTOM_VIEW_ORG*) {}  // not yet built
bool CDataOper::GetCustomViewOrgList(CUSTOM_VIEW_ORG**, int) { return false; }  // not yet built
void CDataOper::SetCustomViewResList(const CUSTOM_VIEW_RES*, int) {}  // not yet built
bool CDataOper::GetCustomViewRes(CUSTOM_VIEW_RES*, int, int) { return false; }  // not yet built
bool CDataOper::GetCustomViewResList(CUSTOM_VIEW_RES**, int) { return false; }  // not yet built
void CDataOper::SetCrowdFolderList(const CROWD_FOLDER*) {}  // not yet built
void CDataOper::SetCrowdResList(const CROWD_RES*, int) {}  // not yet built
bool CDataOper::GetCrowdFolderByID(int, CROWD_FOLDER*) { return false; }  // not yet built
bool CDataOper::GetCrowdResList(int, CROWD_RES**) { return false; }  // not yet built
bool CDataOper::GetCrowdFolderListByRes(int, int, CROWD_FOLDER**) { return false; }  // not yet built
