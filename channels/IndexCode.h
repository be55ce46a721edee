// The rule for index-code arguments of the look-ups: a code is bound exactly as given,
// and one longer than the 63 characters an index-code field holds matches nothing.
#ifndef VELLUM_CHANNELS_INDEXCODE_H
#define VELLUM_CHANNELS_INDEXCODE_H

#include <cstring>

// The characters an INDEXCODE field of a host record holds before its terminator.
constexpr std::size_t kIndexCodeMaxLength = 63;
// The longest code CheckCameraPrivilegeByIndexCode takes; a longer one is refused.
constexpr std::size_t kPrivilegeCodeMaxLength = 79;

// True when `code` (NUL-terminated) could be a stored index code. Codes that fail this,
// and a null code, are refused without a query: they cannot name a channel, and a
// caller that sends one gets "not found" rather than a look-up of some cut form of it.
inline bool FitsIndexCodeField(const char* code) {
    return code != nullptr && ::strnlen(code, kIndexCodeMaxLength + 1) <= kIndexCodeMaxLength;
}

#endif  // VELLUM_CHANNELS_INDEXCODE_H
