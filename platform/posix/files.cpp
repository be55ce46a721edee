// File removal and the exclusive claim on a private scratch file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace vellum::platform {

const char* const kUnlockedSqliteVfs = "unix-none";

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

namespace {

// True when `path` names, without following a link, the file open at `handle`.
bool PathStillNames(const std::string& path, int handle) {
    struct stat atPath {};
    struct stat held {};
    return lstat(path.c_str(), &atPath) == 0 && fstat(handle, &held) == 0 &&
           atPath.st_dev == held.st_dev && atPath.st_ino == held.st_ino;
}

// Takes the file open at `handle` exclusively, without waiting. The lock belongs to
// the open file description, so it lasts until the handle is closed or the process
// ends: a file whose lock can be taken is held by no live process.
bool LockExclusive(int handle) {
    int result;
    do {
        result = flock(handle, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

enum class Stale { Removed, Held, Refused };

// The file already at `path`: removes it when no live process holds it. A symbolic
// link, or anything but a regular file, is refused and left alone.
Stale RemoveAbandoned(const std::string& path) {
    int handle = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) return errno == ENOENT ? Stale::Removed : Stale::Refused;
    struct stat held {};
    Stale result = Stale::Refused;
    if (fstat(handle, &held) == 0 && S_ISREG(held.st_mode)) {
        if (!LockExclusive(handle)) {
            result = Stale::Held;
        } else if (PathStillNames(path, handle)) {
            // While we hold its lock no other claimant can take it over.
            result = unlink(path.c_str()) == 0 || errno == ENOENT ? Stale::Removed : Stale::Refused;
        } else {
            result = Stale::Removed;  // replaced meanwhile: look again
        }
    }
    close(handle);
    return result;
}

}  // namespace

bool ScratchFile::Claim(const std::string& path) {
    Release();
    // A few rounds cover another claimant replacing the file between our steps; a
    // path that keeps changing under us is given up.
    for (int round = 0; round < 4; ++round) {
        int handle = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (handle < 0) {
            if (errno != EEXIST) return false;
            if (RemoveAbandoned(path) != Stale::Removed) return false;
            continue;
        }
        // Exactly owner read and write, whatever the umask; then lock it. Between
        // creating and locking, another claimant could have taken the new file for
        // abandoned and removed it: then the path no longer names it, and we retry.
        if (fchmod(handle, S_IRUSR | S_IWUSR) == 0 && LockExclusive(handle) &&
            PathStillNames(path, handle)) {
            m_handle = handle;
            return true;
        }
        close(handle);
    }
    return false;
}

void ScratchFile::Release() {
    if (m_handle == kNoHandle) return;
    close(static_cast<int>(m_handle));  // drops the lock with the last reference
    m_handle = kNoHandle;
}

}  // namespace vellum::platform
