// What the four channel tables share: the column mapping, duplicates, look-ups by
// code, names as UTF-8, an index for every look-up; the lists by cell, IOTYPE and the
// talk write's failure; and how CDataOper joins the components: its settings file and
// key reach the camera table, and what ClearAll and UnInit empty of the user orgs.
#include <clocale>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "chan_test_support.h"

namespace {

using chan_test::Camera;
using chan_test::ConfigFile;
using chan_test::Device;
using chan_test::Ids;
using chan_test::Io;
using chan_test::IsUntouched;
using chan_test::Linked;
using chan_test::Org;
using chan_test::Sentinel;
using chan_test::SetText;
using chan_test::Talk;
using ChannelTables = chan_test::TablesTest;
using ChannelFacade = chan_test::ChannelTest;

// Whether `read` finds a record equal to `written`, byte for byte, but for its next.
template <class Record, class Read>
bool ReadsBack(Record written, Read read) {
    Record record = Sentinel<Record>();
    written.next = nullptr;
    return read(&record) && std::memcmp(&record, &written, sizeof record) == 0;
}

// A second record of an identifier is rejected without failing its list; the first
// reads back as it was written, byte for byte. The talk table orders its columns
// otherwise than the record.
TEST_F(ChannelTables, EachFieldLandsInItsColumnAndTheFirstRowOfAnIdReadsBackWhole) {
    std::vector<CAMERA_INFO> cameras = {Camera(42), Camera(42)};
    std::vector<IO_INFO> ios = {Io(1, 5), Io(1, 6, "second")};
    std::vector<DEVICE_INFO> devices = {Device(4), Device(4, "second")};
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5), Talk(1, 6, "second")};
    cameras[0].STATUS = true;
    SetText(cameras[1].CAMNAME, "second");
    ASSERT_TRUE(m_t.cameras.SetCameraList(Linked(cameras)));
    ASSERT_TRUE(m_t.ios.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_t.devices.SetDeviceList(Linked(devices)));
    ASSERT_TRUE(m_t.talks.SetTalkChannelList(Linked(talks)));
    store_test::Peek peek(m_t.Path());
    std::string row;
    for (const char* column :
         {"ID", "DEVID", "CELLID", "CELLTYPE", "CHANNELNO", "INDEXCODE", "CAMNAME", "CAMTYPE",
          "MATRIXCODE", "SEQINDEX", "STATUS", "RECLOC", "PRIVILEGE", "CASCADID", "VRMID",
          "VTDUID", "VAGID", "DEVTAG", "RECGUID", "MULTIIP", "TRANSPATH", "TRANSCNT", "MOD",
          "ISGROUP"})
        row += peek.Column(std::string("SELECT ") + column + " FROM CAMERAINFO")[0] + "|";
    EXPECT_EQ(row,
              "42|43|7|2|46|CAM-42|camera 42|49|1042|0|1|recloc 42|1,3|53|57|58|59|devtag 42|"
              "guid-42|239.0.0.42|rtsp://10.0.0.1/42|63|64|1|");
    EXPECT_EQ(peek.Column("SELECT ID||'|'||DEVNAME||'|'||INDEXCODE||'|'||IP||'|'||PORT||'|'||"
                          "DOMAINID||'|'||USERNAME||'|'||PASSWORD||'|'||DEVTYPE FROM DEVICEINFO"),
              std::vector<std::string>{"4|device|DEV-4|10.1.2.3|8004|9|operator|pa'ss\"word|3"});
    EXPECT_EQ(peek.Column("SELECT ID||','||DEVID||','||CELLID||','||CHANNELNO FROM TALKCHANNEL"),
              std::vector<std::string>{"1,2,5,3"});
    EXPECT_TRUE(ReadsBack(cameras[0], [&](auto* r) { return m_t.cameras.GetCameraByID(r, 42); }));
    EXPECT_TRUE(ReadsBack(ios[0], [&](auto* r) { return m_t.ios.GetIOByID(r, 1); }));
    EXPECT_TRUE(ReadsBack(devices[0], [&](auto* r) { return m_t.devices.GetDeviceByID(r, 4); }));
    EXPECT_TRUE(ReadsBack(devices[0],
                          [&](auto* r) { return m_t.devices.GetDeviceByIndexCode(r, "DEV-4"); }));
    EXPECT_TRUE(ReadsBack(talks[0], [&](auto* r) { return m_t.talks.GetTalkChannelByID(r, 1); }));
}

// Codes compare as text, leading zeros and quotes too, and a hit is the first matching
// row; one longer than the 63 characters of a field (even one a stored row holds)
// matches nothing and writes nothing. The privilege check takes codes up to 79
// characters: longer than a field they are allowed nothing, and a longer one is refused.
TEST_F(ChannelTables, ACodeIsLookedUpExactlyAndOneTooLongForItsFieldMatchesNothing) {
    const std::string code(63, 'k');
    std::vector<CAMERA_INFO> cameras = {Camera(2), Camera(1)};
    std::vector<IO_INFO> ios = {Io(1, 5)};
    std::vector<DEVICE_INFO> devices = {Device(1)};
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5), Talk(2, 5)};
    for (char* field :
         {cameras[0].INDEXCODE, ios[0].INDEXCODE, devices[0].INDEXCODE, talks[0].INDEXCODE})
        std::strcpy(field, code.c_str());
    std::memset(cameras[1].INDEXCODE, 'k', 64);  // unterminated: stored as 64 characters
    SetText(talks[1].INDEXCODE, "000123");
    ASSERT_TRUE(m_t.cameras.SetCameraList(Linked(cameras)));
    ASSERT_TRUE(m_t.ios.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_t.devices.SetDeviceList(Linked(devices)));
    ASSERT_TRUE(m_t.talks.SetTalkChannelList(Linked(talks)));
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
    EXPECT_EQ(c.ID, 2);
    ASSERT_TRUE(m_t.talks.GetTalkChannelByIndexCode(&t, "000123"));
    EXPECT_EQ(t.ID, 2);
    for (std::size_t length : {63, 64, 79, 80}) {
        bool allowed = length != 63;
        EXPECT_EQ(m_t.cameras.CheckCameraPrivilegeByIndexCode(
                      10001, std::string(length, 'k').c_str(), &allowed),
                  length <= 79)
            << length;
        EXPECT_EQ(allowed, length == 63) << length;  // the stored camera holds 1
    }
}

// A cell's channels in ascending ID order; IO channels only of IOTYPE 0, by any query.
TEST_F(ChannelTables, ACellsChannelsComeInAscendingIdOrderAndOnlyIoTypeZeroIsAnswered) {
    std::vector<IO_INFO> ios = {Io(30, 5), Io(10, 5), Io(20, 5, "io", 1), Io(40, 6)};
    std::vector<TALK_CHANNEL> talks = {Talk(9, 5), Talk(4, 5), Talk(6, 8)};
    ASSERT_TRUE(m_t.ios.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_t.talks.SetTalkChannelList(Linked(talks)));
    IO_INFO* head = nullptr;
    ASSERT_TRUE(m_t.ios.GetIOList(&head, 5));
    EXPECT_EQ(Ids(head), (std::vector<int32_t>{10, 30}));
    EXPECT_FALSE(m_t.ios.GetIOList(&head, 7));
    IO_INFO io;
    EXPECT_FALSE(m_t.ios.GetIOByID(&io, 20));
    EXPECT_FALSE(m_t.ios.GetIOByIndexCode(&io, "IO-20"));
    TALK_CHANNEL* talkHead = nullptr;
    ASSERT_TRUE(m_t.talks.GetTalkChannelList(&talkHead, 5));
    EXPECT_EQ(Ids(talkHead), (std::vector<int32_t>{4, 9}));
    EXPECT_FALSE(m_t.talks.GetTalkChannelList(&talkHead, 6));
    EXPECT_TRUE(head == nullptr && talkHead == nullptr);
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

// On Windows the host code page is the active code page, which no locale changes.
#if !defined(_WIN32)
// In the C locale names pass as UTF-8; bytes that are no UTF-8 become three-byte
// replacement characters, and a converted name too long for its field is cut at a
// character boundary (259 bytes give 86 whole characters in a 260-byte field).
TEST_F(ChannelTables, NamesAreStoredAsUtf8AndCutAtACharacterBoundary) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    std::string replaced;
    for (int i = 0; i < 86; ++i) replaced += "\xEF\xBF\xBD";
    const std::string utf8 = "Entr\xC3\xA9" "e \xE5\x8C\x97";
    const std::pair<std::string, std::string> names[] = {{utf8, utf8},
                                                         {std::string(259, '\xFF'), replaced}};
    for (int32_t id : {1, 2}) {
        const auto& [name, expected] = names[id - 1];
        CAMERA_INFO camera = Camera(id);
        SetText(camera.CAMNAME, name);
        IO_INFO io = Io(id, 5, name);
        DEVICE_INFO device = Device(id, name);
        TALK_CHANNEL talk = Talk(id, 5, name);
        ASSERT_TRUE(m_t.cameras.SetCameraList(&camera) && m_t.ios.SetIOList(&io) &&
                    m_t.devices.SetDeviceList(&device) && m_t.talks.SetTalkChannelList(&talk));
        ASSERT_TRUE(m_t.cameras.GetCameraByID(&camera, id) && m_t.ios.GetIOByID(&io, id) &&
                    m_t.devices.GetDeviceByID(&device, id) &&
                    m_t.talks.GetTalkChannelByID(&talk, id));
        for (const char* read : {camera.CAMNAME, io.IONAME, device.DEVNAME, talk.TALKNAME})
            EXPECT_EQ(std::string(read), expected);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
}
#endif

// The detail lines of EXPLAIN QUERY PLAN for `sql`, its `?` left unbound.
std::vector<std::string> QueryPlan(CDataStorage& storage, const std::string& sql) {
    std::vector<std::string> details;
    EXPECT_TRUE(storage.BeginRead("EXPLAIN QUERY PLAN " + sql)) << sql;
    std::string detail;
    while (storage.ReadNext() && storage.ReadStringByIndex(3, detail)) details.push_back(detail);
    storage.EndRead();
    return details;
}

TEST(ChannelIndexes, NoLookupScansAWholeTable) {
    chan_test::Tables t;
    std::vector<std::string> statements(std::begin(channel_sql::kLookups),
                                        std::end(channel_sql::kLookups));
    statements.push_back(channel_sql::CameraDeleteStatement(1));
    statements.push_back(channel_sql::CameraDeleteStatement(channel_sql::kCameraDeleteBatch));
    for (const std::string& sql : statements) {
        const std::vector<std::string> plan = QueryPlan(t.storage, sql);
        ASSERT_FALSE(plan.empty()) << sql;
        for (const std::string& step : plan) {
            EXPECT_EQ(step.rfind("SCAN", 0), std::string::npos) << sql << ": " << step;
            EXPECT_EQ(step.find("TEMP B-TREE FOR ORDER BY"), std::string::npos) << sql;
        }
    }
}

// Read afresh at each ask: only Version 6731 enciphers, only camera_index_sort 1 lists
// by descending SEQINDEX; no file means neither. The instance's reader and key reach
// the camera table (its order setting: PlatformFaults in rel_platform_faults).
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
    ConfigFile file(both);
    StoreCameras({Camera(2)});
    CAMERA_INFO read;
    ASSERT_TRUE(m_store.GetCameraByID(&read, 2));
    EXPECT_STREQ(read.TRANSPATH, "rtsp://10.0.0.1/2");
    EXPECT_EQ(store_test::Peek(m_store.DbPath())
                  .Column("SELECT TRANSPATH FROM CAMERAINFO")[0]
                  .find("10.0.0.1"),
              std::string::npos);
}

TEST_F(ChannelFacade, ClearAllEmptiesTheUserOrgListAndNeitherEmptiesTheStatistics) {
    std::vector<USER_ORG> orgs = {Org(1, 6, 5)};
    m_store.SetUserOrgList(Linked(orgs));
    m_store.SetUserOrgStatList(Linked(orgs));
    m_store.ClearAll();
    USER_ORG* head = nullptr;
    EXPECT_FALSE(m_store.GetUserOrgList(&head, 0));
    m_store.UnInit();
    int online = 0, total = 0;
    ASSERT_TRUE(m_store.GetUserOrgStat(1, &online, &total));
    EXPECT_EQ(std::to_string(online) + "/" + std::to_string(total), "5/6");
    ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
}

}  // namespace
