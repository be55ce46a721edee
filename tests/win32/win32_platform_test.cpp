// The Windows scratch file: its access list grants its owner alone.
#include <windows.h>
// after windows.h
#include <aclapi.h>

#include <string>

#include "libs/storage/DataStorage.h"
#include "tests/TempDir.h"

namespace {

// The scratch file's DACL grants the user running the test and nobody else. Wine keeps
// no access lists: it derives one from the file's mode, which always adds LocalSystem,
// so the system account is let through as well.
TEST(Win32ScratchFile, GrantsItsOwnerAloneWhateverTheFolderAllows) {
    vellum_test::TempDir dir;
    const std::string path = dir.File("db");
    CDataStorage storage;
    ASSERT_TRUE(storage.OpenFile(path));

    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &dacl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr);
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    unsigned char user[256];
    DWORD size = sizeof user;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, user, size, &size));
    CloseHandle(token);
    PSID self = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
    unsigned char system[SECURITY_MAX_SID_SIZE];
    size = sizeof system;
    ASSERT_TRUE(CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &size));

    bool userGranted = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        const bool isUser = EqualSid(self, &ace->SidStart) != FALSE;
        EXPECT_TRUE(isUser || EqualSid(system, &ace->SidStart)) << "entry " << i;
        userGranted |= isUser && (ace->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS;
    }
    EXPECT_TRUE(userGranted);
    LocalFree(descriptor);
}

}  // namespace
