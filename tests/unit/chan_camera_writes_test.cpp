// Camera table writes: STATUS, names as UTF-8 and in the log, the TRANSPATH cipher, the
// bulk path against row-by-row writes, and DeleteCameras.
#include <clocale>
#include <iterator>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::Linked;
using chan_test::SetText;
using chan_test::Tables;
using CameraWrites = chan_test::TablesTest;

// A host may send any non-zero byte as true; only a stored 1 reads back online, and a
// status change is stored as given.
TEST_F(CameraWrites, AnyNonZeroStatusByteIsStoredAsOneAndOnlyOneReadsOnline) {
    std::vector<CAMERA_INFO> cameras = {Camera(1), Camera(2)};
    const unsigned char odd = 0x7E;
    std::memcpy(&cameras[0].STATUS, &odd, 1);
    ASSERT_TRUE(m_t.StoreCameras(cameras));
    CAMERA_STATUS change = {1, 2, nullptr};
    for (const char* stored : {"1", "2"}) {
        if (*stored == '2') m_t.statistics.UpdateCameraStatus(&change);
        EXPECT_EQ(store_test::Peek(m_t.Path()).Column("SELECT STATUS FROM CAMERAINFO ORDER BY ID"),
                  (std::vector<std::string>{stored, "0"}));
        CAMERA_INFO read;
        ASSERT_TRUE(m_t.cameras.GetCameraByID(&read, 1));
        EXPECT_EQ(read.STATUS, *stored == '1');
    }
}

// Names reach the log as text: format directives in them stay as they are. Fields the
// host left unterminated are read only up to their width, and read back cut to it.
TEST_F(CameraWrites, NamesAreLoggedAsTextAndUnterminatedFieldsReadOnlyToTheirWidth) {
    CAMERA_INFO named = Camera(9, 77);
    SetText(named.CAMNAME, "%s%n%x%p%99999d");
    CAMERA_INFO full = Camera(3);
    std::memset(full.INDEXCODE, 'I', sizeof full.INDEXCODE);
    std::memset(full.CAMNAME, 'n', sizeof full.CAMNAME);
    std::memset(full.TRANSPATH, 't', sizeof full.TRANSPATH);
    ASSERT_TRUE(m_t.StoreCameras({named, full}));
    ASSERT_EQ(m_log.Lines().size(), 2u);
    for (const auto& [line, expected] :
         {std::pair{m_log.Lines()[0].text, std::string("%s%n%x%p%99999d,CAM-9,9,77>")},
          {m_log.Lines()[1].text, std::string(260, 'n') + "," + std::string(64, 'I') + ",3,7>"}})
        EXPECT_EQ(line.substr(line.find("sqliteDb ") + 9), expected);
    EXPECT_EQ(store_test::Peek(m_t.Path())
                  .Column("SELECT INDEXCODE || CAMNAME || TRANSPATH FROM CAMERAINFO WHERE ID = 3"),
              std::vector<std::string>{std::string(64, 'I') + std::string(260, 'n') +
                                       std::string(128, 't')});
    CAMERA_INFO read;
    ASSERT_TRUE(m_t.cameras.GetCameraByID(&read, 3));
    EXPECT_EQ(std::string(read.INDEXCODE) + read.CAMNAME,
              std::string(63, 'I') + std::string(259, 'n'));
}

// Makes the host code page Latin-1 where it can (on Windows the active code page 1252,
// which agrees with it on the letter used below); false when the machine has neither.
bool UseLatin1HostCodePage() {
#if defined(_WIN32)
    return GetACP() == 1252;
#else
    for (const char* name : {"en_US.ISO-8859-1", "en_US.iso88591", "de_DE.ISO-8859-1",
                             "de_DE.iso88591", "fr_FR.ISO-8859-1", "C.ISO-8859-1"})
        if (std::setlocale(LC_CTYPE, name) != nullptr) return true;
    return false;
#endif
}

// 259 Latin-1 bytes fill the field and take 518 bytes in UTF-8; they read back whole.
TEST_F(CameraWrites, ALegacyCodePageNameIsStoredAsUtf8AndReadsBackWhole) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    if (!UseLatin1HostCodePage()) GTEST_SKIP() << "no Latin-1 host code page on this machine";
    CAMERA_INFO camera = Camera(1);
    std::memset(camera.CAMNAME, '\xE9', 259);
    camera.CAMNAME[259] = '\0';
    ASSERT_TRUE(m_t.StoreCameras({camera}));
    EXPECT_EQ(store_test::Peek(m_t.Path()).Column("SELECT length(CAMNAME) FROM CAMERAINFO"),
              std::vector<std::string>{"259"});  // characters, as UTF-8 text
    CAMERA_INFO read;
    ASSERT_TRUE(m_t.cameras.GetCameraByID(&read, 1));
    EXPECT_STREQ(read.CAMNAME, camera.CAMNAME);
    std::setlocale(LC_CTYPE, saved.c_str());
}

// The setting is asked for each call that writes or reads rows.
TEST_F(CameraWrites, TransPathIsStoredEncipheredOnlyWhileTheSettingSaysSo) {
    m_t.settings.enciphered = true;
    ASSERT_TRUE(m_t.StoreCameras({Camera(1)}));
    CAMERA_INFO read;
    ASSERT_TRUE(m_t.cameras.GetCameraByID(&read, 1));
    EXPECT_STREQ(read.TRANSPATH, "rtsp://10.0.0.1/1");
    m_t.settings.enciphered = false;
    ASSERT_TRUE(m_t.StoreCameras({Camera(2)}));
    const std::vector<std::string> stored =
        store_test::Peek(m_t.Path()).Column("SELECT TRANSPATH FROM CAMERAINFO ORDER BY ID");
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].find("10.0.0.1"), std::string::npos);
    EXPECT_EQ(stored[1], "rtsp://10.0.0.1/2");
    // Read with the setting off: the enciphered text, cut to the field.
    ASSERT_TRUE(m_t.cameras.GetCameraByID(&read, 1));
    EXPECT_EQ(std::string(read.TRANSPATH), stored[0].substr(0, 127));
}

// Long enough for the bulk path: IDs out of order, one repeated, and index codes
// shared by several cameras, so that which row a look-up finds first shows.
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

// The schema with the index definitions, every row in storage order, and SQLite's
// check that each index holds the table's rows.
std::vector<std::string> FileContents(const std::string& path) {
    store_test::Peek peek(path);
    std::vector<std::string> contents = peek.Column(
        "SELECT type || ' ' || name || ' ' || ifnull(sql, '') FROM sqlite_master ORDER BY name");
    for (const std::string& row : peek.Column(
             "SELECT rowid || '|' || ID || '|' || CELLID || '|' || SEQINDEX || '|' || INDEXCODE "
             "|| '|' || STATUS || '|' || CAMNAME FROM CAMERAINFO ORDER BY rowid"))
        contents.push_back(row);
    contents.push_back(peek.Column("PRAGMA integrity_check")[0]);
    return contents;
}

TEST_F(CameraWrites, ALongListIntoAnEmptyTableLeavesWhatRowByRowWritesLeave) {
    const std::vector<CAMERA_INFO> cameras = LongList();
    ASSERT_TRUE(m_t.StoreCameras(cameras));
    Tables rowByRow;
    ASSERT_TRUE(rowByRow.StoreCameras({cameras[0]}));
    ASSERT_TRUE(rowByRow.StoreCameras({cameras.begin() + 1, cameras.end()}));  // no bulk
    EXPECT_EQ(FileContents(m_t.Path()), FileContents(rowByRow.Path()));
    EXPECT_EQ(FileContents(m_t.Path()).back(), "ok");
}

// The bulk path's own statements are its four DROPs, then its four CREATEs.
TEST_F(CameraWrites, ALongDepositWhoseIndexesCannotBeMadeStoresNothingAndKeepsThem) {
    const std::size_t indexes = std::size(channel_sql::kCameraIndexes);
    for (std::size_t failing = 0; failing < 2 * indexes; ++failing) {
        SCOPED_TRACE("statement " + std::to_string(failing));
        Tables tables;
        vellum::fault::Storage().Arm(static_cast<long>(failing), 1, "ExecuteSql");
        const bool stored = tables.StoreCameras(LongList());
        vellum::fault::Storage().Disarm();
        const bool dropFailed = failing < indexes;
        EXPECT_EQ(stored, dropFailed);
        store_test::Peek peek(tables.Path());
        EXPECT_EQ(peek.Count("CAMERAINFO"), dropFailed ? 2000 : 0);
        EXPECT_EQ(peek.Column("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                              "tbl_name = 'CAMERAINFO' AND sql IS NOT NULL")[0],
                  std::to_string(indexes));
        EXPECT_EQ(peek.Column("PRAGMA integrity_check")[0], "ok");
    }
}

// A batch is flushed before its statement text would overrun: 301 identifiers of
// eleven characters each cross both the batch count and a 3072-byte statement.
TEST_F(CameraWrites, DeleteBatchesOfLongIdentifiersRemoveExactlyTheListedRows) {
    std::vector<CAMERA_INFO> cameras;
    for (int i = 0; i < 301; ++i) cameras.push_back(Camera(-2000000000 + i));
    cameras.push_back(Camera(7));
    ASSERT_TRUE(m_t.StoreCameras(cameras));
    cameras.pop_back();
    cameras.push_back(Camera(2));  // unknown: no failure
    ASSERT_TRUE(m_t.cameras.DeleteCameras(Linked(cameras)));
    EXPECT_EQ(store_test::Peek(m_t.Path()).Column("SELECT ID FROM CAMERAINFO"),
              std::vector<std::string>{"7"});
}

}  // namespace
