// The storage's claim on its scratch file: private creation, no links followed,
// abandoned files replaced, files of live processes left alone, reconnection.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "libs/storage/DataStorage.h"
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

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

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

TEST(StorageScratchFile, RefusesASymbolicLinkAtThePathAndLeavesItsTargetAlone) {
    TempDir dir;
    const std::string target = dir.File("victim");
    const std::string path = dir.File("db");
    WriteFile(target, "precious");
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);

    CDataStorage storage;
    EXPECT_FALSE(storage.OpenFile(path));
    EXPECT_FALSE(storage.IsConnected());
    EXPECT_EQ(ReadFile(target), "precious");
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(StorageScratchFile, RefusesADanglingSymbolicLinkWithoutCreatingItsTarget) {
    TempDir dir;
    const std::string target = dir.File("planted");
    const std::string path = dir.File("db");
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);

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
    const ino_t inode = InodeOf(path);

    CDataStorage storage;
    EXPECT_FALSE(storage.OpenFile(path));
    EXPECT_EQ(InodeOf(path), inode);

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
