// The scratch file: the storage's claim on it (private creation, no links followed,
// abandoned files replaced, files of live processes left alone, reconnection), and how
// a CDataOper names, creates, claims and deletes it. Both systems but for the mode.
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "libs/storage/DataStorage.h"
#include "platform/platform.h"
#include "store/DataOper.h"
#include "tests/TestSystem.h"
#include "tests/unit/store_test_support.h"

namespace {

using namespace store_test;

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

// Opens `path`, puts one row into table T and leaves everything open.
bool OpenWithOneRow(CDataStorage& storage, const std::string& path) {
    return storage.OpenFile(path) && storage.ExecuteSql("CREATE TABLE T(V INTEGER)") == 0 &&
           storage.ExecuteSql("INSERT INTO T VALUES(7)") == 0;
}

// Whether a second storage can claim `path` now.
bool Claimable(const std::string& path) {
    CDataStorage other;
    return other.OpenFile(path);
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
        // Bounded, so that a child that never answers fails the case instead of
        // hanging the suite: a Windows program can take a minute to start under Wine.
        const ULONGLONG deadline = GetTickCount64() + kChildWaitMs;
        std::string said;
        char c;
        DWORD got = 0;
        while (said.find("holding:") == std::string::npos ||
               said.size() == said.find("holding:") + 8) {
            DWORD waiting = 0;
            while (PeekNamedPipe(m_output, nullptr, 0, nullptr, &waiting, nullptr) &&
                   waiting == 0 && GetTickCount64() < deadline)
                Sleep(10);
            if (waiting == 0) return;  // ended, broken or silent: not holding
            if (!::ReadFile(m_output, &c, 1, &got, nullptr) || got != 1) return;
            said += c;
        }
        m_holding = said.back() == 'y';
    }
    ~HoldingChild() {
        End();
        if (m_output != nullptr) CloseHandle(m_output);
    }

    bool Holding() const { return m_holding; }

    void End() {
        if (m_release != nullptr) CloseHandle(m_release);
        m_release = nullptr;
        if (m_process.hProcess != nullptr) {
            if (WaitForSingleObject(m_process.hProcess, kChildWaitMs) != WAIT_OBJECT_0) {
                TerminateProcess(m_process.hProcess, 1);
                WaitForSingleObject(m_process.hProcess, kChildWaitMs);
            }
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        m_process = {};
    }

private:
    static constexpr DWORD kChildWaitMs = 180000;

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
}
#endif

// A link to a file, and a dangling one: neither is followed, and the planted target is
// neither written nor created. Windows lets only some accounts make links.
TEST(StorageScratchFile, RefusesASymbolicLinkAtThePathAndLeavesItsTargetAlone) {
    for (const bool targetExists : {true, false}) {
        TempDir dir;
        const std::string target = dir.File("victim");
        const std::string path = dir.File("db");
        if (targetExists) WriteFile(target, "precious");
        std::error_code refused;
        std::filesystem::create_symlink(target, path, refused);
        if (refused) GTEST_SKIP() << "no symbolic links for this account";

        CDataStorage storage;
        EXPECT_FALSE(storage.OpenFile(path));
        EXPECT_FALSE(storage.IsConnected());
        EXPECT_EQ(Exists(target), targetExists);
        EXPECT_EQ(ReadFile(target), targetExists ? "precious" : "");
        EXPECT_TRUE(std::filesystem::is_symlink(path));
    }
}

TEST(StorageScratchFile, ReplacesAnUnclaimedFileWithContent) {
    TempDir dir;
    const std::string path = dir.File("db");
    WriteFile(path, "left behind by someone");
#if !defined(_WIN32)
    const std::size_t descriptorsBefore = vellum_test::OpenHandleCount();
#endif
    {
        CDataStorage storage;
        ASSERT_TRUE(storage.OpenFile(path));
        EXPECT_EQ(storage.ExecuteSql("CREATE TABLE T(V INTEGER)"), 0);
        EXPECT_EQ(ReadFile(path).find("left behind"), std::string::npos);
    }
#if !defined(_WIN32)
    EXPECT_EQ(vellum_test::OpenHandleCount(), descriptorsBefore) << "the stale file's look left none open";
#endif
}

// The child ends without closing anything: its file is then abandoned, and replaced so
// that its rows never reappear.
TEST(StorageScratchFile, RefusesAFileHeldByAnotherLiveProcessAndReplacesItOnceThatEnds) {
    if (vellum_test::RunsUnderEmulatedWine()) GTEST_SKIP() << "two programs at once hang under Wine on qemu";
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
    ASSERT_TRUE(storage.OpenFile(path));
    EXPECT_TRUE(Tables(storage).empty());
}

// The claim lasts from OpenFile to CloseStorage or destruction, through a reopening of
// the same path; opening another path moves it. Neither closing deletes the file.
TEST(StorageScratchFile, TheClaimIsHeldWhileTheConnectionIsAndTheFileOutlivesIt) {
    TempDir dir;
    const std::string path = dir.File("db");
    {
        CDataStorage storage;
        ASSERT_TRUE(OpenWithOneRow(storage, path));
        EXPECT_FALSE(Claimable(path));
        ASSERT_TRUE(storage.OpenFile(path));
        EXPECT_EQ(Tables(storage), std::vector<std::string>{"T"});
        EXPECT_FALSE(Claimable(path));

        ASSERT_TRUE(storage.OpenFile(dir.File("second")));
        EXPECT_TRUE(Tables(storage).empty());
        EXPECT_TRUE(Claimable(path));
        EXPECT_FALSE(Claimable(dir.File("second")));

        storage.CloseStorage();
        EXPECT_FALSE(storage.IsConnected());
        EXPECT_TRUE(Claimable(dir.File("second")));
        storage.CloseStorage();  // closing twice is harmless
        ASSERT_TRUE(storage.OpenFile(path));
    }
    EXPECT_TRUE(Exists(path));
    EXPECT_TRUE(Exists(dir.File("second")));
    EXPECT_TRUE(Claimable(path));

    CDataStorage storage;
    EXPECT_FALSE(storage.OpenFile(dir.File("absent/db")));
    EXPECT_FALSE(storage.IsConnected());
}

// Runs the test from `directory` and returns to where it was.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& directory)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(directory);
    }
    ~WorkingDirectory() { std::filesystem::current_path(m_previous); }

private:
    std::filesystem::path m_previous;
};

// SQLite keeps each statement's text from the table name on, so the column definitions,
// double blanks included, are exactly what Init sent.
const std::vector<std::string> kTablesAsWritten = {
    "CREATE TABLE CAMERAINFO(ID NUMERIC NOT NULL,DEVID INTEGER NOT NULL,CELLID INTEGER NOT NULL,"
    "CELLTYPE INTEGER NOT NULL,CHANNELNO INTEGER NOT NULL,INDEXCODE TEXT NOT NULL,"
    "CAMNAME TEXT NULL,CAMTYPE INTEGER NOT NULL,MATRIXCODE TEXT NOT NULL,"
    "SEQINDEX INTEGER NOT NULL,STATUS INTEGER NOT NULL,RECLOC TEXT NOT NULL,"
    "PRIVILEGE TEXT NOT NULL,CASCADID INTEGER NOT NULL,VRMID INTEGER NOT NULL,"
    "VTDUID INTEGER NOT NULL,VAGID  INTEGER NOT NULL,DEVTAG TEXT NOT NULL,RECGUID TEXT NOT NULL,"
    "MULTIIP TEXT NOT NULL,TRANSPATH TEXT NOT NULL,TRANSCNT  INTEGER NOT NULL,"
    "MOD INTEGER NOT NULL,ISGROUP INTEGER NOT NULL,PRIMARY KEY(ID))",
    "CREATE TABLE DEVICEINFO(ID NUMERIC NOT NULL,DEVNAME TEXT NULL,INDEXCODE TEXT NULL,"
    "IP TEXT NULL,PORT INTEGER NULL,DOMAINID INTEGER NULL,USERNAME TEXT NULL,PASSWORD TEXT NULL,"
    "DEVTYPE INTEGER NOT NULL,PRIMARY KEY(ID))",
    "CREATE TABLE IOINFO(ID NUMERIC NOT NULL,DEVID INTEGER NOT NULL,CELLID INTEGER NOT NULL,"
    "IOTYPE INTEGER NOT NULL,INDEXCODE TEXT NOT NULL,IONAME TEXT NOT NULL,PRIMARY KEY(ID))",
    "CREATE TABLE TALKCHANNEL(ID NUMERIC NOT NULL,DEVID INTEGER NOT NULL,CELLID INTEGER NOT NULL,"
    "CHANNELNO INTEGER NOT NULL,INDEXCODE TEXT NOT NULL,TALKNAME TEXT NOT NULL,PRIMARY KEY(ID))"};

// Init creates the four tables as written, and a null prefix stands for "def", a
// relative path; the address follows "db_" directly. UnInit leaves nothing in the
// directory, not even the journal that a write makes SQLite use.
TEST(StoreScratchFile, InitClaimsThePrefixedFileWithItsTablesAndUnInitLeavesNothing) {
    for (const bool nullPrefix : {true, false}) {
        SCOPED_TRACE(nullPrefix ? "null prefix" : "directory prefix");
        TempDir dir;
        WorkingDirectory inside(dir.Path());
        auto oper = std::make_unique<CDataOper>();
        ASSERT_TRUE(oper->Init(nullPrefix ? nullptr : dir.Path().c_str()));
        const std::string path = ScratchPathFor(nullPrefix ? "def" : dir.Path(), oper.get());
        EXPECT_EQ(oper->DbPath(), path);
        EXPECT_FALSE(Claimable(path));
        EXPECT_EQ(Peek(path).Column("SELECT sql FROM sqlite_master WHERE type = 'table' "
                                    "ORDER BY name"),
                  kTablesAsWritten);
        Peek(path).Exec("INSERT INTO IOINFO VALUES(1,1,1,0,'io-1','one')");

        oper->UnInit();
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    }
}

// A file claimed by another instance is neither taken nor deleted, not even by the
// UnInit after the refused Init; once it is let go, the next Init replaces it.
TEST(StoreScratchFile, AFileHeldByAnotherClaimIsNeitherTakenNorDeleted) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    const std::string path = ScratchPathFor(dir.Path(), oper.get());
    vellum::platform::ScratchFile holder;
    ASSERT_TRUE(holder.Claim(path));
    WriteFile(path, "held by another instance");

    EXPECT_FALSE(oper->Init(dir.Path().c_str()));
    oper->UnInit();
    EXPECT_EQ(ReadFile(path), "held by another instance");

    holder.Release();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(Peek(path).Count("IOINFO"), 0);
    oper->UnInit();
    EXPECT_FALSE(Exists(path));
}

}  // namespace
