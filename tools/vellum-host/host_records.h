// Site values into the module's host records, and helpers for the linked lists that
// cross the interface in both directions.
#ifndef VELLUM_TOOLS_HOST_HOST_RECORDS_H
#define VELLUM_TOOLS_HOST_HOST_RECORDS_H

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "site.h"
#include "vellum/records.h"

// Copies `text` into a fixed field, cut to the field's width less one and terminated.
template <std::size_t N>
void PutText(char (&field)[N], const std::string& text) {
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// The text of a fixed field: up to its NUL, or its whole width when there is none.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    const void* end = std::memchr(field, '\0', N);
    return std::string(field, end != nullptr ? static_cast<const char*>(end) - field : N);
}

// Each fills a whole zeroed record from a site value; `next` stays null.
void FillRecord(const SiteCell& cell, CELL_INFO& record);
void FillRecord(const SiteDevice& device, DEVICE_INFO& record);
void FillRecord(const SiteCamera& camera, CAMERA_INFO& record);
void FillRecord(const SiteIoChannel& io, IO_INFO& record);
void FillRecord(const SiteTalkChannel& talk, TALK_CHANNEL& record);
void FillRecord(const SiteStoreFolder& folder, STORE_FOLDER& record);
void FillStoreRes(const SiteStoreFolder& folder, const SiteStoreResource& resource,
                  STORE_RES& record);
// viewData, nodeData and resData are the host's own: this host packs an id and a name
// into the first two (as in CROWD_FOLDER), and the camera's index code into the last.
void FillRecord(const SiteView& view, CUSTOM_VIEW& record);
void FillViewNode(const SiteView& view, const SiteViewNode& node, CUSTOM_VIEW_ORG& record);
void FillViewRes(const SiteViewNode& node, const SiteViewResource& resource,
                 const std::string& cameraIndexCode, CUSTOM_VIEW_RES& record);
void FillRecord(const SiteCrowdFolder& folder, CROWD_FOLDER& record);
void FillRecord(const SiteCrowdResource& resource, CROWD_RES& record);

// The id packed into viewData or nodeData by FillRecord and FillViewNode.
int32_t PackedId(const unsigned char (&data)[264]);

// A run of zeroed records linked in order, owned by the host.
template <class Record>
class RecordList {
public:
    explicit RecordList(std::size_t count) : m_records(count) {
        std::memset(static_cast<void*>(m_records.data()), 0, count * sizeof(Record));
    }
    Record& operator[](std::size_t i) { return m_records[i]; }
    std::size_t size() const { return m_records.size(); }
    // Links the records in order and returns the head (null when empty).
    Record* Link() {
        for (std::size_t i = 0; i + 1 < m_records.size(); ++i)
            m_records[i].next = &m_records[i + 1];
        return m_records.empty() ? nullptr : m_records.data();
    }

private:
    std::vector<Record> m_records;
};

// A list the module handed out: freed on destruction through the instance table's
// matching function, as the client must.
template <class Record>
class HandedList {
public:
    using FreeFunction = void (*)(Record*);
    explicit HandedList(FreeFunction free) : m_free(free) {}
    ~HandedList() { m_free(m_head); }
    HandedList(const HandedList&) = delete;
    HandedList& operator=(const HandedList&) = delete;

    Record** Out() { return &m_head; }
    const Record* Head() const { return m_head; }
    std::size_t Size() const {
        std::size_t size = 0;
        for (const Record* r = m_head; r != nullptr; r = r->next) ++size;
        return size;
    }

private:
    FreeFunction m_free;
    Record* m_head = nullptr;
};

#endif  // VELLUM_TOOLS_HOST_HOST_RECORDS_H
