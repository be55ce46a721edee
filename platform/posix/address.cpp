// Addresses as the C library's "%p" writes them.
#include <cstdio>

#include "platform/platform.h"

namespace vellum::platform {

std::string AddressText(const void* address) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", address);
    return text;
}

}  // namespace vellum::platform
