// The operating-system seam. Everything the module needs from the system goes through
// these functions; posix/ and win32/ implement them, and the build compiles one.
// Each call that can fail also consults its test fault point (platform/fault).
#ifndef VELLUM_PLATFORM_PLATFORM_H
#define VELLUM_PLATFORM_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace vellum::platform {

// The character that ends the module directory and joins file names to it.
extern const char kDirSeparator;

// The instance lock: recursive, so the thread that holds it may take it again.
// The system's lock object lives inside (no allocation, nothing that can fail).
class RecursiveLock {
public:
    RecursiveLock();
    ~RecursiveLock();
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void Lock();
    void Unlock();

private:
    void* Native() { return m_native; }
    alignas(8) unsigned char m_native[48];  // each implementation asserts its lock fits
};

// `address` as the system C runtime's "%p" writes it: on Windows eight upper-case
// hexadecimal digits (for a 32-bit address) without "0x".
std::string AddressText(const void* address);

// Fills `buffer` with `size` bytes from the system's secure random source.
// False on any failure or short read; the buffer is then unspecified.
bool RandomBytes(void* buffer, std::size_t size);

// Full path of the module file that contains this code; empty when unknown.
std::string ModuleFilePath();

// The integer under [section] key in the INI file at `path`. Section and key names
// match case-insensitively; the value is the leading signed decimal of the entry.
// `defaultValue` when the file, section or key is missing.
int ReadIniInt(const std::string& path, const char* section, const char* key, int defaultValue);

// Deletes the file at `path`. False when it could not be deleted.
bool RemoveFile(const std::string& path);

// Host code page <-> UTF-8. The host code page is the active code page on Windows;
// elsewhere the codeset of the current LC_CTYPE locale, taken as UTF-8 when that is
// plain ASCII. Characters that do not
// convert are replaced one by one. False (and `out` empty) only when the conversion
// itself is unavailable.
bool HostToUtf8(const char* text, std::string& out);
bool Utf8ToHost(const char* text, std::string& out);

// An exclusive claim on a private scratch file: created with owner-only access,
// never through a symbolic link (or other reparse point), and held until Release so
// that no other process treats it as abandoned or deletes it.
class ScratchFile {
public:
    ScratchFile() = default;
    ~ScratchFile() { Release(); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Claims `path`, creating it empty. A file already there that no live process
    // claims is abandoned: it is deleted and made anew, so its contents never come
    // back. False when the path is a symbolic link, another process holds a claim on
    // it, or it cannot be created.
    bool Claim(const std::string& path);

    // Drops the claim; the file stays. Harmless when nothing is claimed.
    void Release();

    bool IsClaimed() const { return m_handle != kNoHandle; }

private:
    // A file descriptor or a Windows HANDLE; -1 is invalid for both.
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t m_handle = kNoHandle;
};

// The name of SQLite's file layer that takes no file locks on this platform. A claimed
// scratch file has one writer, its instance, so locks would only cost.
extern const char* const kUnlockedSqliteVfs;

}  // namespace vellum::platform

#endif  // VELLUM_PLATFORM_PLATFORM_H
