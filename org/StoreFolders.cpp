// Storage folders: deposits, children of a folder, one folder by id, rename, name check,
// and deletion with every descendant and the resource collections filed under them.
#include "org/StoreCatalog.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <unordered_map>
#include <vector>

#include "libs/objfactory/ObjFactory.h"
#include "org/ListCopy.h"

namespace {

// A renamed folder keeps at most this many characters, then a terminator.
constexpr std::size_t kRenameMaxChars = 258;

}  // namespace

// Copies every record; a record replaces the cached folder of its id.
void StoreCatalog::SetStoreFolderList(const STORE_FOLDER* list) {
    for (const STORE_FOLDER* folder = list; folder != nullptr; folder = folder->next)
        m_mapStoreFolder[folder->id] = *folder;
}

// Lists the direct children of `parentId` as factory-made records, in (sortIndex, id)
// order; the client frees them with FreeStoreFolderList. True when *head holds a list.
bool StoreCatalog::GetStoreFolderList(STORE_FOLDER** head, int parentId) const {
    if (head == nullptr) return false;
    std::vector<const STORE_FOLDER*> children;
    for (const auto& [id, folder] : m_mapStoreFolder)
        if (folder.parentId == parentId) children.push_back(&folder);
    // The map walk is in ascending id, so a stable sort by sortIndex gives (sortIndex, id).
    std::stable_sort(
        children.begin(), children.end(),
        [](const STORE_FOLDER* a, const STORE_FOLDER* b) { return a->sortIndex < b->sortIndex; });
    ListAppender<STORE_FOLDER> list(head);
    for (const STORE_FOLDER* folder : children) AppendCopy(list, of_newStoreFolder(), *folder);
    return list.HasRecords();
}

// Fills the caller's record with a null next. A miss, or a null `out`, writes nothing.
bool StoreCatalog::GetStoreFolderByID(STORE_FOLDER* out, int id) const {
    if (out == nullptr) return false;
    auto folder = m_mapStoreFolder.find(id);
    if (folder == m_mapStoreFolder.end()) return false;
    CopyRecordOut(out, folder->second);
    return true;
}

// Removes the folder, then level by level every folder below it, each with the resource
// collection filed under its id. A folder id that is not cached removes nothing. A
// cycle in the parent links ends: a folder is removed before its children are sought.
void StoreCatalog::DeleteStoreFolder(int id) {
    if (m_mapStoreFolder.erase(id) == 0) return;
    EraseStoreResCollection(id);

    // Children by parent, each in ascending id; parent links do not change during the
    // removal, so one pass replaces a scan per removed folder.
    std::unordered_map<int32_t, std::vector<int32_t>> childrenOf;
    for (const auto& [folderId, folder] : m_mapStoreFolder)
        childrenOf[folder.parentId].push_back(folderId);

    std::deque<int32_t> pending{id};
    while (!pending.empty()) {
        auto children = childrenOf.find(pending.front());
        pending.pop_front();
        if (children == childrenOf.end()) continue;
        for (int32_t child : children->second) {
            if (m_mapStoreFolder.erase(child) == 0) continue;  // already removed on a cycle
            EraseStoreResCollection(child);
            pending.push_back(child);
        }
    }
}

// Stores at most 258 characters of `name` and a terminator. False, changing nothing,
// when the folder is not cached or `name` is null.
bool StoreCatalog::RenameStoreFolder(const char* name, int id) {
    if (name == nullptr) return false;
    auto folder = m_mapStoreFolder.find(id);
    if (folder == m_mapStoreFolder.end()) return false;
    std::size_t length = 0;
    while (length < kRenameMaxChars && name[length] != '\0') ++length;
    std::memcpy(folder->second.name, name, length);
    folder->second.name[length] = '\0';
    return true;
}

// Whether a cached folder other than `id` bears exactly this name, wherever it stands.
bool StoreCatalog::IsStoreFolderNameExist(const char* name, int id) const {
    if (name == nullptr) return false;
    for (const auto& [folderId, folder] : m_mapStoreFolder)
        if (folderId != id && FieldText(folder.name) == name) return true;
    return false;
}
