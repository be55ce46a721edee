// IO channels, devices and talk channels: column mapping, the IOTYPE filter, lists
// by cell, duplicates, misses, over-long codes, and the talk write's failure results.
#include <clocale>
#include <string>
#include <vector>

#include "chan_test_support.h"

namespace {

using chan_test::ChannelTest;
using chan_test::Device;
using chan_test::Ids;
using chan_test::Io;
using chan_test::IsUntouched;
using chan_test::Linked;
using chan_test::Sentinel;
using chan_test::SetText;
using chan_test::Talk;

using OtherChannels = ChannelTest;

TEST_F(OtherChannels, EachFieldLandsInItsColumnAndTheRecordReadsBackWhole) {
    std::vector<IO_INFO> ios = {Io(1, 5)};
    std::vector<DEVICE_INFO> devices = {Device(4)};
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5)};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    store_test::Peek peek(m_store.DbPath());
    EXPECT_EQ(
        peek.Column("SELECT ID||'|'||DEVNAME||'|'||INDEXCODE||'|'||IP||'|'||PORT||'|'||"
                    "DOMAINID||'|'||USERNAME||'|'||PASSWORD||'|'||DEVTYPE FROM DEVICEINFO")[0],
        "4|device|DEV-4|10.1.2.3|8004|9|operator|pa'ss\"word|3");
    // The talk table orders its columns otherwise than the record.
    EXPECT_EQ(peek.Column("SELECT ID||','||DEVID||','||CELLID||','||CHANNELNO FROM TALKCHANNEL")[0],
              "1,2,5,3");

    IO_INFO io = Sentinel<IO_INFO>();
    ASSERT_TRUE(m_store.GetIOByID(&io, 1));
    EXPECT_EQ(std::memcmp(&io, &ios[0], sizeof io), 0);
    for (bool byCode : {false, true}) {
        DEVICE_INFO device = Sentinel<DEVICE_INFO>();
        ASSERT_TRUE(byCode ? m_store.GetDeviceByIndexCode(&device, "DEV-4")
                           : m_store.GetDeviceByID(&device, 4));
        EXPECT_EQ(std::memcmp(&device, &devices[0], sizeof device), 0) << byCode;
    }
    TALK_CHANNEL talk = Sentinel<TALK_CHANNEL>();
    ASSERT_TRUE(m_store.GetTalkChannelByIndexCode(&talk, "TALK-1"));
    EXPECT_EQ(std::memcmp(&talk, &talks[0], sizeof talk), 0);
}

TEST_F(OtherChannels, OnlyIoTypeZeroIsEverAnswered) {
    std::vector<IO_INFO> ios = {Io(1, 5, "io", 1), Io(2, 5)};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    EXPECT_EQ(store_test::Peek(m_store.DbPath()).Count("IOINFO"), 2);
    IO_INFO read;
    EXPECT_FALSE(m_store.GetIOByID(&read, 1));
    EXPECT_FALSE(m_store.GetIOByIndexCode(&read, "IO-1"));
    ASSERT_TRUE(m_store.GetIOByID(&read, 2));
    ASSERT_TRUE(m_store.GetIOByIndexCode(&read, "IO-2"));
    IO_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetIOList(&head, 5));
    EXPECT_EQ(Ids(head), std::vector<int32_t>{2});
}

TEST_F(OtherChannels, ACellsChannelsComeInAscendingIdOrder) {
    std::vector<IO_INFO> ios = {Io(30, 5), Io(10, 5), Io(20, 5), Io(40, 6)};
    std::vector<TALK_CHANNEL> talks = {Talk(9, 5), Talk(4, 5), Talk(6, 8)};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    IO_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetIOList(&head, 5));
    EXPECT_EQ(head->next->next->next, nullptr);
    EXPECT_EQ(Ids(head), (std::vector<int32_t>{10, 20, 30}));
    EXPECT_FALSE(m_store.GetIOList(&head, 7));
    EXPECT_EQ(head, nullptr);
    EXPECT_FALSE(m_store.GetIOList(nullptr, 5));
    TALK_CHANNEL* talkHead = nullptr;
    ASSERT_TRUE(m_store.GetTalkChannelList(&talkHead, 5));
    EXPECT_EQ(talkHead->next->next, nullptr);
    EXPECT_EQ(Ids(talkHead), (std::vector<int32_t>{4, 9}));
    EXPECT_FALSE(m_store.GetTalkChannelList(&talkHead, 6));
    EXPECT_EQ(talkHead, nullptr);
}

// Every table keeps the first row of an identifier; the talk write still succeeds.
TEST_F(OtherChannels, ADuplicateKeepsTheFirstValues) {
    std::vector<IO_INFO> ios = {Io(1, 5, "first"), Io(1, 5, "second")};
    std::vector<DEVICE_INFO> devices = {Device(1, "first"), Device(1, "second")};
    devices[1].PORT = 1;
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5, "first")};
    std::vector<TALK_CHANNEL> again = {Talk(1, 5, "second"), Talk(2, 5)};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    EXPECT_TRUE(m_store.SetTalkChannelList(Linked(again)));
    IO_INFO io;
    ASSERT_TRUE(m_store.GetIOByID(&io, 1));
    EXPECT_STREQ(io.IONAME, "first");
    DEVICE_INFO device;
    ASSERT_TRUE(m_store.GetDeviceByIndexCode(&device, "DEV-1"));
    EXPECT_STREQ(device.DEVNAME, "first");
    EXPECT_EQ(device.PORT, 8001);
    TALK_CHANNEL talk;
    ASSERT_TRUE(m_store.GetTalkChannelByID(&talk, 1));
    EXPECT_STREQ(talk.TALKNAME, "first");
    EXPECT_TRUE(m_store.GetTalkChannelByID(&talk, 2));
}

TEST_F(OtherChannels, AMissLeavesTheRecordUntouchedAndALongCodeMatchesNothing) {
    std::vector<IO_INFO> ios = {Io(1, 5)};
    SetText(ios[0].INDEXCODE, std::string(63, 'k'));
    std::vector<DEVICE_INFO> devices = {Device(1)};
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5), Talk(2, 5)};
    SetText(talks[0].INDEXCODE, "ab-12-CD-3");
    SetText(talks[1].INDEXCODE, "000123");
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    IO_INFO io = Sentinel<IO_INFO>();
    EXPECT_FALSE(m_store.GetIOByID(&io, 2));
    EXPECT_FALSE(m_store.GetIOByIndexCode(&io, std::string(64, 'k').c_str()));
    EXPECT_FALSE(m_store.GetIOByIndexCode(&io, "x' OR '1'='1"));
    EXPECT_TRUE(IsUntouched(io));
    EXPECT_TRUE(m_store.GetIOByIndexCode(&io, std::string(63, 'k').c_str()));
    DEVICE_INFO device = Sentinel<DEVICE_INFO>();
    EXPECT_FALSE(m_store.GetDeviceByID(&device, 2));
    EXPECT_FALSE(m_store.GetDeviceByIndexCode(&device, "DEV-2"));
    EXPECT_FALSE(m_store.GetDeviceByIndexCode(&device, std::string(64, 'D').c_str()));
    EXPECT_TRUE(IsUntouched(device));
    // Codes compare as text: letters, digits, hyphens and leading zeros as they are.
    TALK_CHANNEL talk = Sentinel<TALK_CHANNEL>();
    EXPECT_FALSE(m_store.GetTalkChannelByIndexCode(&talk, "123"));
    EXPECT_FALSE(m_store.GetTalkChannelByIndexCode(&talk, std::string(64, '0').c_str()));
    EXPECT_TRUE(IsUntouched(talk));
    ASSERT_TRUE(m_store.GetTalkChannelByIndexCode(&talk, "ab-12-CD-3"));
    EXPECT_EQ(talk.ID, 1);
    ASSERT_TRUE(m_store.GetTalkChannelByIndexCode(&talk, "000123"));
    EXPECT_EQ(talk.ID, 2);
}

// What a null from the object factory does to each list: FactoryFaultSweep.
TEST_F(OtherChannels, ANullListIsRefused) {
    EXPECT_FALSE(m_store.SetIOList(nullptr));
    EXPECT_FALSE(m_store.SetDeviceList(nullptr));
    EXPECT_FALSE(m_store.SetTalkChannelList(nullptr));
}

TEST_F(OtherChannels, AFailedTalkStatementEndsTheTransactionAndReportsFalse) {
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5)};
    vellum::fault::Storage().Arm(0, 1, "BeginBind");
    EXPECT_FALSE(m_store.SetTalkChannelList(Linked(talks)));
    EXPECT_EQ(store_test::Peek(m_store.DbPath()).Count("TALKCHANNEL"), 0);
    vellum::fault::Storage().Disarm();
    EXPECT_TRUE(m_store.SetTalkChannelList(Linked(talks)));  // no transaction was left open
    EXPECT_EQ(store_test::Peek(m_store.DbPath()).Count("TALKCHANNEL"), 1);
}

// On Windows the host code page is the active code page, which no locale changes.
#if !defined(_WIN32)
// In the C locale names pass as UTF-8; bytes that are no UTF-8 become three-byte
// replacement characters, and a converted name too long for its field is cut at a
// character boundary (259 bytes give 86 whole characters in a 260-byte field).
TEST_F(OtherChannels, NamesAreStoredAsUtf8AndCutAtACharacterBoundary) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    std::string replaced;
    for (int i = 0; i < 86; ++i) replaced += "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> names[] = {{"Entr\xC3\xA9"
                                                          "e \xE5\x8C\x97",
                                                          "Entr\xC3\xA9"
                                                          "e \xE5\x8C\x97"},
                                                         {std::string(259, '\xFF'), replaced}};
    int32_t id = 0;
    for (const auto& [name, expected] : names) {
        ++id;
        CAMERA_INFO camera = chan_test::Camera(id);
        SetText(camera.CAMNAME, name);
        std::vector<IO_INFO> ios = {Io(id, 5, name)};
        std::vector<DEVICE_INFO> devices = {Device(id, name)};
        std::vector<TALK_CHANNEL> talks = {Talk(id, 5, name)};
        ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
        ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
        ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
        StoreCameras({camera});
        IO_INFO io;
        DEVICE_INFO device;
        TALK_CHANNEL talk;
        ASSERT_TRUE(m_store.GetCameraByID(&camera, id));
        ASSERT_TRUE(m_store.GetIOByID(&io, id));
        ASSERT_TRUE(m_store.GetDeviceByID(&device, id));
        ASSERT_TRUE(m_store.GetTalkChannelByID(&talk, id));
        EXPECT_EQ(std::string(camera.CAMNAME), expected);
        EXPECT_EQ(std::string(io.IONAME), expected);
        EXPECT_EQ(std::string(device.DEVNAME), expected);
        EXPECT_EQ(std::string(talk.TALKNAME), expected);
    }
    store_test::Peek peek(m_store.DbPath());
    for (const char* column : {"CAMNAME FROM CAMERAINFO", "IONAME FROM IOINFO",
                               "DEVNAME FROM DEVICEINFO", "TALKNAME FROM TALKCHANNEL"})
        EXPECT_EQ(peek.Column(std::string("SELECT ") + column + " WHERE ID = 1")[0],
                  names[0].first);
    std::setlocale(LC_CTYPE, saved.c_str());
}
#endif

}  // namespace
