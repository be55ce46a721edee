// The Windows platform layer where it differs from the POSIX one: names converted from
// the active code page (1252 under the test preset's locale), and a scratch file whose
// access list grants its owner alone.
#include <windows.h>
// after windows.h
#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "libs/storage/DataStorage.h"
#include "platform/platform.h"
#include "tests/TempDir.h"

namespace {

using vellum::platform::HostToUtf8;
using vellum::platform::Utf8ToHost;

const std::string kReplacement = "\xEF\xBF\xBD";

struct Conversion {
    const char* from;
    const char* to;
};

TEST(Win32CodePage, ConvertsCodePage1252AndReplacesWhatDoesNotConvert) {
    ASSERT_EQ(GetACP(), 1252u) << "run with an en_US locale, as the test preset does";
    const Conversion toUtf8[] = {
        {"Caf\xE9 \x80 Nord", "Caf\xC3\xA9 \xE2\x82\xAC Nord"},
        {"plain", "plain"},
        {"\x81", "\xC2\x81"},  // undefined in 1252: kept as the control character it maps to
    };
    for (const Conversion& c : toUtf8) {
        std::string out = "stale";
        ASSERT_TRUE(HostToUtf8(c.from, out));
        EXPECT_EQ(out, c.to) << c.from;
    }
    const Conversion toHost[] = {
        {"Caf\xC3\xA9 \xE2\x82\xAC Nord", "Caf\xE9 \x80 Nord"},
        {"Tokyo \xE6\x9D\xB1\xE4\xBA\xAC !", "Tokyo ?? !"},  // no look-alike best fit
        {"a\xFF"
         "b",
         "a?b"},  // not UTF-8 at all
        {"\xCE\xA9", "?"},  // a name is never emptied
    };
    for (const Conversion& c : toHost) {
        std::string out = "stale";
        ASSERT_TRUE(Utf8ToHost(c.from, out));
        EXPECT_EQ(out, c.to) << c.from;
    }
    std::string out = "stale";
    ASSERT_TRUE(HostToUtf8("", out));
    EXPECT_EQ(out, "");
}

// "SID:mask" of each entry, for the message of a failure.
std::string AceList(PACL dacl) {
    std::string list;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        char* sid = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) ||
            !ConvertSidToStringSidA(&ace->SidStart, &sid))
            continue;
        list += std::string(sid) + ":" + std::to_string(ace->Mask) + " ";
        LocalFree(sid);
    }
    return list;
}

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
        EXPECT_TRUE(isUser || EqualSid(system, &ace->SidStart)) << AceList(dacl);
        userGranted |= isUser && (ace->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS;
    }
    EXPECT_TRUE(userGranted) << AceList(dacl);
    LocalFree(descriptor);
}

}  // namespace
