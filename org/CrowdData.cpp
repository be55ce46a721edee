// Crowd folders (id and name, in deposit order) and crowd resources filed by folder id:
// a folder's name, a folder's resources, and the folders holding a resource.
#include "org/CrowdData.h"

#include <cstring>

#include "libs/objfactory/ObjFactory.h"
#include "libs/records/ListAppender.h"
#include "libs/records/RecordText.h"

// Appends a copy of every record; an id may come more than once.
void CrowdData::SetCrowdFolderList(const CROWD_FOLDER* list) {
    for (const CROWD_FOLDER* folder = list; folder != nullptr; folder = folder->next)
        m_vecCrowdFolder.push_back(*folder);
}

// Files a sequence under `folderId`, also for a null list, and appends a copy of every
// record to it; earlier records stay.
void CrowdData::SetCrowdResList(const CROWD_RES* list, int folderId) {
    std::vector<CROWD_RES>& resources = m_mapCrowdRes[folderId];
    for (const CROWD_RES* resource = list; resource != nullptr; resource = resource->next)
        resources.push_back(*resource);
}

// Writes the id and the name (at most 259 characters and a terminator) of the first
// deposited folder of this id into `out`; the rest of `out`, its next included, keeps
// the caller's values. A miss, or a null `out`, writes nothing.
bool CrowdData::GetCrowdFolderByID(int id, CROWD_FOLDER* out) const {
    if (out == nullptr) return false;
    for (const CROWD_FOLDER& folder : m_vecCrowdFolder) {
        if (folder.id == id) {
            out->id = folder.id;
            CopyToField(out->name, FieldText(folder.name));
            return true;
        }
    }
    return false;
}

// The folder's resources in deposit order as zero-filled factory-made records holding
// resId, resType and the bounded name; the client frees them with FreeCrowdResList.
// False only when no sequence is filed under the folder (or `head` is null).
bool CrowdData::GetCrowdResList(int folderId, CROWD_RES** head) const {
    if (head == nullptr) return false;
    auto resources = m_mapCrowdRes.find(folderId);
    if (resources == m_mapCrowdRes.end()) return false;
    ListAppender<CROWD_RES> list(head);
    for (const CROWD_RES& resource : resources->second) {
        CROWD_RES* record = of_newCrowdRes();
        if (record == nullptr) continue;
        std::memset(static_cast<void*>(record), 0, sizeof *record);
        record->resId = resource.resId;
        record->resType = resource.resType;
        CopyToField(record->name, FieldText(resource.name));
        list.Append(record);
    }
    return true;
}

// One zero-filled factory-made record per filing of the resource, in ascending folder
// id and then deposit order, holding the folder id and the folder's name (empty when no
// such folder was deposited); the client frees them with FreeCrowdFolderList. When the
// factory makes no record, the rest of that folder's sequence is passed over. True
// unless `head` is null.
bool CrowdData::GetCrowdFolderListByRes(int resType, int resId, CROWD_FOLDER** head) const {
    if (head == nullptr) return false;
    ListAppender<CROWD_FOLDER> list(head);
    for (const auto& [folderId, resources] : m_mapCrowdRes) {
        for (const CROWD_RES& resource : resources) {
            if (resource.resType != resType || resource.resId != resId) continue;
            CROWD_FOLDER* record = of_newCrowdFolder();
            if (record == nullptr) break;
            std::memset(static_cast<void*>(record), 0, sizeof *record);
            record->id = folderId;
            GetCrowdFolderByID(folderId, record);  // a miss keeps the empty name
            list.Append(record);
        }
    }
    return true;
}

void CrowdData::Clear() {
    m_vecCrowdFolder.clear();
    m_mapCrowdRes.clear();
}
