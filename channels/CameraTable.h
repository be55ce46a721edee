// CAMERAINFO: the camera deposit (which also notes each camera's status for the
// statistics), the batched deletes and the eight camera queries, all reading rows
// through one reader over the one column list (channels/CameraColumns.h).
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call,
// which also covers the storage, the key and the statistics this component uses.
#ifndef VELLUM_CHANNELS_CAMERATABLE_H
#define VELLUM_CHANNELS_CAMERATABLE_H

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "channels/ChannelSettings.h"
#include "channels/OrgStatistics.h"
#include "libs/storage/DataStorage.h"
#include "vellum/records.h"

class CameraTable {
public:
    // Everything is the owner's and outlives this component; `key` is the cipher key
    // of TRANSPATH, as the owner holds it at each call.
    CameraTable(CDataStorage& storage, const std::string& key, const ChannelSettings& settings,
                OrgStatistics& statistics)
        : m_storage(storage), m_key(key), m_settings(settings), m_statistics(statistics) {}
    CameraTable(const CameraTable&) = delete;
    CameraTable& operator=(const CameraTable&) = delete;

    bool SetCameraList(const CAMERA_INFO* list);
    bool DeleteCameras(const CAMERA_INFO* list);

    bool GetCameraList(CAMERA_INFO** out, int cellType, int cellId);
    bool GetCameraByID(CAMERA_INFO* out, int id);
    bool CheckCameraPrivilegeByID(int privilegeType, int id, bool* allowed);
    bool CheckCameraPrivilegeByIndexCode(int privilegeType, const char* indexCode,
                                         bool* allowed);
    bool GetCameraListByIDs(CAMERA_INFO** out, const char* ids);
    bool GetCameraByIndexCode(CAMERA_INFO* out, const char* indexCode);
    bool GetCameraListByIndexCodes(CAMERA_INFO** out, const char* codes, std::string* notFound);
    bool GetCameraByMatrixCode(CAMERA_INFO* out, int matrixCode);

private:
    // Fills `out` (zeroed by the caller) from the current row of the storage's open
    // read; deciphers TRANSPATH when `transPathEnciphered`.
    void ReadCameraRow(CAMERA_INFO* out, bool transPathEnciphered);
    // The first row of `sql` with `params` into `out` (zeroed first); false and `out`
    // untouched when there is none.
    bool ReadOneCamera(CAMERA_INFO* out, const char* sql, std::initializer_list<SqlParam> params);
    void DeleteCameraBatch(const std::vector<int32_t>& ids);

    CDataStorage& m_storage;
    const std::string& m_key;
    const ChannelSettings& m_settings;
    OrgStatistics& m_statistics;
};

#endif  // VELLUM_CHANNELS_CAMERATABLE_H
