// Building host lists and taking the lists the store hands out, for the organisation tests.
#ifndef VELLUM_TESTS_UNIT_ORG_TEST_SUPPORT_H
#define VELLUM_TESTS_UNIT_ORG_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "vellum/records.h"

namespace org_test {

// Links the records in vector order, as a client list; returns the head (null if empty).
template <class Record>
Record* Linked(std::vector<Record>& records) {
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].next = i + 1 < records.size() ? &records[i + 1] : nullptr;
    return records.empty() ? nullptr : &records[0];
}

// Copies every record of a handed-out list and frees it record by record with the
// global operator delete, as the list-freeing functions do.
template <class Record>
std::vector<Record> TakeList(Record* head) {
    std::vector<Record> copies;
    while (head != nullptr) {
        Record* next = head->next;
        copies.push_back(*head);
        ::operator delete(head);
        head = next;
    }
    return copies;
}

// A list query's records, taken as TakeList does; its result must say whether any came.
template <class Record, class Query>
std::vector<Record> Listed(Query query) {
    Record* head = nullptr;
    const bool found = query(&head);
    std::vector<Record> records = TakeList(head);
    EXPECT_EQ(found, !records.empty());
    return records;
}

template <class Record>
std::vector<int> Ids(const std::vector<Record>& records) {
    std::vector<int> ids;
    for (const Record& record : records) ids.push_back(record.id);
    return ids;
}

template <class Record>
Record Zeroed() {
    Record record;
    std::memset(static_cast<void*>(&record), 0, sizeof record);
    return record;
}

template <std::size_t N>
void SetText(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

inline CELL_INFO Cell(int32_t id, int32_t parentId, const std::string& indexCode,
                      int32_t cellType = 1, int32_t sortOrder = 0, int32_t ownerId = 0) {
    auto cell = Zeroed<CELL_INFO>();
    cell.id = id;
    cell.parentId = parentId;
    SetText(cell.indexCode, indexCode);
    SetText(cell.name, "cell " + indexCode);
    cell.sortOrder = sortOrder;
    cell.cellType = cellType;
    cell.ownerId = ownerId;
    cell.reserved = static_cast<int32_t>(static_cast<uint32_t>(id) * 7u);  // wraps for large ids
    return cell;
}

// STORE_FOLDER and STORE_RES have no padding, so braced records compare whole.
inline STORE_FOLDER Folder(int32_t id, int32_t parentId, const std::string& name,
                           int32_t sortIndex = 0) {
    STORE_FOLDER folder{id, parentId, sortIndex, {}, nullptr};
    SetText(folder.name, name);
    return folder;
}

inline STORE_RES Resource(int32_t folderId, const std::string& indexCode, int32_t resType = 1,
                          int32_t sortIndex = 0, int32_t resId = 0) {
    STORE_RES resource{resId + 1000, folderId, resType, resId, sortIndex, {}, nullptr};
    SetText(resource.indexCode, indexCode);
    return resource;
}

// Whether two records are equal byte for byte up to their `next`.
template <class Record>
bool SameRecord(const Record& a, const Record& b) {
    return std::memcmp(&a, &b, offsetof(Record, next)) == 0;
}

template <class Record>
bool SameRecords(const std::vector<Record>& a, const std::vector<Record>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameRecord<Record>);
}

}  // namespace org_test

#endif  // VELLUM_TESTS_UNIT_ORG_TEST_SUPPORT_H
