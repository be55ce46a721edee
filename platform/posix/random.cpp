// Secure random bytes from the kernel's getrandom(2).
#include <sys/random.h>

#include <cerrno>

#include "platform/fault/FaultPoint.h"
#include "platform/platform.h"

namespace vellum::platform {

bool RandomBytes(void* buffer, std::size_t size) {
    if (fault::Random().Hit("RandomBytes")) return false;
    ssize_t got;
    do {
        got = getrandom(buffer, size, 0);
    } while (got < 0 && errno == EINTR);
    // A short read leaves part of the buffer unrandomised: a failure, never a weak key.
    return got >= 0 && static_cast<std::size_t>(got) == size;
}

}  // namespace vellum::platform
