// The per-organisation camera statistics: the entries the client deposits, the last
// known online state of each camera, the roll-up of a status change up the cell tree
// and the recount of a cell from its children and the camera table.
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call,
// which also covers the storage and the cell tree this component reads.
#ifndef VELLUM_CHANNELS_ORGSTATISTICS_H
#define VELLUM_CHANNELS_ORGSTATISTICS_H

#include <cstdint>
#include <map>

#include "libs/storage/DataStorage.h"
#include "org/CellTree.h"
#include "vellum/records.h"

class OrgStatistics {
public:
    // Both are the owner's and outlive this component.
    OrgStatistics(CDataStorage& storage, const CellTree& cellTree)
        : m_storage(storage), m_cellTree(cellTree) {}
    OrgStatistics(const OrgStatistics&) = delete;
    OrgStatistics& operator=(const OrgStatistics&) = delete;

    // Writes each new STATUS to the camera table and rolls a change of a stored
    // camera's online state up the tree.
    void UpdateCameraStatus(const CAMERA_STATUS* list);
    void RecountUserOrgStat(int cellId, int cellType);
    void SetUserOrgStatList(const USER_ORG* list);
    bool GetUserOrgStat(int orgId, int* onlineCount, int* cameraCount) const;

    // The camera deposit's STATUS, which later changes are measured against.
    void NoteDepositedStatus(int32_t cameraId, bool online) {
        // Lists usually come in ascending ID order, for which the hint makes each
        // insertion constant time.
        m_mapCameraStatus.insert_or_assign(m_mapCameraStatus.end(), cameraId, online);
    }

private:
    void WriteCameraStatus(const CAMERA_STATUS* list);
    void ApplyStatusChange(int cellId, int cellType, bool online);
    bool ReadCameraCell(int id, int* cellId);  // false: no row with this ID
    void CountCellCameras(int cellId, int* online, int* total);
    void RecountOneCell(int cellId, int cellType);

    CDataStorage& m_storage;
    const CellTree& m_cellTree;
    std::map<int32_t, USER_ORG> m_mapUserOrgStat;
    std::map<int32_t, bool> m_mapCameraStatus;
};

#endif  // VELLUM_CHANNELS_ORGSTATISTICS_H
