// The storage folders and the resource collections filed under them, with the index
// from an index code to the folders holding it. Folders and resources are one
// component because deleting a folder removes the collections filed under it and
// everything below it.
//
// Not locked itself: the owner (CDataOper) holds its instance lock around every call.
// Invariant: m_mapStoreResFolders[code] holds exactly the folders whose collection in
// m_mapStoreRes has an entry under `code`.
#ifndef VELLUM_ORG_STORECATALOG_H
#define VELLUM_ORG_STORECATALOG_H

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>

#include "vellum/records.h"

class StoreCatalog {
public:
    void SetStoreFolderList(const STORE_FOLDER* list);
    bool GetStoreFolderList(STORE_FOLDER** head, int parentId) const;
    bool GetStoreFolderByID(STORE_FOLDER* out, int id) const;
    void DeleteStoreFolder(int id);
    bool RenameStoreFolder(const char* name, int id);
    bool IsStoreFolderNameExist(const char* name, int id) const;

    bool SetStoreResList(const STORE_RES* list);
    void DeleteStoreRes(const char* indexCode, int folderId);
    int GetStoreResCount(int folderId) const;
    bool GetStoreResByIndexCode(STORE_RES* out, const char* indexCode, int resType) const;
    bool GetStoreResList(STORE_RES** head, int folderId) const;
    bool IsStoreResExist(const char* indexCode, int resType) const;
    void ClearStoreData();

private:
    // Removes the resource collection filed under `folderId`, and its index entries.
    void EraseStoreResCollection(int32_t folderId);

    std::map<int32_t, STORE_FOLDER> m_mapStoreFolder;
    std::map<int32_t, std::map<std::string, STORE_RES>> m_mapStoreRes;
    // For each index code, the folders whose collection holds it, ascending.
    std::unordered_map<std::string, std::set<int32_t>> m_mapStoreResFolders;
};

#endif  // VELLUM_ORG_STORECATALOG_H
