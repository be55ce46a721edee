// Reading and writing the fixed-width text fields of host records. A field is read
// up to its first NUL or its full width, whichever comes first, so a host record
// that lacks a terminator is never read past its field. Writes cut to the width
// less one and always terminate.
#ifndef VELLUM_LIBS_RECORDS_RECORDTEXT_H
#define VELLUM_LIBS_RECORDS_RECORDTEXT_H

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

template <std::size_t N>
std::string_view FieldView(const char (&field)[N]) {
    const void* end = std::memchr(field, '\0', N);
    return std::string_view(field, end ? static_cast<const char*>(end) - field : N);
}

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(FieldView(field));
}

template <std::size_t N>
void CopyToField(char (&field)[N], const std::string& text) {
    std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// Whole-record copy for handing a stored record out: `next` is always null.
template <class Record>
void CopyRecordOut(Record* out, const Record& stored) {
    std::memcpy(static_cast<void*>(out), &stored, sizeof(Record));
    out->next = nullptr;
}

#endif  // VELLUM_LIBS_RECORDS_RECORDTEXT_H
