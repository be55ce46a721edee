// The channel tables alone, and how CDataOper joins them: settings, key, ClearAll, UnInit.
#include <algorithm>
#include <clocale>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "chan_test_support.h"

namespace {

using namespace chan_test;
using ChannelTables = TablesTest;
using ChannelFacade = ChannelTest;

// Matrix codes compare as decimal text: 12 finds "12", not "012". Pieces of an ID list
// are read as atoi does (out-of-range numbers saturate), empty pieces are skipped, and
// a repeated ID yields its record again. Pieces of a code list are not trimmed; a code
// too long for the field, and one whose query cannot open, name no camera; only one not
// found by its query is noted, followed by a comma. A privilege text is searched for
// the type's code (10001 "1", 10003 "5", 10004 "3"): "1,3" holds 1 and 3, a "0" anywhere
// grants every type, "-1" holds both the unmapped types' -1 and 1; an unknown camera is
// allowed nothing. (Every mapped type: HostProgram.DefaultRunPassesAndItsJson...)
TEST_F(ChannelTables, CameraQueriesReadTheirArgumentsAsText) {
    std::vector<CAMERA_INFO> cameras = {Camera(2), Camera(1),  Camera(3),         Camera(0),
                                        Camera(5), Camera(-3), Camera(2147483647)};
    SetText(cameras[0].MATRIXCODE, "012");
    SetText(cameras[1].MATRIXCODE, "12");
    SetText(cameras[1].INDEXCODE, std::string(63, 'q'));
    SetText(cameras[2].MATRIXCODE, "0");
    SetText(cameras[0].PRIVILEGE, "7,10");
    SetText(cameras[2].PRIVILEGE, "-1");
    ASSERT_TRUE(m_t.StoreCameras(cameras));
    CAMERA_INFO read;
    for (const auto& [code, id] : {std::pair{12, 1}, {0, 3}, {13, -1}})
        EXPECT_EQ(m_t.cameras.GetCameraByMatrixCode(&read, code) ? read.ID : -1, id) << code;
    const std::pair<const char*, std::vector<int32_t>> idLists[] = {
        {"5,x,3", {5, 0, 3}},   {" 3abc,-3, +5", {3, -3, 5}},
        {",,5,,3,5,", {5, 3, 5}}, {"99999999999999999999", {2147483647}},
        {",,,", {}},            {"", {}},
        {"4,6", {}},
    };
    CAMERA_INFO* head = nullptr;
    for (const auto& [ids, expected] : idLists) {
        EXPECT_EQ(m_t.cameras.GetCameraListByIDs(&head, ids), !expected.empty()) << ids;
        EXPECT_EQ(Ids(head), expected) << ids;
    }
    const std::string codes = "P," + std::string(64, 'q') + "," + std::string(63, 'q') + ",R";
    const std::pair<std::string, std::string> codeLists[] = {
        {codes, "P," + std::string(64, 'q') + ",R,"}, {"A,,B, C", "A,B, C,"}, {"", ""}};
    for (const auto& [list, notFound] : codeLists) {
        std::string missing = "left over";
        EXPECT_EQ(m_t.cameras.GetCameraListByIndexCodes(&head, list.c_str(), &missing),
                  list == codes);
        EXPECT_EQ(Ids(head), list == codes ? std::vector<int32_t>{1} : std::vector<int32_t>{});
        EXPECT_EQ(missing, notFound);
    }
    vellum::fault::Storage().Arm(0, 1, "BeginRead");
    std::string missing;
    ASSERT_TRUE(m_t.cameras.GetCameraListByIndexCodes(&head, "CAM-1,CAM-2,CAM-4", &missing));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{2});
    EXPECT_EQ(missing, "CAM-4,");
    const std::tuple<int, int32_t, bool> privileges[] = {
        {10004, 1, true},  {10001, 1, true},  {10003, 1, false}, {10002, 1, false},
        {10002, 2, true},  {10003, 2, true},  {10002, 3, true},  {10001, 3, true},
        {10003, 3, false}, {10001, 99, false}};
    for (const auto& [type, camera, expected] : privileges) {
        bool allowed = !expected;
        ASSERT_TRUE(m_t.cameras.CheckCameraPrivilegeByID(type, camera, &allowed));
        EXPECT_EQ(allowed, expected) << type << " on camera " << camera;
    }
}

// Names reach the log as text: format directives in them stay as they are. Fields the
// host left unterminated are read only up to their width, and read back cut to it.
TEST_F(ChannelTables, NamesAreLoggedAsTextAndUnterminatedFieldsReadOnlyToTheirWidth) {
    CAMERA_INFO named = Camera(9, 77);
    SetText(named.CAMNAME, "%s%n%x%p%99999d");
    CAMERA_INFO full = Camera(3);
    std::memset(full.INDEXCODE, 'I', sizeof full.INDEXCODE);
    std::memset(full.CAMNAME, 'n', sizeof full.CAMNAME);
    ASSERT_TRUE(m_t.StoreCameras({named, full}));
    ASSERT_EQ(m_log.Lines().size(), 2u);
    for (const auto& [line, expected] :
         {std::pair{m_log.Lines()[0].text, std::string("%s%n%x%p%99999d,CAM-9,9,77>")},
          {m_log.Lines()[1].text, std::string(260, 'n') + "," + std::string(64, 'I') + ",3,7>"}})
        EXPECT_EQ(line.substr(line.find("sqliteDb ") + 9), expected);
    CAMERA_INFO read;
    ASSERT_TRUE(m_t.cameras.GetCameraByID(&read, 3));
    EXPECT_EQ(std::string(read.INDEXCODE) + read.CAMNAME,
              std::string(63, 'I') + std::string(259, 'n'));
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

// A list long enough for the bulk path (IDs out of order, one repeated, index codes
// shared) into an empty table. Its own statements are four DROPs, then four CREATEs: a
// failed DROP keeps that index, a failed CREATE leaves the empty table with its indexes;
// stored, the file holds what row-by-row writes leave.
TEST_F(ChannelTables, ALongDepositWhoseIndexesCannotBeMadeStoresNothingAndKeepsThem) {
    std::vector<CAMERA_INFO> cameras;
    for (int i = 0; i < 2000; ++i) {
        cameras.push_back(Camera((i * 7919) % 2003 + 1, 7 + i % 5, 2, i % 3));
        cameras.back().STATUS = i % 4 == 0;
        if (i % 10 == 0) SetText(cameras.back().INDEXCODE, "shared " + std::to_string(i % 30));
    }
    cameras.push_back(Camera(cameras[17].ID));
    ASSERT_TRUE(m_t.StoreCameras({cameras[0]}));
    ASSERT_TRUE(m_t.StoreCameras({cameras.begin() + 1, cameras.end()}));  // no bulk
    const std::vector<std::string> rowByRow = FileContents(m_t.Path());
    ASSERT_EQ(rowByRow.back(), "ok");
    const std::size_t indexes = std::size(channel_sql::kCameraIndexes);
    for (std::size_t failing = 0; failing <= 2 * indexes; ++failing) {  // the last: none
        SCOPED_TRACE("statement " + std::to_string(failing));
        Tables tables;
        vellum::fault::Storage().Arm(static_cast<long>(failing), 1, "ExecuteSql");
        const bool stored = tables.StoreCameras(cameras);
        vellum::fault::Storage().Disarm();
        EXPECT_EQ(stored, failing < indexes || failing == 2 * indexes);
        EXPECT_EQ(FileContents(tables.Path()), stored ? rowByRow : FileContents(Tables().Path()));
    }
}

// Whether `read` finds a record equal to `written`, byte for byte up to its next.
template <class Record, class Read>
bool ReadsBack(const Record& written, Read read) {
    Record record = Sentinel<Record>();
    return read(&record) && org_test::SameRecord(record, written);
}

// The first record of an identifier reads back whole by ID (by code a table reads the
// row alike; the ID shows which row a code found); a second one is rejected without
// failing its list. A non-zero STATUS byte is stored as 1, a change as given, and only
// 1 reads back online. Codes compare as text, leading zeros and quotes too; one longer
// than a field's 63 characters (even one a stored row holds) matches nothing and writes
// nothing. The privilege check takes codes up to 79 characters: longer than a field
// they are allowed nothing; longer still, refused. A cell's channels come in ascending
// ID order, cameras only of the type asked for (their order: HostProgram,
// PlatformFaults), IO channels only of IOTYPE 0, by any query.
TEST_F(ChannelTables, TheFirstRecordOfAnIdReadsBackWholeAndLookUpsAndListsAreExact) {
    const std::string code(63, 'k');
    std::vector<CAMERA_INFO> cameras = {Camera(42), Camera(42), Camera(2), Camera(1),
                                        Camera(5, 7, 1)};
    std::vector<IO_INFO> ios = {Io(3, 5), Io(3, 6, "second"), Io(1, 5), Io(2, 5, "io", 1)};
    std::vector<DEVICE_INFO> devices = {Device(4), Device(4, "second"), Device(1)};
    std::vector<TALK_CHANNEL> talks = {Talk(3, 5), Talk(3, 6, "second"), Talk(1, 5), Talk(2, 5)};
    for (char* field :
         {cameras[2].INDEXCODE, ios[2].INDEXCODE, devices[2].INDEXCODE, talks[2].INDEXCODE})
        std::strcpy(field, code.c_str());
    std::memset(cameras[3].INDEXCODE, 'k', 64);  // unterminated: stored as 64 characters
    SetText(talks[3].INDEXCODE, "000123");
    std::memset(&cameras[0].STATUS, 0x7E, 1);
    SetText(cameras[1].CAMNAME, "second");
    ASSERT_TRUE(m_t.cameras.SetCameraList(Linked(cameras)) && m_t.ios.SetIOList(Linked(ios)) &&
                m_t.devices.SetDeviceList(Linked(devices)) &&
                m_t.talks.SetTalkChannelList(Linked(talks)));
    cameras[0].STATUS = true;
    EXPECT_TRUE(ReadsBack(cameras[0], [&](auto* r) { return m_t.cameras.GetCameraByID(r, 42); }));
    EXPECT_TRUE(ReadsBack(ios[0], [&](auto* r) { return m_t.ios.GetIOByID(r, 3); }));
    EXPECT_TRUE(ReadsBack(devices[0], [&](auto* r) { return m_t.devices.GetDeviceByID(r, 4); }));
    EXPECT_TRUE(ReadsBack(talks[0], [&](auto* r) { return m_t.talks.GetTalkChannelByID(r, 3); }));
    const std::string status = "SELECT STATUS FROM CAMERAINFO WHERE ID = 42";
    const std::string stored = store_test::Peek(m_t.Path()).Column(status)[0];
    CAMERA_STATUS change = {42, 2, nullptr};
    m_t.statistics.UpdateCameraStatus(&change);
    ASSERT_TRUE(m_t.cameras.GetCameraByID(&cameras[1], 42));
    EXPECT_EQ(
        stored + store_test::Peek(m_t.Path()).Column(status)[0] + (cameras[1].STATUS ? "+" : "-"),
        "12-");

    CAMERA_INFO c = Sentinel<CAMERA_INFO>();
    IO_INFO i = Sentinel<IO_INFO>();
    DEVICE_INFO d = Sentinel<DEVICE_INFO>();
    TALK_CHANNEL t = Sentinel<TALK_CHANNEL>();
    const std::function<bool(const char*)> lookups[] = {
        [&](const char* s) { return m_t.cameras.GetCameraByIndexCode(&c, s); },
        [&](const char* s) { return m_t.ios.GetIOByIndexCode(&i, s); },
        [&](const char* s) { return m_t.devices.GetDeviceByIndexCode(&d, s); },
        [&](const char* s) { return m_t.talks.GetTalkChannelByIndexCode(&t, s); }};
    for (const auto& lookup : lookups)
        for (const std::string& miss :
             {code + "k", std::string(5000, 'k'), std::string("123"), std::string("' OR ''='")})
            EXPECT_FALSE(lookup(miss.c_str())) << miss;
    EXPECT_TRUE(IsUntouched(c) && IsUntouched(i) && IsUntouched(d) && IsUntouched(t));
    for (const auto& lookup : lookups) EXPECT_TRUE(lookup(code.c_str()));
    EXPECT_EQ(std::vector<int32_t>({c.ID, i.ID, d.ID, t.ID}), (std::vector<int32_t>{2, 1, 1, 1}));
    EXPECT_TRUE(lookups[3]("000123") && t.ID == 2);
    for (std::size_t length : {63, 64, 79, 80}) {  // the stored camera holds 1
        bool allowed = length != 63;
        const bool answered = m_t.cameras.CheckCameraPrivilegeByIndexCode(
            10001, std::string(length, 'k').c_str(), &allowed);
        EXPECT_EQ(std::pair(answered, allowed), std::pair(length <= 79, length == 63)) << length;
    }
    IO_INFO* ioHead = nullptr;
    TALK_CHANNEL* talkHead = nullptr;
    CAMERA_INFO* cameraHead = nullptr;
    ASSERT_TRUE(m_t.ios.GetIOList(&ioHead, 5) && m_t.talks.GetTalkChannelList(&talkHead, 5) &&
                m_t.cameras.GetCameraList(&cameraHead, 2, 7));
    EXPECT_EQ(Ids(ioHead), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(Ids(talkHead), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(Ids(cameraHead), (std::vector<int32_t>{1, 2, 42}));
    EXPECT_FALSE(m_t.ios.GetIOList(&ioHead, 7) || m_t.talks.GetTalkChannelList(&talkHead, 6) ||
                 m_t.cameras.GetCameraList(&cameraHead, 2, 9) || m_t.ios.GetIOByID(&i, 2) ||
                 m_t.ios.GetIOByIndexCode(&i, "IO-2"));
}

TEST_F(ChannelTables, AFailedTalkStatementEndsTheTransactionAndReportsFalse) {
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5)};
    vellum::fault::Storage().Arm(0, 1, "BeginBind");
    EXPECT_FALSE(m_t.talks.SetTalkChannelList(Linked(talks)));
    EXPECT_EQ(store_test::Peek(m_t.Path()).Count("TALKCHANNEL"), 0);
    vellum::fault::Storage().Disarm();
    EXPECT_TRUE(m_t.talks.SetTalkChannelList(Linked(talks)));  // no transaction was left open
    EXPECT_EQ(store_test::Peek(m_t.Path()).Count("TALKCHANNEL"), 1);
}

#if !defined(_WIN32)  // there the host code page is the active one, which no locale changes
// In the C locale bytes that are no UTF-8 become three-byte replacement characters, and
// a converted name too long for its field is cut at a character boundary: 259 bytes
// give 86 whole characters in a 260-byte field. The field's width is in host bytes: 259
// Latin-1 letters take 518 bytes in UTF-8 and read back whole. (UTF-8 passing through:
// PlatformCodePage; each table converting each name both ways: PlatformFaults.)
TEST_F(ChannelTables, NamesAreStoredAsUtf8AndCutAtACharacterBoundary) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    const std::string name(259, '\xFF');
    CAMERA_INFO camera = Camera(1);
    SetText(camera.CAMNAME, name);
    IO_INFO io = Io(1, 5, name);
    DEVICE_INFO device = Device(1, name);
    TALK_CHANNEL talk = Talk(1, 5, name);
    ASSERT_TRUE(m_t.cameras.SetCameraList(&camera) && m_t.ios.SetIOList(&io) &&
                m_t.devices.SetDeviceList(&device) && m_t.talks.SetTalkChannelList(&talk));
    ASSERT_TRUE(m_t.cameras.GetCameraByID(&camera, 1) && m_t.ios.GetIOByID(&io, 1) &&
                m_t.devices.GetDeviceByID(&device, 1) && m_t.talks.GetTalkChannelByID(&talk, 1));
    std::string replaced;
    for (int i = 0; i < 86; ++i) replaced += "\xEF\xBF\xBD";
    for (const char* read : {camera.CAMNAME, io.IONAME, device.DEVNAME, talk.TALKNAME})
        EXPECT_EQ(std::string(read), replaced);
    const std::string latin1(259, '\xE9');
    camera = Camera(2);
    SetText(camera.CAMNAME, latin1);
    if (std::setlocale(LC_CTYPE, "en_US.ISO-8859-1") != nullptr) {  // scripts/deps.sh makes it
        ASSERT_TRUE(m_t.cameras.SetCameraList(&camera) && m_t.cameras.GetCameraByID(&camera, 2));
        EXPECT_EQ(std::string(camera.CAMNAME), latin1);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
}
#endif

// Each step of EXPLAIN QUERY PLAN (its detail, column 3) for every statement that reads.
TEST(ChannelIndexes, NoLookupScansAWholeTable) {
    Tables t;
    std::vector<std::string> statements(std::begin(channel_sql::kLookups),
                                        std::end(channel_sql::kLookups));
    statements.push_back(channel_sql::CameraDeleteStatement(1));
    statements.push_back(channel_sql::CameraDeleteStatement(channel_sql::kCameraDeleteBatch));
    for (const std::string& sql : statements) {
        ASSERT_TRUE(t.storage.BeginRead("EXPLAIN QUERY PLAN " + sql)) << sql;
        std::string step;
        int steps = 0;
        for (; t.storage.ReadNext() && t.storage.ReadStringByIndex(3, step); ++steps) {
            EXPECT_EQ(step.rfind("SCAN", 0), std::string::npos) << sql << ": " << step;
            EXPECT_EQ(step.find("TEMP B-TREE FOR ORDER BY"), std::string::npos) << sql;
        }
        t.storage.EndRead();
        EXPECT_NE(steps, 0) << sql;
    }
}

// Read afresh at each ask: only Version 6731 enciphers, only camera_index_sort 1 lists
// by descending SEQINDEX; no file means neither. The instance's reader and key reach
// the camera table: the path is stored enciphered and reads back plain; without the
// setting it reads back as stored. (The order: HostProgram's replay under settings.)
TEST_F(ChannelFacade, TheSettingsFileBesideTheModuleReachesTheCameraTable) {
    const char* const both = "[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n";
    const ModuleSettings settings;
    for (const char* content :
         {"", both, "[Tvwall]\nVersion=6730\n[ResTree]\ncamera_index_sort=2\n", ""}) {
        std::unique_ptr<ConfigFile> file;
        if (*content != '\0') file = std::make_unique<ConfigFile>(content);
        EXPECT_EQ(settings.TransPathEnciphered(), content == both) << content;
        EXPECT_EQ(settings.CamerasByDescendingSeqIndex(), content == both) << content;
    }
    auto file = std::make_unique<ConfigFile>(both);
    StoreCameras({Camera(2)});
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByID(&read, 2));
    EXPECT_STREQ(read.TRANSPATH, "rtsp://10.0.0.1/2");
    const std::string stored =
        store_test::Peek(m_store.DbPath()).Column("SELECT TRANSPATH FROM CAMERAINFO")[0];
    EXPECT_EQ(stored.find("10.0.0.1"), std::string::npos);
    file.reset();
    ASSERT_TRUE(m_store.GetCameraByID(&read, 2));
    EXPECT_EQ(read.TRANSPATH, stored);
}

// A list holds the records of its key whole, in deposit order; a record deposited twice
// is listed twice. ClearAll empties the list; neither it nor UnInit the statistics.
TEST_F(ChannelFacade, UserOrgsAreListedAsDepositedUntilClearAllAndStatisticsStay) {
    std::vector<USER_ORG> orgs = {Org(1, 6, 5, 7), Org(2, 0, 0, 8), Org(3, 0, 0, 7)};
    m_store.SetUserOrgList(Linked(orgs));
    m_store.SetUserOrgList(&orgs[2]);
    m_store.SetUserOrgStatList(Linked(orgs));
    USER_ORG* head = nullptr;
    ASSERT_TRUE(m_store.GetUserOrgList(&head, 7));
    const std::vector<USER_ORG> listed = TakeList(head), expected = {orgs[0], orgs[2], orgs[2]};
    head = nullptr;
    EXPECT_TRUE(std::equal(listed.begin(), listed.end(), expected.begin(), expected.end(),
                           org_test::SameRecord<USER_ORG>));
    m_store.ClearAll();
    EXPECT_FALSE(m_store.GetUserOrgList(&head, 7));
    m_store.UnInit();
    int online = 0, total = 0;
    ASSERT_TRUE(m_store.GetUserOrgStat(1, &online, &total));
    EXPECT_EQ(std::to_string(online) + "/" + std::to_string(total), "5/6");
    ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
}

}  // namespace
