// Secure random bytes from the Win32 cryptography provider: a verify-only context of
// the default RSA provider, no key container.
#include <windows.h>
#include <wincrypt.h>

#include "platform/fault/FaultPoint.h"
#include "platform/platform.h"

namespace vellum::platform {

bool RandomBytes(void* buffer, std::size_t size) {
    if (fault::Random().Hit("RandomBytes")) return false;
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return false;
    const bool filled = size <= MAXDWORD && CryptGenRandom(provider, static_cast<DWORD>(size),
                                                           static_cast<BYTE*>(buffer)) != FALSE;
    CryptReleaseContext(provider, 0);  // whether or not the bytes came
    return filled;
}

}  // namespace vellum::platform
