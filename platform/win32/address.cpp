// Addresses as the Windows C runtime's "%p" writes them: upper-case hexadecimal, as
// many digits as a pointer has nibbles (eight on 32-bit Windows), no "0x". MinGW's
// own printf writes lower case, so the digits are made here.
#include <cstdint>

#include "platform/platform.h"

namespace vellum::platform {

std::string AddressText(const void* address) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    auto value = reinterpret_cast<std::uintptr_t>(address);
    std::string text(sizeof value * 2, '0');
    for (auto at = text.rbegin(); at != text.rend(); ++at, value >>= 4) *at = kDigits[value & 0xF];
    return text;
}

}  // namespace vellum::platform
