// Small helpers the session's query phases share: reading ids off handed-out lists,
// describing id sequences in failure messages, and recognising untouched records.
#ifndef VELLUM_TOOLS_HOST_SESSION_SUPPORT_H
#define VELLUM_TOOLS_HOST_SESSION_SUPPORT_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The values of `field` along a handed-out list, read before it is freed.
template <class Record, class Field>
std::vector<int32_t> ListValues(const Record* head, Field field) {
    std::vector<int32_t> values;
    for (const Record* r = head; r != nullptr; r = r->next) values.push_back(field(*r));
    return values;
}

// "[3, 5, 8]", cut after eight ids.
inline std::string IdText(const std::vector<int32_t>& ids) {
    std::string text = "[";
    for (std::size_t i = 0; i < ids.size() && i < 8; ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(ids[i]);
    if (ids.size() > 8) text += ", ... (" + std::to_string(ids.size()) + " in all)";
    return text + "]";
}

inline std::string ListMismatch(const std::string& call, const std::vector<int32_t>& got,
                                const std::vector<int32_t>& expected) {
    return call + ": listed " + IdText(got) + ", expected " + IdText(expected);
}

// A record filled with a marker byte before a look-up that should miss, so that the
// check can tell whether the module wrote to it.
template <class Record>
struct MarkedRecord {
    static constexpr unsigned char kMarker = 0xA5;
    Record record;
    MarkedRecord() { std::memset(static_cast<void*>(&record), kMarker, sizeof record); }
    bool Untouched() const {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
        for (std::size_t i = 0; i < sizeof record; ++i)
            if (bytes[i] != kMarker) return false;
        return true;
    }
};

#endif  // VELLUM_TOOLS_HOST_SESSION_SUPPORT_H
