// Camera status changes and the per-organisation camera statistics: UpdateCameraStatus
// writes the new statuses and rolls online counts up the cell tree; RecountUserOrgStat
// recounts a cell from its children and the camera table, then each ancestor in turn.
//
// Both walks up the tree are bounded by the number of cached cells. On a tree (parent
// links without a cycle) no walk is that long, so the bound changes nothing; a cyclic
// deposit ends the walk instead of looping forever.
#include "channels/OrgStatistics.h"

#include "channels/ChannelSchema.h"

void OrgStatistics::UpdateCameraStatus(const CAMERA_STATUS* list) {
    WriteCameraStatus(list);

    for (const CAMERA_STATUS* change = list; change != nullptr; change = change->next) {
        int cellId = 0;
        if (!ReadCameraCell(change->ID, &cellId)) continue;  // no such camera stored
        // Any non-zero status counts as online here, though only 1 reads back online.
        const bool online = change->STATUS != 0;
        bool changed = true;
        auto known = m_mapCameraStatus.find(change->ID);
        if (known != m_mapCameraStatus.end()) {
            if (known->second == online)
                changed = false;
            else
                known->second = online;
        }
        if (changed) ApplyStatusChange(cellId, 2, online);
    }
}

bool OrgStatistics::ReadCameraCell(int id, int* cellId) {
    const bool found = m_storage.BeginRead(channel_sql::kCameraCellById, {id}) &&
                       m_storage.ReadNext() && m_storage.ReadIntegerByIndex(0, *cellId);
    m_storage.EndRead();
    return found;
}

void OrgStatistics::WriteCameraStatus(const CAMERA_STATUS* list) {
    if (list == nullptr) return;
    // One transaction and one prepared statement; the status is written as given. The
    // slot answers nothing: a row that cannot be written keeps its old STATUS, and the
    // roll-up follows the status map either way. Without the transaction the updates
    // commit one by one, and the COMMIT then fails harmlessly.
    (void)m_storage.TransBegin();
    if (m_storage.BeginBind(channel_sql::kCameraStatusUpdate)) {
        for (const CAMERA_STATUS* change = list; change != nullptr; change = change->next) {
            m_storage.BindInteger(0, change->STATUS);
            m_storage.BindInteger(1, change->ID);
            (void)m_storage.ExecuteBind();
        }
        m_storage.EndBind();
    }
    (void)m_storage.TransCommit();
}

// Adjusts the online count of the cell and of each ancestor up to the first one
// without a statistics entry, keeping each count within 0 and its cameraCount.
void OrgStatistics::ApplyStatusChange(int cellId, int cellType, bool online) {
    std::size_t steps = 0;
    do {
        auto entry = m_mapUserOrgStat.find(cellId);
        if (entry == m_mapUserOrgStat.end()) return;
        USER_ORG& stat = entry->second;
        // Widened, so that no stored count can overflow the step.
        long long count = static_cast<long long>(stat.onlineCount) + (online ? 1 : -1);
        if (count > stat.cameraCount)
            count = stat.cameraCount;
        else if (count < 0)
            count = 0;
        stat.onlineCount = static_cast<int32_t>(count);
    } while (m_cellTree.StepToParent(&cellId, &cellType, &steps));
}

void OrgStatistics::RecountUserOrgStat(int cellId, int cellType) {
    // The cell, then each ancestor in turn, as a recursion through the parent would,
    // but iteratively so that no tree depth can exhaust the stack.
    std::size_t steps = 0;
    do RecountOneCell(cellId, cellType);
    while (m_cellTree.StepToParent(&cellId, &cellType, &steps));
}

// Sets the cell's entry (when it has one) to the sums of its same-type children's
// entries, plus, for a type-2 cell, its own rows of the camera table. Only STATUS 1
// counts online here.
void OrgStatistics::RecountOneCell(int cellId, int cellType) {
    // Sums of host-given counts wrap as 32-bit sums do, without overflowing.
    uint32_t childOnline = 0;
    uint32_t childTotal = 0;
    for (int32_t child : m_cellTree.ChildIds(cellId, cellType)) {
        auto entry = m_mapUserOrgStat.find(child);
        if (entry == m_mapUserOrgStat.end()) continue;
        childOnline += static_cast<uint32_t>(entry->second.onlineCount);
        childTotal += static_cast<uint32_t>(entry->second.cameraCount);
    }
    int directOnline = 0;
    int directTotal = 0;
    if (cellType == 2) CountCellCameras(cellId, &directOnline, &directTotal);

    auto entry = m_mapUserOrgStat.find(cellId);
    if (entry == m_mapUserOrgStat.end()) return;
    entry->second.onlineCount =
        static_cast<int32_t>(static_cast<uint32_t>(directOnline) + childOnline);
    entry->second.cameraCount =
        static_cast<int32_t>(childTotal + static_cast<uint32_t>(directTotal));
}

void OrgStatistics::CountCellCameras(int cellId, int* online, int* total) {
    // Every row with this CELLID counts, whatever its CELLTYPE. A count that cannot be
    // read stays 0.
    if (m_storage.BeginRead(channel_sql::kCellCameraCount, {cellId}) && m_storage.ReadNext())
        m_storage.ReadIntegerByIndex(0, *total);
    m_storage.EndRead();
    if (m_storage.BeginRead(channel_sql::kCellOnlineCameraCount, {cellId}) && m_storage.ReadNext())
        m_storage.ReadIntegerByIndex(0, *online);
    m_storage.EndRead();
}

void OrgStatistics::SetUserOrgStatList(const USER_ORG* list) {
    // The whole entry is replaced, counts included.
    for (const USER_ORG* org = list; org != nullptr; org = org->next)
        m_mapUserOrgStat[org->orgId] = *org;
}

bool OrgStatistics::GetUserOrgStat(int orgId, int* onlineCount, int* cameraCount) const {
    if (onlineCount == nullptr || cameraCount == nullptr) return false;
    auto entry = m_mapUserOrgStat.find(orgId);
    if (entry == m_mapUserOrgStat.end()) return false;
    *onlineCount = entry->second.onlineCount;
    *cameraCount = entry->second.cameraCount;
    return true;
}
