// The scratch file: CDataStorage's claim on it, and how a CDataOper names, creates and deletes it.
#if !defined(_WIN32)  // windows.h comes with TestSystem.h
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "libs/storage/DataStorage.h"
#include "platform/platform.h"
#include "store/DataOper.h"
#include "tests/TestSystem.h"
#include "tests/unit/store_test_support.h"

namespace {

using namespace store_test;

bool OpenWithOneRow(CDataStorage& storage, const std::string& path) {
    return storage.OpenFile(path) && storage.ExecuteSql("CREATE TABLE T(V INTEGER)") == 0 &&
           storage.ExecuteSql("INSERT INTO T VALUES(7)") == 0;
}

bool Claimable(const std::string& path) {
    CDataStorage other;
    return other.OpenFile(path);
}

constexpr int kChildWaitMs = 180000;  // a Windows program can take a minute under Wine

// What the file at `path` holds once it holds anything; "" if nothing comes in time.
std::string AwaitContent(const std::string& path) {
    for (int waited = 0; waited < kChildWaitMs; waited += 10) {
        const std::string content = ReadFile(path);
        if (!content.empty()) return content;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

// The child's part: claims `path` with a row in it, says in `path`.said whether it
// could, and holds the file until `path`.release appears.
void HoldUntilReleased(const std::string& path) {
    CDataStorage storage;
    WriteFile(path + ".said", OpenWithOneRow(storage, path) ? "y" : "n");
    AwaitContent(path + ".release");
#if !defined(_WIN32)
    _exit(0);  // a fork: no destructor, no report
#endif
}

#if defined(_WIN32)
// There the child is this program again, running only this hidden case.
constexpr char kHoldPathVariable[] = "VELLUM_TEST_HOLD_PATH";
constexpr char kHoldingCase[] = "StorageScratchFileChild.DISABLED_HoldsThePathInItsEnvironment";

TEST(StorageScratchFileChild, DISABLED_HoldsThePathInItsEnvironment) {
    const char* path = std::getenv(kHoldPathVariable);
    ASSERT_NE(path, nullptr);
    HoldUntilReleased(path);
}
#endif

// Another process that holds `path` until End; the waits on it are bounded.
class HoldingChild {
public:
    explicit HoldingChild(const std::string& path) : m_path(path) {
#if defined(_WIN32)
        std::string command = "\"" + vellum_test::ProgramPath() +
                              "\" --gtest_also_run_disabled_tests --gtest_filter=" + kHoldingCase;
        SetEnvironmentVariableA(kHoldPathVariable, path.c_str());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        m_started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &m_process) != FALSE;
        SetEnvironmentVariableA(kHoldPathVariable, nullptr);
#else
        m_pid = fork();
        if (m_pid == 0) HoldUntilReleased(path);
        m_started = m_pid > 0;
#endif
        m_holding = m_started && AwaitContent(path + ".said") == "y";
    }
    ~HoldingChild() { End(); }

    bool Holding() const { return m_holding; }

    void End() {
        if (!m_started) return;
        m_started = false;
        WriteFile(m_path + ".release", "go");
#if defined(_WIN32)
        if (WaitForSingleObject(m_process.hProcess, kChildWaitMs) != WAIT_OBJECT_0) {
            TerminateProcess(m_process.hProcess, 1);
            WaitForSingleObject(m_process.hProcess, kChildWaitMs);
        }
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
#else
        waitpid(m_pid, nullptr, 0);
#endif
    }

private:
    std::string m_path;
    bool m_started = false;
    bool m_holding = false;
#if defined(_WIN32)
    PROCESS_INFORMATION m_process{};
#else
    pid_t m_pid = -1;
#endif
};

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
    EXPECT_EQ(info.st_mode & (S_IFMT | 07777), static_cast<mode_t>(S_IFREG | 0600));
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
    EXPECT_EQ(vellum_test::OpenHandleCount(), descriptorsBefore) << "the stale file's look";
#endif
}

// Once the child has ended its file is abandoned, and replaced so that its rows never
// reappear.
TEST(StorageScratchFile, RefusesAFileHeldByAnotherLiveProcessAndReplacesItOnceThatEnds) {
    if (vellum_test::RunsUnderEmulatedWine())
        GTEST_SKIP() << "two programs at once hang under Wine on qemu";
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
    EXPECT_EQ(Peek(path).Count("sqlite_master"), 0);
}

// The claim lasts from OpenFile to CloseStorage or destruction, through a reopening of
// the same path; opening another path moves it. Neither closing deletes the file.
TEST(StorageScratchFile, TheClaimIsHeldWhileTheConnectionIsAndTheFileOutlivesIt) {
    TempDir dir;
    const std::string path = dir.File("db");
    const std::string second = dir.File("second");
    {
        CDataStorage storage;
        ASSERT_TRUE(OpenWithOneRow(storage, path));
        ASSERT_TRUE(storage.OpenFile(path));
        EXPECT_EQ(Peek(path).Count("T"), 1);
        EXPECT_FALSE(Claimable(path));

        ASSERT_TRUE(storage.OpenFile(second));
        EXPECT_EQ(Peek(second).Count("sqlite_master"), 0);
        EXPECT_TRUE(Claimable(path));

        storage.CloseStorage();
        EXPECT_FALSE(storage.IsConnected());
        EXPECT_TRUE(Claimable(second));
        storage.CloseStorage();  // closing twice is harmless
        ASSERT_TRUE(storage.OpenFile(path));
    }
    EXPECT_TRUE(Exists(path) && Exists(second));
    EXPECT_TRUE(Claimable(path));

    CDataStorage storage;
    EXPECT_FALSE(storage.OpenFile(dir.File("absent/db")) || storage.IsConnected());
}

class WorkingDirectory {  // for the test's scope
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

// A file claimed by another instance is neither taken nor deleted, not even by the
// UnInit after the refused Init. Once it is let go, Init replaces it with the four
// tables as written; a null prefix stands for "def", a relative path, and the address
// follows "db_" directly. UnInit leaves nothing behind.
TEST(StoreScratchFile, InitTakesOnlyAnUnheldFileWithItsTablesAndUnInitLeavesNothing) {
    for (const bool nullPrefix : {true, false}) {
        SCOPED_TRACE(nullPrefix ? "null prefix" : "directory prefix");
        TempDir dir;
        WorkingDirectory inside(dir.Path());
        auto oper = std::make_unique<CDataOper>();
        const char* prefix = nullPrefix ? nullptr : dir.Path().c_str();
        const std::string path = ScratchPathFor(nullPrefix ? "def" : dir.Path(), oper.get());
        {
            vellum::platform::ScratchFile holder;
            ASSERT_TRUE(holder.Claim(path));
            WriteFile(path, "held by another instance");
            EXPECT_FALSE(oper->Init(prefix));
            oper->UnInit();
            EXPECT_EQ(ReadFile(path), "held by another instance");
        }
        ASSERT_TRUE(oper->Init(prefix));
        EXPECT_EQ(oper->DbPath(), path);
        EXPECT_EQ(Peek(path).Column("SELECT sql FROM sqlite_master WHERE type = 'table' "
                                    "ORDER BY name"),
                  kTablesAsWritten);
        oper->UnInit();
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    }
}

}  // namespace
