// Storage resources: collections filed by folder id and keyed by index code; deposits,
// listings, counts, look-ups across folders, single deletes and the clearing of both
// storage caches.
#include "org/StoreCatalog.h"

#include <algorithm>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "libs/objfactory/ObjFactory.h"
#include "org/ListCopy.h"

namespace {

using ResourceMap = std::map<int32_t, std::map<std::string, STORE_RES>>;
using FoldersByCode = std::unordered_map<std::string, std::set<int32_t>>;

// The first record, in ascending folder id, with this index code and type. Only the
// folders that hold the code are visited; within one the code is unique.
const STORE_RES* FindResource(const ResourceMap& folders, const FoldersByCode& foldersByCode,
                              const char* indexCode, int resType) {
    auto holders = foldersByCode.find(indexCode);
    if (holders == foldersByCode.end()) return nullptr;
    for (int32_t folderId : holders->second) {
        auto resources = folders.find(folderId);
        if (resources == folders.end()) continue;
        auto resource = resources->second.find(holders->first);
        if (resource != resources->second.end() && resource->second.resType == resType)
            return &resource->second;
    }
    return nullptr;
}

void ForgetHolder(FoldersByCode& foldersByCode, const std::string& code, int32_t folderId) {
    auto holders = foldersByCode.find(code);
    if (holders == foldersByCode.end()) return;
    holders->second.erase(folderId);
    if (holders->second.empty()) foldersByCode.erase(holders);
}

}  // namespace

// Files every record of the list under the first record's folderId, each under its own
// index code, replacing an earlier copy of that code there. False for a null list.
bool StoreCatalog::SetStoreResList(const STORE_RES* list) {
    if (list == nullptr) return false;
    std::map<std::string, STORE_RES>& resources = m_mapStoreRes[list->folderId];
    for (const STORE_RES* resource = list; resource != nullptr; resource = resource->next) {
        std::string code = FieldText(resource->indexCode);
        m_mapStoreResFolders[code].insert(list->folderId);
        resources[std::move(code)] = *resource;
    }
    return true;
}

// Removes the entry of this index code from the folder's collection, if both exist.
void StoreCatalog::DeleteStoreRes(const char* indexCode, int folderId) {
    if (indexCode == nullptr) return;
    auto resources = m_mapStoreRes.find(folderId);
    if (resources != m_mapStoreRes.end() && resources->second.erase(indexCode) != 0)
        ForgetHolder(m_mapStoreResFolders, indexCode, folderId);
}

void StoreCatalog::EraseStoreResCollection(int32_t folderId) {
    auto resources = m_mapStoreRes.find(folderId);
    if (resources == m_mapStoreRes.end()) return;
    for (const auto& entry : resources->second)
        ForgetHolder(m_mapStoreResFolders, entry.first, folderId);
    m_mapStoreRes.erase(resources);
}

// Every entry filed under the folder, whatever its own folderId.
int StoreCatalog::GetStoreResCount(int folderId) const {
    auto resources = m_mapStoreRes.find(folderId);
    return resources == m_mapStoreRes.end() ? 0 : static_cast<int>(resources->second.size());
}

// Fills the caller's record with a null next. A miss, or a null argument, writes nothing.
bool StoreCatalog::GetStoreResByIndexCode(STORE_RES* out, const char* indexCode, int resType) const {
    if (out == nullptr || indexCode == nullptr) return false;
    const STORE_RES* resource =
        FindResource(m_mapStoreRes, m_mapStoreResFolders, indexCode, resType);
    if (resource == nullptr) return false;
    CopyRecordOut(out, *resource);
    return true;
}

// Lists the resources filed under the folder whose own folderId is that folder, in
// (sortIndex, resId) order, ties in index-code order, as factory-made records the client
// frees with FreeStoreResList. True when *head holds a list.
bool StoreCatalog::GetStoreResList(STORE_RES** head, int folderId) const {
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

bool StoreCatalog::IsStoreResExist(const char* indexCode, int resType) const {
    return indexCode != nullptr &&
           FindResource(m_mapStoreRes, m_mapStoreResFolders, indexCode, resType) != nullptr;
}

// Empties the resource cache, then the folder cache.
void StoreCatalog::ClearStoreData() {
    m_mapStoreRes.clear();
    m_mapStoreResFolders.clear();
    m_mapStoreFolder.clear();
}
