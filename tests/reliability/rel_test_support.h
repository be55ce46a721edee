// Helpers of the reliability tests, on top of the unit tests' own: channel records of
// the kinds the unit helpers lack, list taking for every kind, and the sentinel fill
// that shows whether a caller's record was written.
#ifndef VELLUM_TESTS_RELIABILITY_REL_TEST_SUPPORT_H
#define VELLUM_TESTS_RELIABILITY_REL_TEST_SUPPORT_H

#include <cstring>
#include <string>
#include <vector>

#include "chan_test_support.h"
#include "org_test_support.h"
#include "store/DataOper.h"
#include "store_test_support.h"

namespace rel_test {

using chan_test::Camera;
using chan_test::Org;
using org_test::Folder;
using org_test::Linked;
using org_test::SetText;
using org_test::TakeList;

// A cell, any identifier allowed (INT_MIN and INT_MAX included).
inline CELL_INFO Cell(int32_t id, int32_t parentId, const std::string& indexCode,
                      int32_t cellType = 1, int32_t sortOrder = 0, int32_t ownerId = 0) {
    CELL_INFO cell;
    std::memset(&cell, 0, sizeof cell);
    cell.id = id;
    cell.parentId = parentId;
    SetText(cell.indexCode, indexCode);
    SetText(cell.name, "cell " + indexCode);
    cell.sortOrder = sortOrder;
    cell.cellType = cellType;
    cell.ownerId = ownerId;
    return cell;
}

inline IO_INFO Io(int32_t id, int32_t cellId, const std::string& code) {
    IO_INFO io;
    std::memset(&io, 0, sizeof io);
    io.ID = id;
    io.DEVID = id + 1;
    io.CELLID = cellId;
    SetText(io.INDEXCODE, code);
    SetText(io.IONAME, "io " + code);
    return io;
}

inline DEVICE_INFO Device(int32_t id, const std::string& code,
                          const std::string& userName = "operator",
                          const std::string& password = "secret") {
    DEVICE_INFO device;
    std::memset(&device, 0, sizeof device);
    device.ID = id;
    SetText(device.DEVNAME, "device " + code);
    SetText(device.INDEXCODE, code);
    SetText(device.IP, "10.0.0.1");
    device.PORT = 8000 + id;
    SetText(device.USERNAME, userName);
    SetText(device.PASSWORD, password);
    device.DEVTYPE = 1;
    return device;
}

inline TALK_CHANNEL Talk(int32_t id, int32_t cellId, const std::string& code) {
    TALK_CHANNEL talk;
    std::memset(&talk, 0, sizeof talk);
    talk.ID = id;
    talk.CHANNELNO = id + 2;
    talk.DEVID = id + 1;
    talk.CELLID = cellId;
    SetText(talk.INDEXCODE, code);
    SetText(talk.TALKNAME, "talk " + code);
    return talk;
}

// A record filled with a pattern, so a test can tell whether the store wrote it.
constexpr unsigned char kUntouched = 0xA5;

template <class Record>
Record Sentinel() {
    Record record;
    std::memset(static_cast<void*>(&record), kUntouched, sizeof record);
    return record;
}

template <class Record>
bool IsUntouched(const Record& record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i)
        if (bytes[i] != kUntouched) return false;
    return true;
}

// The identifiers of a handed-out list, freeing it as the client does and nulling
// the head for the next query.
template <class Record, class Key>
std::vector<int32_t> KeysOf(Record*& head, Key key) {
    std::vector<int32_t> keys;
    for (const Record& record : TakeList(head)) keys.push_back(key(record));
    head = nullptr;
    return keys;
}

inline std::vector<int32_t> CameraIds(CAMERA_INFO*& head) {
    return KeysOf(head, [](const CAMERA_INFO& r) { return r.ID; });
}
inline std::vector<int32_t> TalkIds(TALK_CHANNEL*& head) {
    return KeysOf(head, [](const TALK_CHANNEL& r) { return r.ID; });
}
inline std::vector<int32_t> IoIds(IO_INFO*& head) {
    return KeysOf(head, [](const IO_INFO& r) { return r.ID; });
}

// Consecutive identifiers from `first`, `count` of them.
inline std::vector<int32_t> Range(int32_t first, int32_t count) {
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < count; ++i) ids.push_back(first + i);
    return ids;
}

}  // namespace rel_test

#endif  // VELLUM_TESTS_RELIABILITY_REL_TEST_SUPPORT_H
