// Slots of the channel tables that are not yet built: each answers its plain failure result.
#include "store/DataOper.h"

void CDataOper::SetUserOrgList(const USER_ORG*) {}  // not yet built
bool CDataOper::GetUserOrgList(USER_ORG**, int) { return false; }  // not yet built
bool CDataOper::DeleteCameras(const CAMERA_INFO*) { return false; }  // not yet built
bool CDataOper::SetCameraList(const CAMERA_INFO*, int) { return false; }  // not yet built
bool CDataOper::GetCameraList(CAMERA_INFO**, int, int) { return false; }  // not yet built
bool CDataOper::GetCameraByID(CAMERA_INFO*, int) { return false; }  // not yet built
bool CDataOper::CheckCameraPrivilegeByID(int, int, bool*) { return false; }  // not yet built
bool CDataOper::CheckCameraPrivilegeByIndexCode(int, const char*, bool*) { return false; }  // not yet built
bool CDataOper::GetCameraListByIDs(CAMERA_INFO**, const char*) { return false; }  // not yet built
bool CDataOper::GetCameraByIndexCode(CAMERA_INFO*, const char*) { return false; }  // not yet built
bool CDataOper::GetCameraListByIndexCodes(CAMERA_INFO**, const char*, std::string*) { return false; }  // not yet built
bool CDataOper::GetCameraByMatrixCode(CAMERA_INFO*, int) { return false; }  // not yet built
bool CDataOper::SetIOList(const IO_INFO*) { return false; }  // not yet built
bool CDataOper::GetIOList(IO_INFO**, int) { return false; }  // not yet built
bool CDataOper::GetIOByID(IO_INFO*, int) { return false; }  // not yet built
bool CDataOper::GetIOByIndexCode(IO_INFO*, const char*) { return false; }  // not yet built
bool CDataOper::SetDeviceList(const DEVICE_INFO*) { return false; }  // not yet built
bool CDataOper::GetDeviceByID(DEVICE_INFO*, int) { return false; }  // not yet built
bool CDataOper::GetDeviceByIndexCode(DEVICE_INFO*, const char*) { return false; }  // not yet built
bool CDataOper::SetTalkChannelList(const TALK_CHANNEL*) { return false; }  // not yet built
bool CDataOper::GetTalkChannelList(TALK_CHANNEL**, int) { return false; }  // not yet built
bool CDataOper::GetTalkChannelByID(TALK_CHANNEL*, int) { return false; }  // not yet built
bool CDataOper::GetTalkChannelByIndexCode(TALK_CHANNEL*, const char*) { return false; }  // not yet built
void CDataOper::UpdateCameraStatus(const CAMERA_STATUS*) {}  // not yet built
void CDataOper::RecountUserOrgStat(int, int) {}  // not yet built
void CDataOper::SetUserOrgStatList(const USER_ORG*) {}  // not yet built
bool CDataOper::GetUserOrgStat(int, int*, int*) { return false; }  // not yet built
