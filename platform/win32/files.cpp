// File removal and the exclusive claim on a private scratch file, the Win32 way:
// - created new (CREATE_NEW) with a protected DACL granting the current user alone;
// - never through a symbolic link or other reparse point: the claim opens the reparse
//   point itself (FILE_FLAG_OPEN_REPARSE_POINT), and a name that exists is never
//   opened for use, only examined for removal;
// - held open without delete sharing while claimed, so no process can delete or
//   rename it, and any other claimant's exclusive open fails: it is not abandoned;
// - a file at the path that nobody holds open (its process ended) is deleted through
//   a handle that shares nothing, then made anew.
#include <windows.h>

#include <vector>

#include "platform/platform.h"

namespace vellum::platform {

const char* const kUnlockedSqliteVfs = "win32-none";

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

namespace {

// What the claim shares: exactly what the storage's own connection to the file needs
// (it opens it for reading and writing, sharing both). Never FILE_SHARE_DELETE.
constexpr DWORD kClaimSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

// A security descriptor whose protected DACL (nothing inherited from the folder)
// allows the current user everything and everyone else nothing.
class OwnerOnlyAccess {
public:
    bool Build() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        m_user.resize(size);
        const bool known =
            size != 0 && GetTokenInformation(token, TokenUser, m_user.data(), size, &size);
        CloseHandle(token);
        if (!known) return false;
        PSID user = reinterpret_cast<TOKEN_USER*>(m_user.data())->User.Sid;
        const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user);
        m_acl.resize(aclSize);
        ACL* acl = reinterpret_cast<ACL*>(m_acl.data());
        return InitializeAcl(acl, aclSize, ACL_REVISION) &&
               AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, user) &&
               InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
               SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE) &&
               SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    }

    SECURITY_ATTRIBUTES* Attributes() {
        m_attributes = {sizeof m_attributes, &m_descriptor, FALSE};
        return &m_attributes;
    }

private:
    std::vector<unsigned char> m_user;  // TOKEN_USER, with the SID it points into
    std::vector<unsigned char> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
};

enum class Stale { Removed, Held, Refused };

// The file already at `path`: removes it when no process holds it open. A reparse
// point, a folder or anything but a plain file is refused and left alone.
Stale RemoveAbandoned(const std::string& path) {
    // Sharing nothing: this open fails while any other handle to the file exists.
    HANDLE handle = CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return Stale::Removed;  // gone meanwhile
        return error == ERROR_SHARING_VIOLATION ? Stale::Held : Stale::Refused;
    }
    Stale result = Stale::Refused;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0) {
        // Marked for deletion through our own handle: it goes when the handle closes.
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                       sizeof disposition))
            result = Stale::Removed;
    }
    CloseHandle(handle);
    return result;
}

}  // namespace

bool ScratchFile::Claim(const std::string& path) {
    Release();
    OwnerOnlyAccess access;
    if (!access.Build()) return false;
    // A few rounds cover another claimant making the file between our steps; a path
    // that keeps changing under us is given up.
    for (int round = 0; round < 4; ++round) {
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kClaimSharing,
                                    access.Attributes(), CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_handle = reinterpret_cast<std::intptr_t>(handle);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
        if (RemoveAbandoned(path) != Stale::Removed) return false;
    }
    return false;
}

void ScratchFile::Release() {
    if (m_handle == kNoHandle) return;
    CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = kNoHandle;
}

}  // namespace vellum::platform
