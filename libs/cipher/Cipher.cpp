// Encrypt/Decrypt over libsodium's secretbox (XSalsa20-Poly1305); the enciphered
// text is base64 (original alphabet, padded) of the nonce followed by the ciphertext.
#include "libs/cipher/Cipher.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kBase64 = sodium_base64_VARIANT_ORIGINAL;

// libsodium must be initialised once before use; a function-local static makes the
// first call do it exactly once, whichever thread comes first.
bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// The secretbox key for `key`: its bytes when it has exactly the key size, otherwise
// their generic-hash digest, so any key text (zero bytes included) gives a key.
class DerivedKey {
public:
    explicit DerivedKey(const std::string& key) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(key.data());
        if (key.size() == sizeof(m_key))
            std::copy(bytes, bytes + key.size(), m_key);
        else
            crypto_generichash(m_key, sizeof(m_key), bytes, key.size(), nullptr, 0);
    }
    ~DerivedKey() { sodium_memzero(m_key, sizeof(m_key)); }
    DerivedKey(const DerivedKey&) = delete;
    DerivedKey& operator=(const DerivedKey&) = delete;

    const unsigned char* Bytes() const { return m_key; }

private:
    unsigned char m_key[crypto_secretbox_KEYBYTES];
};

}  // namespace

int Encrypt(const char* plain, std::string* out, const std::string* key, int flags) {
    if (plain == nullptr || out == nullptr || key == nullptr || flags != 0 || !SodiumReady())
        return kFailure;
    const std::size_t plainSize = std::strlen(plain);
    std::vector<unsigned char> sealed(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES +
                                      plainSize);
    unsigned char* nonce = sealed.data();
    randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    DerivedKey derived(*key);
    if (crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES,
                              reinterpret_cast<const unsigned char*>(plain), plainSize, nonce,
                              derived.Bytes()) != 0)
        return kFailure;
    std::string text(sodium_base64_encoded_len(sealed.size(), kBase64), '\0');
    sodium_bin2base64(&text[0], text.size(), sealed.data(), sealed.size(), kBase64);
    text.resize(std::strlen(text.c_str()));  // the encoded length counts the terminator
    *out = std::move(text);
    return kSuccess;
}

int Decrypt(const std::string* in, std::string* out, const std::string* key, int flags) {
    if (in == nullptr || out == nullptr || key == nullptr || flags != 0 || !SodiumReady())
        return kFailure;
    std::vector<unsigned char> sealed(in->size() / 4 * 3 + 3);
    std::size_t sealedSize = 0;
    const char* end = nullptr;
    // The whole text must be base64: trailing characters mean it is something else.
    if (sodium_base642bin(sealed.data(), sealed.size(), in->data(), in->size(), nullptr,
                          &sealedSize, &end, kBase64) != 0 ||
        end != in->data() + in->size() ||
        sealedSize < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES)
        return kFailure;
    const unsigned char* nonce = sealed.data();
    const std::size_t boxSize = sealedSize - crypto_secretbox_NONCEBYTES;
    const std::size_t plainSize = boxSize - crypto_secretbox_MACBYTES;
    std::vector<unsigned char> plain(plainSize + 1);  // never empty: a real buffer to write
    DerivedKey derived(*key);
    if (crypto_secretbox_open_easy(plain.data(), nonce + crypto_secretbox_NONCEBYTES, boxSize,
                                   nonce, derived.Bytes()) != 0)
        return kFailure;
    out->assign(reinterpret_cast<const char*>(plain.data()), plainSize);
    return kSuccess;
}
