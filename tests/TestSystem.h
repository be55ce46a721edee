// What the test support needs from the operating system, the same on both builds.
#ifndef VELLUM_TESTS_TESTSYSTEM_H
#define VELLUM_TESTS_TESTSYSTEM_H

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace vellum_test {

inline std::string ProgramPath() {
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
#else
    return std::filesystem::canonical("/proc/self/exe").string();
#endif
}

// Whether this process runs under Wine on qemu's user-mode emulator (scripts/wine-run.sh
// says so). There a program that starts threads crashes at random, and two Windows
// programs at once have hung: tests that need threads or a second program skip.
inline bool RunsUnderEmulatedWine() { return std::getenv("VELLUM_WINE_EMULATED") != nullptr; }

inline int ProcessId() {
#if defined(_WIN32)
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

// Entries in this process's descriptor (or handle) table.
inline std::size_t OpenHandleCount() {
#if defined(_WIN32)
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
#else
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
#endif
}

// An exclusive lock on the file at `path` (created when missing), held while it lives.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
#if defined(_WIN32)
        m_handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        OVERLAPPED whole{};
        m_locked = m_handle != INVALID_HANDLE_VALUE &&
                   LockFileEx(m_handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole);
#else
        m_handle = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        m_locked = m_handle >= 0 && ::flock(m_handle, LOCK_EX) == 0;
#endif
        EXPECT_TRUE(m_locked) << "cannot lock " << path;
    }
    ~FileLock() {  // closing drops the lock
#if defined(_WIN32)
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
#else
        if (m_handle >= 0) ::close(m_handle);
#endif
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
#if defined(_WIN32)
    HANDLE m_handle;
#else
    int m_handle;
#endif
    bool m_locked;
};

}  // namespace vellum_test

#endif  // VELLUM_TESTS_TESTSYSTEM_H
