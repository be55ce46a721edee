// The slots of the channel tables: each takes the instance lock and forwards to the
// table that owns the rows.
#include "store/DataOper.h"

bool CDataOper::DeleteCameras(const CAMERA_INFO* list) {
    if (list == nullptr) return false;
    StoreLock lock(&m_lock);
    return m_cameraTable.DeleteCameras(list);
}

bool CDataOper::SetCameraList(const CAMERA_INFO* list, int /*unused*/) {
    StoreLock lock(&m_lock);
    return m_cameraTable.SetCameraList(list);
}

bool CDataOper::GetCameraList(CAMERA_INFO** out, int cellType, int cellId) {
    StoreLock lock(&m_lock);
    return m_cameraTable.GetCameraList(out, cellType, cellId);
}

bool CDataOper::GetCameraByID(CAMERA_INFO* out, int id) {
    StoreLock lock(&m_lock);
    return m_cameraTable.GetCameraByID(out, id);
}

bool CDataOper::CheckCameraPrivilegeByID(int privilegeType, int id, bool* allowed) {
    StoreLock lock(&m_lock);
    return m_cameraTable.CheckCameraPrivilegeByID(privilegeType, id, allowed);
}

bool CDataOper::CheckCameraPrivilegeByIndexCode(int privilegeType, const char* indexCode,
                                                bool* allowed) {
    StoreLock lock(&m_lock);
    return m_cameraTable.CheckCameraPrivilegeByIndexCode(privilegeType, indexCode, allowed);
}

bool CDataOper::GetCameraListByIDs(CAMERA_INFO** out, const char* ids) {
    StoreLock lock(&m_lock);
    return m_cameraTable.GetCameraListByIDs(out, ids);
}

bool CDataOper::GetCameraByIndexCode(CAMERA_INFO* out, const char* indexCode) {
    StoreLock lock(&m_lock);
    return m_cameraTable.GetCameraByIndexCode(out, indexCode);
}

bool CDataOper::GetCameraListByIndexCodes(CAMERA_INFO** out, const char* codes,
                                          std::string* notFound) {
    StoreLock lock(&m_lock);
    return m_cameraTable.GetCameraListByIndexCodes(out, codes, notFound);
}

bool CDataOper::GetCameraByMatrixCode(CAMERA_INFO* out, int matrixCode) {
    StoreLock lock(&m_lock);
    return m_cameraTable.GetCameraByMatrixCode(out, matrixCode);
}

bool CDataOper::SetIOList(const IO_INFO* list) {
    StoreLock lock(&m_lock);
    return m_ioTable.SetIOList(list);
}

bool CDataOper::GetIOList(IO_INFO** list, int cellId) {
    StoreLock lock(&m_lock);
    return m_ioTable.GetIOList(list, cellId);
}

bool CDataOper::GetIOByID(IO_INFO* io, int id) {
    StoreLock lock(&m_lock);
    return m_ioTable.GetIOByID(io, id);
}

bool CDataOper::GetIOByIndexCode(IO_INFO* io, const char* indexCode) {
    StoreLock lock(&m_lock);
    return m_ioTable.GetIOByIndexCode(io, indexCode);
}

bool CDataOper::SetDeviceList(const DEVICE_INFO* list) {
    StoreLock lock(&m_lock);
    return m_deviceTable.SetDeviceList(list);
}

bool CDataOper::GetDeviceByID(DEVICE_INFO* device, int id) {
    StoreLock lock(&m_lock);
    return m_deviceTable.GetDeviceByID(device, id);
}

bool CDataOper::GetDeviceByIndexCode(DEVICE_INFO* device, const char* indexCode) {
    StoreLock lock(&m_lock);
    return m_deviceTable.GetDeviceByIndexCode(device, indexCode);
}

bool CDataOper::SetTalkChannelList(const TALK_CHANNEL* list) {
    StoreLock lock(&m_lock);
    return m_talkTable.SetTalkChannelList(list);
}

bool CDataOper::GetTalkChannelList(TALK_CHANNEL** list, int cellId) {
    StoreLock lock(&m_lock);
    return m_talkTable.GetTalkChannelList(list, cellId);
}

bool CDataOper::GetTalkChannelByID(TALK_CHANNEL* talk, int id) {
    StoreLock lock(&m_lock);
    return m_talkTable.GetTalkChannelByID(talk, id);
}

bool CDataOper::GetTalkChannelByIndexCode(TALK_CHANNEL* talk, const char* indexCode) {
    StoreLock lock(&m_lock);
    return m_talkTable.GetTalkChannelByIndexCode(talk, indexCode);
}
