// The scratch database file of a CDataOper: where Init puts it, who may see it, what
// happens to a file or link already at its path, and that UnInit removes it.
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <memory>

#include "platform/platform.h"
#include "store/DataOper.h"
#include "store_test_support.h"

namespace {

using store_test::Exists;
using store_test::Peek;
using store_test::ReadFile;
using store_test::ScratchPathFor;
using store_test::TempDir;
using store_test::WriteFile;

const std::vector<std::string> kFourTables = {"CAMERAINFO", "DEVICEINFO", "IOINFO", "TALKCHANNEL"};

// Runs the test from `directory` and returns to where it was.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& directory)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(directory);
    }
    ~WorkingDirectory() { std::filesystem::current_path(m_previous); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path m_previous;
};

// File modes and symbolic links as POSIX has them; the Windows build checks the
// access list and reparse points instead.
#if !defined(_WIN32)
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_previous(umask(mask)) {}
    ~ScopedUmask() { umask(m_previous); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t m_previous;
};

unsigned PermissionBits(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}
#endif

std::vector<std::string> DirectoryEntries(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(ScratchFilePath, NullPrefixNamesARelativeDefFileInTheWorkingDirectory) {
    TempDir dir;
    WorkingDirectory inside(dir.Path());
    auto oper = std::make_unique<CDataOper>();

    ASSERT_TRUE(oper->Init(nullptr));
    const std::string expected = ScratchPathFor("def", oper.get());
    EXPECT_EQ(oper->DbPath(), expected);
#if defined(_WIN32)
    EXPECT_EQ(expected.size(), std::string("defdb_").size() + 8) << expected;
#else
    EXPECT_EQ(expected.rfind("defdb_0x", 0), 0u) << expected;
#endif
    EXPECT_TRUE(Exists(dir.Path() + expected));

    oper->UnInit();
    EXPECT_FALSE(Exists(dir.Path() + expected));
}

TEST(ScratchFilePath, PrefixIsJoinedToDbAndTheInstanceAddress) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();

    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(oper->DbPath(), ScratchPathFor(dir.Path(), oper.get()));
    EXPECT_EQ(DirectoryEntries(dir.Path()),
              std::vector<std::string>{ScratchPathFor("", oper.get())});
    oper->UnInit();
}

#if !defined(_WIN32)
TEST(ScratchFileLifetime, IsPrivateToItsOwnerWhateverTheUmask) {
    TempDir dir;
    ScopedUmask open(0);
    auto oper = std::make_unique<CDataOper>();

    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(PermissionBits(oper->DbPath()), 0600u);
    oper->UnInit();
}
#endif

TEST(ScratchFileLifetime, UnInitLeavesNothingInThePrefixDirectory) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    {
        // A write makes SQLite use its journal; nothing of it may stay behind.
        Peek peek(oper->DbPath());
        peek.Exec("INSERT INTO IOINFO VALUES(1,1,1,0,'io-1','one')");
    }

    oper->UnInit();
    EXPECT_TRUE(DirectoryEntries(dir.Path()).empty());
}

TEST(ScratchFileSchema, InitCreatesTheFourTablesAsWritten) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));

    Peek peek(oper->DbPath());
    EXPECT_EQ(peek.Tables(), kFourTables);
    // SQLite keeps each statement's text from the table name on, so the column
    // definitions, double blanks included, are exactly what Init sent.
    EXPECT_EQ(peek.Column("SELECT sql FROM sqlite_master WHERE name = 'CAMERAINFO'"),
              std::vector<std::string>{
                  "CREATE TABLE CAMERAINFO(ID NUMERIC NOT NULL,DEVID INTEGER NOT NULL,CELLID "
                  "INTEGER NOT NULL,CELLTYPE INTEGER NOT NULL,CHANNELNO INTEGER NOT "
                  "NULL,INDEXCODE TEXT NOT NULL,CAMNAME TEXT NULL,CAMTYPE INTEGER NOT "
                  "NULL,MATRIXCODE TEXT NOT NULL,SEQINDEX INTEGER NOT NULL,STATUS INTEGER NOT "
                  "NULL,RECLOC TEXT NOT NULL,PRIVILEGE TEXT NOT NULL,CASCADID INTEGER NOT "
                  "NULL,VRMID INTEGER NOT NULL,VTDUID INTEGER NOT NULL,VAGID  INTEGER NOT "
                  "NULL,DEVTAG TEXT NOT NULL,RECGUID TEXT NOT NULL,MULTIIP TEXT NOT "
                  "NULL,TRANSPATH TEXT NOT NULL,TRANSCNT  INTEGER NOT NULL,MOD INTEGER NOT "
                  "NULL,ISGROUP INTEGER NOT NULL,PRIMARY KEY(ID))"});
    EXPECT_EQ(peek.Column("SELECT sql FROM sqlite_master WHERE name = 'DEVICEINFO'"),
              std::vector<std::string>{
                  "CREATE TABLE DEVICEINFO(ID NUMERIC NOT NULL,DEVNAME TEXT NULL,INDEXCODE "
                  "TEXT NULL,IP TEXT NULL,PORT INTEGER NULL,DOMAINID INTEGER NULL,USERNAME "
                  "TEXT NULL,PASSWORD TEXT NULL,DEVTYPE INTEGER NOT NULL,PRIMARY KEY(ID))"});
    EXPECT_EQ(peek.Column("SELECT sql FROM sqlite_master WHERE name = 'TALKCHANNEL'"),
              std::vector<std::string>{
                  "CREATE TABLE TALKCHANNEL(ID NUMERIC NOT NULL,DEVID INTEGER NOT NULL,CELLID "
                  "INTEGER NOT NULL,CHANNELNO INTEGER NOT NULL,INDEXCODE TEXT NOT "
                  "NULL,TALKNAME TEXT NOT NULL,PRIMARY KEY(ID))"});
    EXPECT_EQ(peek.Column("SELECT sql FROM sqlite_master WHERE name = 'IOINFO'"),
              std::vector<std::string>{
                  "CREATE TABLE IOINFO(ID NUMERIC NOT NULL,DEVID INTEGER NOT NULL,CELLID "
                  "INTEGER NOT NULL,IOTYPE INTEGER NOT NULL,INDEXCODE TEXT NOT NULL,IONAME "
                  "TEXT NOT NULL,PRIMARY KEY(ID))"});
    oper->UnInit();
}

class ScratchFileFaults : public store_test::FaultSafeTest {};

TEST_F(ScratchFileFaults, NotConnectedAfterASuccessfulOpenStillSucceedsWithoutTables) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    vellum::fault::Storage().Arm(0, 1, "IsConnected");

    EXPECT_TRUE(oper->Init(dir.Path().c_str()));
    ASSERT_TRUE(Exists(oper->DbPath()));
    EXPECT_TRUE(Peek(oper->DbPath()).Tables().empty());
    oper->UnInit();
    EXPECT_FALSE(Exists(oper->DbPath()));
}

TEST_F(ScratchFileFaults, FailedOpenReturnsFalseAndUnInitStillRuns) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    vellum::fault::Storage().Arm(0, 1, "OpenFile");

    EXPECT_FALSE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(oper->DbPath(), ScratchPathFor(dir.Path(), oper.get()));
    EXPECT_EQ(oper->Key().size(), 32u);
    oper->UnInit();
    EXPECT_TRUE(DirectoryEntries(dir.Path()).empty());
}

// A file left at the path by a process that ended without UnInit.
TEST(ScratchFileStale, RowsOfAnAbandonedDatabaseNeverReappear) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    const std::string path = ScratchPathFor(dir.Path(), oper.get());
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE IOINFO(ID NUMERIC NOT NULL,DEVID INTEGER NOT "
                               "NULL,CELLID INTEGER NOT NULL,IOTYPE INTEGER NOT NULL,INDEXCODE "
                               "TEXT NOT NULL,IONAME TEXT NOT NULL,PRIMARY KEY(ID));"
                               "INSERT INTO IOINFO VALUES(7,1,1,0,'stale-io','stale');"
                               "CREATE TABLE LEFTOVER(X);",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }

    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    Peek peek(path);
    EXPECT_EQ(peek.Tables(), kFourTables);
    EXPECT_EQ(peek.Count("IOINFO"), 0);
    oper->UnInit();
}

// The claim is the one another instance takes, wherever it lives; that a claim made
// by another live process counts as well is shown by the storage's own tests.
TEST(ScratchFileHeld, AFileHeldByAnotherClaimIsNeitherTakenNorDeleted) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    const std::string path = ScratchPathFor(dir.Path(), oper.get());
    vellum::platform::ScratchFile holder;
    ASSERT_TRUE(holder.Claim(path));
    WriteFile(path, "held by another instance");

    EXPECT_FALSE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(ReadFile(path), "held by another instance");
    oper->UnInit();
    EXPECT_EQ(ReadFile(path), "held by another instance");

    // Once the holder lets go the file is abandoned, and the next Init replaces it.
    holder.Release();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(Peek(path).Tables(), kFourTables);
    oper->UnInit();
    EXPECT_FALSE(Exists(path));
}

#if !defined(_WIN32)
TEST(ScratchFileLink, ALinkPlantedAtThePathIsNotFollowed) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    const std::string path = ScratchPathFor(dir.Path(), oper.get());
    const std::string target = dir.Path() + "precious";
    WriteFile(target, "must stay as it is");
    ASSERT_EQ(chmod(target.c_str(), 0644), 0);
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);

    EXPECT_FALSE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(ReadFile(target), "must stay as it is");
    EXPECT_EQ(PermissionBits(target), 0644u);
    oper->UnInit();
    EXPECT_EQ(ReadFile(target), "must stay as it is");
    EXPECT_EQ(PermissionBits(target), 0644u);
}
#endif

}  // namespace
