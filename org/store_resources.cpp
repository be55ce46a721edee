// Storage resources: collections filed by folder id and keyed by index code; deposits,
// listings, counts, look-ups across folders, single deletes and the clearing of both
// storage caches. Every operation holds m_lock.
#include <algorithm>
#include <vector>

#include "libs/objfactory/ObjFactory.h"
#include "org/ListCopy.h"
#include "store/DataOper.h"

namespace {

using ResourceMap = std::map<int32_t, std::map<std::string, STORE_RES>>;

// The first record, in ascending folder id, with this index code and type. Within one
// collection the index code is unique, so each folder needs one keyed look-up.
const STORE_RES* FindResource(const ResourceMap& folders, const char* indexCode, int resType) {
    const std::string code(indexCode);
    for (const auto& [folderId, resources] : folders) {
        auto resource = resources.find(code);
        if (resource != resources.end() && resource->second.resType == resType)
            return &resource->second;
    }
    return nullptr;
}

}  // namespace

// Files every record of the list under the first record's folderId, each under its own
// index code, replacing an earlier copy of that code there. False for a null list.
bool CDataOper::SetStoreResList(const STORE_RES* list) {
    StoreLock lock(&m_lock);
    if (list == nullptr) return false;
    std::map<std::string, STORE_RES>& resources = m_mapStoreRes[list->folderId];
    for (const STORE_RES* resource = list; resource != nullptr; resource = resource->next)
        resources[FieldText(resource->indexCode)] = *resource;
    return true;
}

// Removes the entry of this index code from the folder's collection, if both exist.
void CDataOper::DeleteStoreRes(const char* indexCode, int folderId) {
    StoreLock lock(&m_lock);
    if (indexCode == nullptr) return;
    auto resources = m_mapStoreRes.find(folderId);
    if (resources != m_mapStoreRes.end()) resources->second.erase(indexCode);
}

// Every entry filed under the folder, whatever its own folderId.
int CDataOper::GetStoreResCount(int folderId) {
    StoreLock lock(&m_lock);
    auto resources = m_mapStoreRes.find(folderId);
    return resources == m_mapStoreRes.end() ? 0 : static_cast<int>(resources->second.size());
}

// Fills the caller's record with a null next. A miss, or a null argument, writes nothing.
bool CDataOper::GetStoreResByIndexCode(STORE_RES* out, const char* indexCode, int resType) {
    StoreLock lock(&m_lock);
    if (out == nullptr || indexCode == nullptr) return false;
    const STORE_RES* resource = FindResource(m_mapStoreRes, indexCode, resType);
    if (resource == nullptr) return false;
    CopyRecordOut(out, *resource);
    return true;
}

// Lists the resources filed under the folder whose own folderId is that folder, in
// (sortIndex, resId) order, ties in index-code order, as factory-made records the client
// frees with FreeStoreResList. True when *head holds a list.
bool CDataOper::GetStoreResList(STORE_RES** head, int folderId) {
    StoreLock lock(&m_lock);
    if (head == nullptr) return false;
    std::vector<const STORE_RES*> listed;
    auto resources = m_mapStoreRes.find(folderId);
    if (resources != m_mapStoreRes.end()) {
        for (const auto& [code, resource] : resources->second)
            if (resource.folderId == folderId) listed.push_back(&resource);
    }
    std::stable_sort(listed.begin(), listed.end(), [](const STORE_RES* a, const STORE_RES* b) {
        if (a->sortIndex != b->sortIndex) return a->sortIndex < b->sortIndex;
        return a->resId < b->resId;
    });
    ListAppender<STORE_RES> list(head);
    for (const STORE_RES* resource : listed) AppendCopy(list, of_newStoreRes(), *resource);
    return list.HasRecords();
}

bool CDataOper::IsStoreResExist(const char* indexCode, int resType) {
    StoreLock lock(&m_lock);
    return indexCode != nullptr && FindResource(m_mapStoreRes, indexCode, resType) != nullptr;
}

// Empties the resource cache, then the folder cache.
void CDataOper::ClearStoreData() {
    StoreLock lock(&m_lock);
    m_mapStoreRes.clear();
    m_mapStoreFolder.clear();
}
