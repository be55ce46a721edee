// Camera table writes: the column mapping, STATUS and ISGROUP, names as UTF-8, the
// TRANSPATH cipher setting, the log line, duplicates, and DeleteCameras' batches.
#include <clocale>
#include <iterator>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "chan_test_support.h"
#include "channels/ChannelSchema.h"

namespace {

using chan_test::Camera;
using chan_test::ChannelTest;
using chan_test::ConfigFile;
using chan_test::Linked;
using chan_test::SetText;

class CameraTableWrites : public ChannelTest {
protected:
    // The lines of module "tvwall" (the instance's lifecycle lines are "client").
    std::vector<store_test::LogLine> TvwallLines() const {
        std::vector<store_test::LogLine> lines;
        for (const store_test::LogLine& line : m_log.Lines())
            if (line.module == "tvwall") lines.push_back(line);
        return lines;
    }
};

TEST_F(CameraTableWrites, EachFieldLandsInItsColumnAndTheRowReadsBackAsTheRecord) {
    CAMERA_INFO written = Camera(42);
    written.STATUS = true;
    StoreCameras({written});
    store_test::Peek peek(m_store.DbPath());
    const std::vector<std::string> columns = {
        "ID",        "DEVID",    "CELLID",     "CELLTYPE", "CHANNELNO", "INDEXCODE",
        "CAMNAME",   "CAMTYPE",  "MATRIXCODE", "SEQINDEX", "STATUS",    "RECLOC",
        "PRIVILEGE", "CASCADID", "VRMID",      "VTDUID",   "VAGID",     "DEVTAG",
        "RECGUID",   "MULTIIP",  "TRANSPATH",  "TRANSCNT", "MOD",       "ISGROUP"};
    std::string row;
    for (const std::string& column : columns)
        row += peek.Column("SELECT " + column + " FROM CAMERAINFO")[0] + "|";
    EXPECT_EQ(row,
              "42|43|7|2|46|CAM-42|camera 42|49|1042|0|1|recloc 42|1,3|53|57|58|59|devtag 42|"
              "guid-42|239.0.0.42|rtsp://10.0.0.1/42|63|64|1|");
    CAMERA_INFO read = chan_test::Sentinel<CAMERA_INFO>();
    ASSERT_TRUE(m_store.GetCameraByID(&read, 42));
    written.next = nullptr;
    EXPECT_EQ(std::memcmp(&read, &written, sizeof read), 0);
}

// A host may send any non-zero byte as true; only a stored 1 reads back online.
TEST_F(CameraTableWrites, AnyNonZeroStatusByteIsStoredAsOneAndOnlyOneReadsOnline) {
    std::vector<CAMERA_INFO> cameras = {Camera(1), Camera(2)};
    const unsigned char odd = 0x7E;
    std::memcpy(&cameras[0].STATUS, &odd, 1);
    StoreCameras(cameras);
    store_test::Peek peek(m_store.DbPath());
    EXPECT_EQ(peek.Column("SELECT STATUS FROM CAMERAINFO ORDER BY ID"),
              (std::vector<std::string>{"1", "0"}));
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByID(&read, 1));
    EXPECT_TRUE(read.STATUS);
    peek.Exec("UPDATE CAMERAINFO SET STATUS = 2");
    ASSERT_TRUE(m_store.GetCameraByID(&read, 1));
    EXPECT_FALSE(read.STATUS);
}

TEST_F(CameraTableWrites, ADuplicateIdKeepsTheFirstRowWhileTheStatusMapTakesTheLaterStatus) {
    CAMERA_INFO first = Camera(5, 100);
    SetText(first.CAMNAME, "first");
    CAMERA_INFO second = Camera(5, 100);
    SetText(second.CAMNAME, "second");
    second.STATUS = true;
    StoreCameras({first, second});

    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByID(&read, 5));
    EXPECT_STREQ(read.CAMNAME, "first");
    EXPECT_FALSE(read.STATUS);
    // The map already holds online, so going online changes no count.
    std::vector<USER_ORG> stats = {chan_test::Org(100, 5, 2)};
    m_store.SetUserOrgStatList(Linked(stats));
    CAMERA_STATUS change = {5, 1, nullptr};
    m_store.UpdateCameraStatus(&change);
    int online = -1, total = -1;
    ASSERT_TRUE(m_store.GetUserOrgStat(100, &online, &total));
    EXPECT_EQ(online, 2);
}

TEST_F(CameraTableWrites, ALaterListAddsRowsAndRemovesNoneAndANullListIsRefused) {
    StoreCameras({Camera(1), Camera(2)});
    ASSERT_TRUE(m_store.SetCameraList(std::vector<CAMERA_INFO>{Camera(3)}.data(), -12345));
    EXPECT_EQ(store_test::Peek(m_store.DbPath()).Count("CAMERAINFO"), 3);
    EXPECT_FALSE(m_store.SetCameraList(nullptr, 0));
    EXPECT_FALSE(m_store.DeleteCameras(nullptr));
}

// Names are handed to the log as text: format directives in them stay as they are.
TEST_F(CameraTableWrites, EachRowIsLoggedWithItsNameCodeIdAndCell) {
    CAMERA_INFO camera = Camera(9, 77);
    SetText(camera.CAMNAME, "%s%n%x%p%99999d");
    StoreCameras({camera});
    const std::vector<store_test::LogLine> lines = TvwallLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, 2);
    EXPECT_EQ(lines[0].text,
              "<.\\DataOper [670] - CDataOper::SetCameraList> "
              "<setData to sqliteDb %s%n%x%p%99999d,CAM-9,9,77>");
}

TEST_F(CameraTableWrites, UnterminatedTextFieldsAreReadOnlyUpToTheirWidth) {
    CAMERA_INFO camera = Camera(3);
    std::memset(camera.INDEXCODE, 'I', sizeof camera.INDEXCODE);
    std::memset(camera.CAMNAME, 'n', sizeof camera.CAMNAME);
    std::memset(camera.TRANSPATH, 't', sizeof camera.TRANSPATH);
    StoreCameras({camera});

    store_test::Peek peek(m_store.DbPath());
    EXPECT_EQ(peek.Column("SELECT INDEXCODE FROM CAMERAINFO")[0], std::string(64, 'I'));
    EXPECT_EQ(peek.Column("SELECT CAMNAME FROM CAMERAINFO")[0], std::string(260, 'n'));
    EXPECT_EQ(peek.Column("SELECT TRANSPATH FROM CAMERAINFO")[0], std::string(128, 't'));
    const std::vector<store_test::LogLine> lines = TvwallLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].text.find(std::string(260, 'n') + "," + std::string(64, 'I') + ",3,7>"),
              std::string::npos);
    // Read back, each field is cut to its width less one and terminated.
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByID(&read, 3));
    EXPECT_EQ(std::string(read.INDEXCODE), std::string(63, 'I'));
    EXPECT_EQ(std::string(read.CAMNAME), std::string(259, 'n'));
}

// Makes the host code page Latin-1 where it can: a locale whose code page is
// ISO-8859-1, or on Windows the active code page 1252, which agrees with it on the
// letters used below. False when the machine has neither.
bool UseLatin1HostCodePage() {
#if defined(_WIN32)
    return GetACP() == 1252;
#else
    for (const char* name : {"en_US.ISO-8859-1", "en_US.iso88591", "de_DE.ISO-8859-1",
                             "de_DE.iso88591", "fr_FR.ISO-8859-1", "C.ISO-8859-1"}) {
        if (std::setlocale(LC_CTYPE, name) != nullptr) return true;
    }
    return false;
#endif
}

TEST_F(CameraTableWrites, ALegacyCodePageNameIsStoredAsUtf8AndReadsBackWhole) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    if (!UseLatin1HostCodePage()) GTEST_SKIP() << "no Latin-1 host code page on this machine";
    // Fills the field: 259 Latin-1 bytes take 518 bytes in UTF-8.
    CAMERA_INFO camera = Camera(1);
    std::memset(camera.CAMNAME, '\xE9', 259);
    camera.CAMNAME[259] = '\0';
    CAMERA_INFO shortName = Camera(2);
    SetText(shortName.CAMNAME,
            "S\xFC"
            "d");
    StoreCameras({camera, shortName});

    store_test::Peek peek(m_store.DbPath());
    std::string utf8;
    for (int i = 0; i < 259; ++i) utf8 += "\xC3\xA9";
    EXPECT_EQ(peek.Column("SELECT CAMNAME FROM CAMERAINFO WHERE ID = 1")[0], utf8);
    EXPECT_EQ(peek.Column("SELECT CAMNAME FROM CAMERAINFO WHERE ID = 2")[0],
              "S\xC3\xBC"
              "d");
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByID(&read, 1));
    EXPECT_STREQ(read.CAMNAME, camera.CAMNAME);
    ASSERT_TRUE(m_store.GetCameraByID(&read, 2));
    EXPECT_STREQ(read.CAMNAME,
                 "S\xFC"
                 "d");
    std::setlocale(LC_CTYPE, saved.c_str());
}

// The setting is read afresh for every row written and every row read.
TEST_F(CameraTableWrites, TransPathIsEncipheredInTheTableOnlyUnderVersion6731) {
    {
        ConfigFile config("[Tvwall]\nVersion=6731\n");
        StoreCameras({Camera(1)});
        CAMERA_INFO read;
        ASSERT_TRUE(m_store.GetCameraByID(&read, 1));
        EXPECT_STREQ(read.TRANSPATH, "rtsp://10.0.0.1/1");
    }
    {
        ConfigFile config("[Tvwall]\nVersion=6730\n");
        StoreCameras({Camera(2)});
    }
    StoreCameras({Camera(3)});  // no settings file at all
    const std::vector<std::string> stored =
        store_test::Peek(m_store.DbPath()).Column("SELECT TRANSPATH FROM CAMERAINFO ORDER BY ID");
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].find("10.0.0.1"), std::string::npos);
    EXPECT_EQ(stored[1], "rtsp://10.0.0.1/2");
    EXPECT_EQ(stored[2], "rtsp://10.0.0.1/3");
    // Read with the setting gone: the enciphered text, cut to the field.
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByID(&read, 1));
    EXPECT_EQ(std::string(read.TRANSPATH), stored[0].substr(0, 127));
}

// A list long enough for the bulk path: IDs out of order, one repeated, and index
// codes shared by several cameras, so that which row a look-up finds first shows.
std::vector<CAMERA_INFO> LongList() {
    std::vector<CAMERA_INFO> cameras;
    for (int i = 0; i < 2000; ++i) {
        CAMERA_INFO camera = Camera((i * 7919) % 2003 + 1, 7 + i % 5, 2, i % 3);
        camera.STATUS = i % 4 == 0;
        if (i % 10 == 0) SetText(camera.INDEXCODE, "shared " + std::to_string(i % 30));
        cameras.push_back(camera);
    }
    cameras.push_back(Camera(cameras[17].ID));
    return cameras;
}

// Everything a query can see of the file: the schema, every row in storage order,
// and SQLite's own check that each index holds exactly the table's rows.
std::vector<std::string> FileContents(const std::string& path) {
    store_test::Peek peek(path);
    std::vector<std::string> contents = peek.Column(
        "SELECT type || ' ' || name || ' ' || ifnull(sql, '') FROM sqlite_master "
        "ORDER BY name");
    for (const std::string& row : peek.Column(
             "SELECT rowid || '|' || ID || '|' || CELLID || '|' || SEQINDEX || '|' || INDEXCODE "
             "|| '|' || STATUS || '|' || CAMNAME FROM CAMERAINFO ORDER BY rowid"))
        contents.push_back(row);
    const std::vector<std::string> check = peek.Column("PRAGMA integrity_check");
    contents.insert(contents.end(), check.begin(), check.end());
    return contents;
}

TEST_F(CameraTableWrites, ALongListIntoAnEmptyTableLeavesWhatRowByRowWritesLeave) {
    std::vector<CAMERA_INFO> cameras = LongList();
    StoreCameras(cameras);

    store_test::TempDir otherDir;
    CDataOper rowByRow;
    ASSERT_TRUE(rowByRow.Init(otherDir.Path().c_str()));
    std::vector<CAMERA_INFO> first(cameras.begin(), cameras.begin() + 1);
    std::vector<CAMERA_INFO> rest(cameras.begin() + 1, cameras.end());
    ASSERT_TRUE(rowByRow.SetCameraList(Linked(first), 0));
    ASSERT_TRUE(rowByRow.SetCameraList(Linked(rest), 0));  // a table with a row: no bulk

    // The index definitions are part of the schema compared.
    const std::vector<std::string> contents = FileContents(m_store.DbPath());
    EXPECT_EQ(contents, FileContents(rowByRow.DbPath()));
    EXPECT_EQ(contents.back(), "ok");
    rowByRow.UnInit();
}

// The bulk path's own statements are its four DROPs, then its four CREATEs.
TEST_F(CameraTableWrites, ALongDepositWhoseIndexesCannotBeMadeStoresNothingAndKeepsThem) {
    std::vector<CAMERA_INFO> cameras = LongList();
    const std::size_t indexes = std::size(channel_sql::kCameraIndexes);
    for (std::size_t failing = 0; failing < 2 * indexes; ++failing) {
        SCOPED_TRACE("statement " + std::to_string(failing));
        store_test::TempDir dir;
        CDataOper store;
        ASSERT_TRUE(store.Init(dir.Path().c_str()));
        vellum::fault::Storage().Arm(static_cast<long>(failing), 1, "ExecuteSql");
        const bool stored = store.SetCameraList(Linked(cameras), 0);
        vellum::fault::Storage().Disarm();
        const bool dropFailed = failing < indexes;
        EXPECT_EQ(stored, dropFailed);
        store_test::Peek peek(store.DbPath());
        EXPECT_EQ(peek.Count("CAMERAINFO"), dropFailed ? 2000 : 0);
        EXPECT_EQ(peek.Column("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                              "tbl_name = 'CAMERAINFO' AND sql IS NOT NULL")[0],
                  std::to_string(indexes));
        EXPECT_EQ(peek.Column("PRAGMA integrity_check")[0], "ok");
        store.UnInit();
    }
}

// A batch is flushed before its statement text would overrun: 301 identifiers of
// eleven characters each cross both the batch count and a 3072-byte statement.
TEST_F(CameraTableWrites, DeleteBatchesOfLongIdentifiersRemoveExactlyTheListedRows) {
    std::vector<CAMERA_INFO> cameras;
    for (int i = 0; i < 301; ++i) cameras.push_back(Camera(-2000000000 + i));
    cameras.push_back(Camera(7));
    StoreCameras(cameras);
    cameras.pop_back();
    ASSERT_TRUE(m_store.DeleteCameras(Linked(cameras)));
    store_test::Peek peek(m_store.DbPath());
    EXPECT_EQ(peek.Column("SELECT ID FROM CAMERAINFO"), std::vector<std::string>{"7"});
    std::vector<CAMERA_INFO> unknown = {Camera(2)};
    EXPECT_TRUE(m_store.DeleteCameras(Linked(unknown)));
    EXPECT_EQ(peek.Count("CAMERAINFO"), 1);
}

}  // namespace
