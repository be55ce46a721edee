// Turns the fuzzer's bytes into operation codes, identifiers, text arguments and host
// records. Reading past the end yields zero bytes, so every input is a whole program.
#ifndef VELLUM_FUZZ_FUZZINPUT_H
#define VELLUM_FUZZ_FUZZINPUT_H

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "vellum/records.h"

namespace vellum_fuzz {

// The most records one deposit carries, and the longest text argument; both keep an
// execution short.
constexpr std::size_t kMaxRecords = 8;
constexpr std::size_t kLongText = 5000;

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, std::size_t size) : m_data(data), m_left(size) {}

    bool Empty() const { return m_left == 0; }

    uint8_t Byte() {
        if (m_left == 0) return 0;
        --m_left;
        return *m_data++;
    }

    void Bytes(void* out, std::size_t count) {
        const std::size_t taken = count < m_left ? count : m_left;
        std::memcpy(out, m_data, taken);
        std::memset(static_cast<char*>(out) + taken, 0, count - taken);
        m_data += taken;
        m_left -= taken;
    }

    // Mostly 0 to 15, so that deposits and look-ups meet; sometimes an extreme or any
    // 32-bit value.
    int32_t Id() {
        const uint8_t selector = Byte();
        if (selector < 0xF0) return selector & 0x0F;
        switch (selector) {
            case 0xF0:
                return INT_MIN;
            case 0xF1:
                return INT_MAX;
            case 0xF2:
                return -1;
            default: {
                uint32_t raw = 0;
                Bytes(&raw, sizeof raw);
                return static_cast<int32_t>(raw);
            }
        }
    }

    // A fixed-width field: a length byte, then that many bytes (NUL included), the
    // rest zero; 0xFF fills the whole width with non-zero bytes, leaving it unterminated.
    template <std::size_t N>
    void Field(char (&field)[N]) {
        std::memset(field, 0, N);
        const uint8_t length = Byte();
        if (length == 0xFF) {
            for (std::size_t i = 0; i < N; ++i) {
                const uint8_t b = Byte();
                field[i] = static_cast<char>(b != 0 ? b : 'x');
            }
            return;
        }
        Bytes(field, length < N ? length : N);
    }

    // A NUL-terminated text argument: a length byte, then that many bytes (the first
    // NUL ends the text); 0xFF gives kLongText copies of the next byte.
    std::string Text() {
        const uint8_t length = Byte();
        std::string text;
        if (length == 0xFF) {
            const uint8_t b = Byte();
            text.assign(kLongText, static_cast<char>(b != 0 ? b : ','));
        } else {
            text.resize(length);
            Bytes(&text[0], length);
        }
        return text.substr(0, text.find('\0'));
    }

    // 0 to kMaxRecords host records, linked in order. A record is raw bytes up to its
    // `next`, or built field by field by `fill` (identifiers that meet, texts of any
    // shape).
    template <class Record>
    std::vector<Record> Records(void (*fill)(FuzzInput&, Record&)) {
        std::vector<Record> records(Byte() % (kMaxRecords + 1));
        for (Record& record : records) {
            std::memset(static_cast<void*>(&record), 0, sizeof record);
            if (Byte() & 0x80)
                Bytes(&record, offsetof(Record, next));
            else
                fill(*this, record);
        }
        for (std::size_t i = 0; i < records.size(); ++i)
            records[i].next = i + 1 < records.size() ? &records[i + 1] : nullptr;
        return records;
    }

private:
    const uint8_t* m_data;
    std::size_t m_left;
};

// The head of a list built by Records, or null for none.
template <class Record>
const Record* Head(const std::vector<Record>& records) {
    return records.empty() ? nullptr : &records[0];
}

}  // namespace vellum_fuzz

#endif  // VELLUM_FUZZ_FUZZINPUT_H
