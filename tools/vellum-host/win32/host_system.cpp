// host_system over Win32: LoadLibraryA, a directory under GetTempPathA, the file's
// access list, the C runtime's own "%p", the process memory counters.
#include "host_system.h"

#include <io.h>
#include <windows.h>

#include <psapi.h>  // after windows.h, whose types it uses
#include <sddl.h>

#include <cstdio>
#include <vector>

namespace host_system {

namespace {
std::string SystemError() { return "Windows error " + std::to_string(GetLastError()); }
}  // namespace

void* OpenLibrary(const std::string& path, std::string& error) {
    void* library = LoadLibraryA(path.c_str());
    if (library == nullptr) error = SystemError();
    return library;
}

void* FindSymbol(void* library, const char* name, std::string& error) {
    void* symbol = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
    if (symbol == nullptr) error = SystemError();
    return symbol;
}

bool CloseLibrary(void* library, std::string& error) {
    if (FreeLibrary(static_cast<HMODULE>(library))) return true;
    error = SystemError();
    return false;
}

std::string MakePrivateDirectory(std::string& error) {
    char base[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH) {
        error = "no temporary directory: " + SystemError();
        return {};
    }
    // A name already taken (a stale directory) is passed over, never reused. The
    // directory inherits the temporary directory's access, which is the user's own.
    for (unsigned serial = 0; serial < 1000; ++serial) {
        const std::string path = std::string(base) + "vellum-host." +
                                 std::to_string(GetCurrentProcessId()) + "." +
                                 std::to_string(serial);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path + '\\';
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    error = std::string("cannot create a directory under ") + base + ": " + SystemError();
    return {};
}

namespace {

// The SID of the user this process runs as, in `buffer`; null when it cannot be read.
PSID CurrentUser(std::vector<unsigned char>& buffer) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    buffer.resize(size);
    const bool known =
        size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    return known ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid : nullptr;
}

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text)) return "an unreadable SID";
    std::string result = text;
    LocalFree(text);
    return result;
}

}  // namespace

std::string OpenToOthers(const std::string& path) {
    // The module gives the file a protected list that allows its user alone.
    char descriptor[4096];
    DWORD needed = 0;
    if (!GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor,
                          &needed))
        return "an unreadable access list (" + SystemError() + ")";
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) || !present ||
        acl == nullptr)
        return "no access list";
    std::vector<unsigned char> userBuffer;
    PSID user = CurrentUser(userBuffer);
    if (user == nullptr) return "no user to compare its access list with";
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(acl, i, &entry)) return "an unreadable access list entry";
        auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;  // denials let nobody in
        PSID allowed = &static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart;
        // The system account reads every file anyway; Wine lists it on each one.
        if (EqualSid(allowed, user) || IsWellKnownSid(allowed, WinLocalSystemSid)) continue;
        return "an access list that lets in " + SidText(allowed);
    }
    return {};
}

std::string ScratchFileName(const void* instance) {
    char address[32];
    _snprintf(address, sizeof address, "%p", instance);  // msvcrt's: upper-case digits
    return std::string("db_") + address;
}

const char* const kDirSeparators = "\\/";

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

uint64_t PeakMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

}  // namespace host_system
