// The storage's claim on its scratch file: private creation, no links followed,
// abandoned files replaced, files of live processes left alone, reconnection. The
// same cases on both systems, but for the file mode and the POSIX lock.
#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>

#include "libs/storage/DataStorage.h"
#include "tests/TestSystem.h"
#include "tests/unit/storage_test_support.h"

namespace {

using storage_test::Exists;
using storage_test::ReadFile;
using storage_test::TempDir;
using storage_test::WriteFile;

// The tables in the storage's database, by name.
std::vector<std::string> Tables(CDataStorage& storage) {
    std::vector<std::string> names;
    std::string name;
    if (storage.BeginRead("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
        while (storage.ReadNext() && storage.ReadStringByIndex(0, name)) names.push_back(name);
    }
    storage.EndRead();
    return names;
}

int CountRows(CDataStorage& storage, const std::string& table) {
    int count = -1;
    if (storage.BeginRead("SELECT COUNT(*) FROM " + table) && storage.ReadNext())
        storage.ReadIntegerByIndex(0, count);
    storage.EndRead();
    return count;
}

// Opens `path`, puts one row into table T and leaves everything open.
bool OpenWithOneRow(CDataStorage& storage, const std::string& path) {
    return storage.OpenFile(path) && storage.ExecuteSql("CREATE TABLE T(V INTEGER)") == 0 &&
           storage.ExecuteSql("INSERT INTO T VALUES(7)") == 0;
}

#if defined(_WIN32)
// The child is this program again, running only the hidden case below, which claims
// the path named in its environment, says so on its standard output and holds the
// file until its standard input closes.
constexpr char kHoldPathVariable[] = "VELLUM_TEST_HOLD_PATH";
constexpr char kHoldingCase[] = "StorageScratchFileChild.DISABLED_HoldsThePathInItsEnvironment";

TEST(StorageScratchFileChild, DISABLED_HoldsThePathInItsEnvironment) {
    const char* path = std::getenv(kHoldPathVariable);
    ASSERT_NE(path, nullptr);
    CDataStorage storage;
    std::printf("holding:%c\n", OpenWithOneRow(storage, path) ? 'y' : 'n');
    std::fflush(stdout);
    char ignored;
    while (std::fread(&ignored, 1, 1, stdin) == 1) {
    }
}

class HoldingChild {
public:
    explicit HoldingChild(const std::string& path) {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE childIn = nullptr;
        HANDLE childOut = nullptr;
        if (!CreatePipe(&childIn, &m_release, &inherited, 0)) return;
        if (!CreatePipe(&m_output, &childOut, &inherited, 0)) return;
        SetHandleInformation(m_release, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::string command = "\"" + vellum_test::ProgramPath() +
                              "\" --gtest_also_run_disabled_tests --gtest_filter=" + kHoldingCase;
        SetEnvironmentVariableA(kHoldPathVariable, path.c_str());
        const bool started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &startup, &m_process) != FALSE;
        SetEnvironmentVariableA(kHoldPathVariable, nullptr);
        CloseHandle(childIn);
        CloseHandle(childOut);  // the output ends when the child does
        if (!started) return;
        std::string said;
        char c;
        DWORD got = 0;
        while (said.find("holding:") == std::string::npos ||
               said.size() == said.find("holding:") + 8) {
            if (!::ReadFile(m_output, &c, 1, &got, nullptr) || got != 1) return;
            said += c;
        }
        m_holding = said.back() == 'y';
    }
    ~HoldingChild() {
        End();
        if (m_output != nullptr) CloseHandle(m_output);
    }
    HoldingChild(const HoldingChild&) = delete;
    HoldingChild& operator=(const HoldingChild&) = delete;

    bool Holding() const { return m_holding; }

    void End() {
        if (m_release != nullptr) CloseHandle(m_release);
        m_release = nullptr;
        if (m_process.hProcess != nullptr) {
            WaitForSingleObject(m_process.hProcess, INFINITE);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        m_process = {};
    }

private:
    HANDLE m_release = nullptr;
    HANDLE m_output = nullptr;
    PROCESS_INFORMATION m_process{};
    bool m_holding = false;
};
#else
// A child process that claims `path` with a row in it and holds it until released.
class HoldingChild {
public:
    explicit HoldingChild(const std::string& path) {
        int ready[2];
        int release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            close(release[1]);
            CDataStorage storage;
            const char status = OpenWithOneRow(storage, path) ? 'y' : 'n';
            (void)!write(ready[1], &status, 1);
            char ignored;
            (void)!read(release[0], &ignored, 1);  // returns when the parent closes its end
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        m_release = release[1];
        char status = 'n';
        m_holding = read(ready[0], &status, 1) == 1 && status == 'y';
        close(ready[0]);
    }
    ~HoldingChild() { End(); }
    HoldingChild(const HoldingChild&) = delete;
    HoldingChild& operator=(const HoldingChild&) = delete;

    bool Holding() const { return m_holding; }

    void End() {
        if (m_release >= 0) close(m_release);
        m_release = -1;
        if (m_pid > 0) waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_holding = false;
};
#endif

// Plants a symbolic link at `link` to `target`; false where the account may not make
// one (Windows lets only some).
bool PlantLink(const std::string& target, const std::string& link) {
    std::error_code refused;
    std::filesystem::create_symlink(target, link, refused);
    return !refused;
}

#if !defined(_WIN32)  // Windows: an access list, in tests/win32
TEST(StorageScratchFile, IsCreatedWithOwnerOnlyAccessWhateverTheUmask) {
    TempDir dir;
    const std::string path = dir.File("db");
    const mode_t previous = umask(0);
    CDataStorage storage;
    const bool opened = storage.OpenFile(path);
    umask(previous);
    ASSERT_TRUE(opened);
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, static_cast<mode_t>(0600));
    EXPECT_TRUE(storage.IsConnected());
}
#endif

TEST(StorageScratchFile, RefusesASymbolicLinkAtThePathAndLeavesItsTargetAlone) {
    TempDir dir;
    const std::string target = dir.File("victim");
    const std::string path = dir.File("db");
    WriteFile(target, "precious");
    if (!PlantLink(target, path)) GTEST_SKIP() << "no symbolic links for this account";

    CDataStorage storage;
    EXPECT_FALSE(storage.OpenFile(path));
    EXPECT_FALSE(storage.IsConnected());
    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(path));
}

TEST(StorageScratchFile, RefusesADanglingSymbolicLinkWithoutCreatingItsTarget) {
    TempDir dir;
    const std::string target = dir.File("planted");
    const std::string path = dir.File("db");
    if (!PlantLink(target, path)) GTEST_SKIP() << "no symbolic links for this account";

    CDataStorage storage;
    EXPECT_FALSE(storage.OpenFile(path));
    EXPECT_FALSE(Exists(target));
}

TEST(StorageScratchFile, ReplacesAFileLeftByAnEndedProcessSoItsRowsNeverReappear) {
    TempDir dir;
    const std::string path = dir.File("db");
    {
        HoldingChild child(path);
        ASSERT_TRUE(child.Holding());
    }  // the child ends without closing anything
    ASSERT_TRUE(Exists(path));

    CDataStorage storage;
    ASSERT_TRUE(storage.OpenFile(path));
    EXPECT_TRUE(Tables(storage).empty());
}

TEST(StorageScratchFile, ReplacesAnUnclaimedFileWithContent) {
    TempDir dir;
    const std::string path = dir.File("db");
    WriteFile(path, "left behind by someone");

    CDataStorage storage;
    ASSERT_TRUE(storage.OpenFile(path));
    EXPECT_EQ(storage.ExecuteSql("CREATE TABLE T(V INTEGER)"), 0);
    EXPECT_EQ(ReadFile(path).find("left behind"), std::string::npos);
}

TEST(StorageScratchFile, RefusesAFileHeldByAnotherLiveProcessAndLeavesItInPlace) {
    TempDir dir;
    const std::string path = dir.File("db");
    HoldingChild child(path);
    ASSERT_TRUE(child.Holding());
    const std::string held = ReadFile(path);
    ASSERT_FALSE(held.empty());

    CDataStorage storage;
    EXPECT_FALSE(storage.OpenFile(path));
    EXPECT_EQ(ReadFile(path), held);

    child.End();
    ASSERT_TRUE(storage.OpenFile(path));  // now abandoned
    EXPECT_TRUE(Tables(storage).empty());
}

TEST(StorageScratchFile, RefusesAFileClaimedByAnotherStorageOfThisProcess) {
    TempDir dir;
    const std::string path = dir.File("db");
    CDataStorage first;
    ASSERT_TRUE(OpenWithOneRow(first, path));

    CDataStorage second;
    EXPECT_FALSE(second.OpenFile(path));
    EXPECT_EQ(CountRows(first, "T"), 1);
}

#if !defined(_WIN32)  // the POSIX claim is a lock
TEST(StorageScratchFile, RefusesAFileLockedThroughAnotherDescriptor) {
    TempDir dir;
    const std::string path = dir.File("db");
    WriteFile(path, "");
    const int handle = open(path.c_str(), O_RDWR);
    ASSERT_GE(handle, 0);
    ASSERT_EQ(flock(handle, LOCK_EX | LOCK_NB), 0);

    CDataStorage storage;
    EXPECT_FALSE(storage.OpenFile(path));
    EXPECT_TRUE(Exists(path));
    close(handle);
}
#endif

TEST(StorageScratchFile, ReopeningTheSamePathKeepsTheRowsAndTheClaim) {
    TempDir dir;
    const std::string path = dir.File("db");
    CDataStorage storage;
    ASSERT_TRUE(OpenWithOneRow(storage, path));

    ASSERT_TRUE(storage.OpenFile(path));
    EXPECT_EQ(CountRows(storage, "T"), 1);
    CDataStorage other;
    EXPECT_FALSE(other.OpenFile(path));
}

TEST(StorageScratchFile, OpeningAnotherPathReleasesTheFirstFile) {
    TempDir dir;
    CDataStorage storage;
    ASSERT_TRUE(OpenWithOneRow(storage, dir.File("first")));
    ASSERT_TRUE(storage.OpenFile(dir.File("second")));
    EXPECT_TRUE(Tables(storage).empty());

    CDataStorage other;
    EXPECT_TRUE(other.OpenFile(dir.File("first")));
}

TEST(StorageScratchFile, CloseKeepsTheFileButReleasesIt) {
    TempDir dir;
    const std::string path = dir.File("db");
    CDataStorage storage;
    ASSERT_TRUE(OpenWithOneRow(storage, path));
    storage.CloseStorage();

    EXPECT_FALSE(storage.IsConnected());
    EXPECT_TRUE(Exists(path));
    CDataStorage other;
    EXPECT_TRUE(other.OpenFile(path));
    storage.CloseStorage();  // closing twice is harmless
}

TEST(StorageScratchFile, DestructionReleasesTheFile) {
    TempDir dir;
    const std::string path = dir.File("db");
    {
        CDataStorage storage;
        ASSERT_TRUE(OpenWithOneRow(storage, path));
    }
    EXPECT_TRUE(Exists(path));
    CDataStorage other;
    EXPECT_TRUE(other.OpenFile(path));
}

TEST(StorageScratchFile, FailsToOpenInAMissingDirectory) {
    TempDir dir;
    CDataStorage storage;
    EXPECT_FALSE(storage.OpenFile(dir.File("absent/db")));
    EXPECT_FALSE(storage.IsConnected());
}

}  // namespace
