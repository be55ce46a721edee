// The cipher for text columns: authenticated encryption under the instance's 32-byte
// key. The enciphered form is text (base64 of nonce and ciphertext), so it survives
// being stored and read back as a text value.
#ifndef VELLUM_LIBS_CIPHER_CIPHER_H
#define VELLUM_LIBS_CIPHER_CIPHER_H

#include <string>

// Enciphers `plain` into *out. On failure *out is left as it was (callers pre-fill it
// with the plain text). `key` is used as 32 bytes; `flags` must be 0. 0 on success.
int Encrypt(const char* plain, std::string* out, const std::string* key, int flags);

// Deciphers *in into *out. A text that does not decode or authenticate under `key`
// leaves *out as it was. 0 on success.
int Decrypt(const std::string* in, std::string* out, const std::string* key, int flags);

#endif  // VELLUM_LIBS_CIPHER_CIPHER_H
