// IO channels, devices and talk channels: column mapping, the IOTYPE filter, lists
// by cell, duplicates, misses, over-long codes, and the talk write's failure results.
#include <clocale>
#include <string>
#include <vector>

#include "chan_test_support.h"

namespace {

using chan_test::ChannelTest;
using chan_test::Linked;
using chan_test::SetText;
using chan_test::StorageCallCounter;
using chan_test::TakeList;

IO_INFO Io(int32_t id, int32_t cellId, int32_t ioType = 0, const std::string& name = "io") {
    IO_INFO io;
    std::memset(&io, 0, sizeof io);
    io.ID = id;
    io.DEVID = id + 100;
    io.CELLID = cellId;
    io.IOTYPE = ioType;
    SetText(io.INDEXCODE, "IO-" + std::to_string(id));
    SetText(io.IONAME, name);
    return io;
}

DEVICE_INFO Device(int32_t id, const std::string& name = "device") {
    DEVICE_INFO device;
    std::memset(&device, 0, sizeof device);
    device.ID = id;
    SetText(device.DEVNAME, name);
    SetText(device.INDEXCODE, "DEV-" + std::to_string(id));
    SetText(device.IP, "10.1.2.3");
    device.PORT = 8000 + id;
    SetText(device.USERNAME, "admin");
    SetText(device.PASSWORD, "pa'ss\"word");
    device.DEVTYPE = 3;
    device.DOMAINID = 9;
    return device;
}

TALK_CHANNEL Talk(int32_t id, int32_t cellId, const std::string& name = "talk") {
    TALK_CHANNEL talk;
    std::memset(&talk, 0, sizeof talk);
    talk.ID = id;
    talk.CHANNELNO = 3;
    talk.DEVID = 7;
    talk.CELLID = cellId;
    SetText(talk.INDEXCODE, "TALK-" + std::to_string(id));
    SetText(talk.TALKNAME, name);
    return talk;
}

std::vector<int32_t> IoIds(IO_INFO*& head) {
    std::vector<int32_t> ids;
    for (const IO_INFO& io : TakeList(head)) ids.push_back(io.ID);
    head = nullptr;
    return ids;
}

using IoChannels = ChannelTest;

TEST_F(IoChannels, OnlyTypeZeroIsEverAnswered) {
    std::vector<IO_INFO> ios = {Io(1, 5, 1), Io(2, 5, 0)};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    EXPECT_EQ(store_test::Peek(m_store.DbPath()).Count("IOINFO"), 2);
    IO_INFO read;
    EXPECT_FALSE(m_store.GetIOByID(&read, 1));
    EXPECT_FALSE(m_store.GetIOByIndexCode(&read, "IO-1"));
    ASSERT_TRUE(m_store.GetIOByID(&read, 2));
    ASSERT_TRUE(m_store.GetIOByIndexCode(&read, "IO-2"));
    IO_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetIOList(&head, 5));
    EXPECT_EQ(IoIds(head), std::vector<int32_t>{2});
}

TEST_F(IoChannels, ACellsChannelsComeInAscendingIdOrder) {
    std::vector<IO_INFO> ios = {Io(30, 5), Io(10, 5), Io(20, 5), Io(40, 6)};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    IO_INFO* head = nullptr;
    ASSERT_TRUE(m_store.GetIOList(&head, 5));
    EXPECT_EQ(head->next->next->next, nullptr);
    EXPECT_EQ(IoIds(head), (std::vector<int32_t>{10, 20, 30}));
    EXPECT_FALSE(m_store.GetIOList(&head, 7));
    EXPECT_EQ(head, nullptr);
    EXPECT_FALSE(m_store.GetIOList(nullptr, 5));
}

TEST_F(IoChannels, ARecordReadsBackWholeAndADuplicateKeepsTheFirstName) {
    std::vector<IO_INFO> ios = {Io(1, 5, 0, "first"), Io(1, 5, 0, "second")};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    IO_INFO read;
    std::memset(&read, 0x33, sizeof read);
    ASSERT_TRUE(m_store.GetIOByID(&read, 1));
    IO_INFO expected = Io(1, 5, 0, "first");
    EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0);
}

TEST_F(IoChannels, AMissLeavesTheRecordUntouchedAndALongCodeMatchesNothing) {
    std::vector<IO_INFO> ios = {Io(1, 5)};
    SetText(ios[0].INDEXCODE, std::string(63, 'k'));
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    IO_INFO read, before;
    std::memset(&read, 0x44, sizeof read);
    std::memcpy(&before, &read, sizeof read);
    EXPECT_FALSE(m_store.GetIOByID(&read, 2));
    EXPECT_FALSE(m_store.GetIOByIndexCode(&read, std::string(64, 'k').c_str()));
    EXPECT_FALSE(m_store.GetIOByIndexCode(&read, "x' OR '1'='1"));
    EXPECT_EQ(std::memcmp(&read, &before, sizeof read), 0);
    EXPECT_TRUE(m_store.GetIOByIndexCode(&read, std::string(63, 'k').c_str()));
}

TEST_F(IoChannels, ANullListIsRefusedAndAFactoryNullEndsTheList) {
    EXPECT_FALSE(m_store.SetIOList(nullptr));
    std::vector<IO_INFO> ios = {Io(1, 5), Io(2, 5)};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    vellum::fault::ObjFactory().Arm(0, -1);
    IO_INFO* head = nullptr;
    EXPECT_FALSE(m_store.GetIOList(&head, 5));
    EXPECT_EQ(head, nullptr);
}

using EncodingDevices = ChannelTest;

TEST_F(EncodingDevices, EachFieldLandsInItsColumnAndThePasswordIsStoredAsGiven) {
    std::vector<DEVICE_INFO> devices = {Device(4)};
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    store_test::Peek peek(m_store.DbPath());
    EXPECT_EQ(
        peek.Column("SELECT ID||'|'||DEVNAME||'|'||INDEXCODE||'|'||IP||'|'||PORT||'|'||"
                    "DOMAINID||'|'||USERNAME||'|'||PASSWORD||'|'||DEVTYPE FROM DEVICEINFO")[0],
        "4|device|DEV-4|10.1.2.3|8004|9|admin|pa'ss\"word|3");
}

TEST_F(EncodingDevices, BothLookupsFindEachDeviceWithANullNext) {
    std::vector<DEVICE_INFO> devices = {Device(1), Device(2), Device(3)};
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    for (int id = 1; id <= 3; ++id) {
        DEVICE_INFO read;
        std::memset(&read, 0x21, sizeof read);
        ASSERT_TRUE(m_store.GetDeviceByID(&read, id));
        DEVICE_INFO expected = Device(id);
        EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0);
        std::memset(&read, 0x21, sizeof read);
        ASSERT_TRUE(m_store.GetDeviceByIndexCode(&read, ("DEV-" + std::to_string(id)).c_str()));
        EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0);
    }
}

TEST_F(EncodingDevices, ADuplicateKeepsTheFirstValues) {
    std::vector<DEVICE_INFO> devices = {Device(1, "first"), Device(1, "second")};
    devices[1].PORT = 1;
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    DEVICE_INFO read;
    ASSERT_TRUE(m_store.GetDeviceByIndexCode(&read, "DEV-1"));
    EXPECT_STREQ(read.DEVNAME, "first");
    EXPECT_EQ(read.PORT, 8001);
}

TEST_F(EncodingDevices, AMissLeavesTheRecordUntouchedAndALongCodeMatchesNothing) {
    std::vector<DEVICE_INFO> devices = {Device(1)};
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    DEVICE_INFO read, before;
    std::memset(&read, 0x55, sizeof read);
    std::memcpy(&before, &read, sizeof read);
    EXPECT_FALSE(m_store.GetDeviceByID(&read, 2));
    EXPECT_FALSE(m_store.GetDeviceByIndexCode(&read, "DEV-2"));
    EXPECT_FALSE(m_store.GetDeviceByIndexCode(&read, (std::string(64, 'D')).c_str()));
    EXPECT_EQ(std::memcmp(&read, &before, sizeof read), 0);
    EXPECT_FALSE(m_store.SetDeviceList(nullptr));
}

using TalkChannels = ChannelTest;

TEST_F(TalkChannels, ChannelNumberAndDeviceSurviveTheColumnReordering) {
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5)};
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    store_test::Peek peek(m_store.DbPath());
    EXPECT_EQ(peek.Column("SELECT ID||','||DEVID||','||CELLID||','||CHANNELNO FROM TALKCHANNEL")[0],
              "1,7,5,3");
    TALK_CHANNEL read;
    ASSERT_TRUE(m_store.GetTalkChannelByID(&read, 1));
    EXPECT_EQ(read.CHANNELNO, 3);
    EXPECT_EQ(read.DEVID, 7);
    EXPECT_EQ(std::memcmp(&read, &talks[0], offsetof(TALK_CHANNEL, next)), 0);
}

TEST_F(TalkChannels, ACellsChannelsComeInAscendingIdOrder) {
    std::vector<TALK_CHANNEL> talks = {Talk(9, 5), Talk(4, 5), Talk(6, 8)};
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    TALK_CHANNEL* head = nullptr;
    ASSERT_TRUE(m_store.GetTalkChannelList(&head, 5));
    std::vector<TALK_CHANNEL> listed = TakeList(head);
    head = nullptr;
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].ID, 4);
    EXPECT_EQ(listed[1].ID, 9);
    EXPECT_EQ(listed[1].next, nullptr);
    EXPECT_FALSE(m_store.GetTalkChannelList(&head, 6));
    EXPECT_EQ(head, nullptr);
}

TEST_F(TalkChannels, CodesOfLettersDigitsHyphensAndLeadingZerosAreFound) {
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5), Talk(2, 5)};
    SetText(talks[0].INDEXCODE, "ab-12-CD-3");
    SetText(talks[1].INDEXCODE, "000123");
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    TALK_CHANNEL read;
    ASSERT_TRUE(m_store.GetTalkChannelByIndexCode(&read, "ab-12-CD-3"));
    EXPECT_EQ(read.ID, 1);
    ASSERT_TRUE(m_store.GetTalkChannelByIndexCode(&read, "000123"));
    EXPECT_EQ(read.ID, 2);
    EXPECT_FALSE(m_store.GetTalkChannelByIndexCode(&read, "123"));
    EXPECT_FALSE(m_store.GetTalkChannelByIndexCode(&read, std::string(64, '0').c_str()));
}

TEST_F(TalkChannels, ADuplicateKeepsTheFirstNameAndTheWriteStillSucceeds) {
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5, "first")};
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    std::vector<TALK_CHANNEL> again = {Talk(1, 5, "second"), Talk(2, 5)};
    EXPECT_TRUE(m_store.SetTalkChannelList(Linked(again)));
    TALK_CHANNEL read;
    ASSERT_TRUE(m_store.GetTalkChannelByID(&read, 1));
    EXPECT_STREQ(read.TALKNAME, "first");
    EXPECT_TRUE(m_store.GetTalkChannelByID(&read, 2));
}

TEST_F(TalkChannels, AFailedStatementEndsTheTransactionAndReportsFalse) {
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5)};
    vellum::fault::Storage().Arm(0, 1, "BeginBind");
    EXPECT_FALSE(m_store.SetTalkChannelList(Linked(talks)));
    EXPECT_EQ(store_test::Peek(m_store.DbPath()).Count("TALKCHANNEL"), 0);
    vellum::fault::Storage().Disarm();
    EXPECT_TRUE(m_store.SetTalkChannelList(Linked(talks)));  // no transaction was left open
    EXPECT_EQ(store_test::Peek(m_store.DbPath()).Count("TALKCHANNEL"), 1);
}

TEST_F(TalkChannels, ANullListIsRefusedWithoutATransaction) {
    StorageCallCounter transactions("TransBegin");
    EXPECT_FALSE(m_store.SetTalkChannelList(nullptr));
    EXPECT_EQ(transactions.Calls(), 0);
}

using ChannelNames = ChannelTest;

// On Windows the host code page is the active code page, which no locale changes.
#if !defined(_WIN32)
TEST_F(ChannelNames, IoDeviceAndTalkNamesAreStoredAsUtf8AndReadBackIdentical) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    const std::string name =
        "Entr\xC3\xA9"
        "e \xE5\x8C\x97";
    std::vector<IO_INFO> ios = {Io(1, 5, 0, name)};
    std::vector<DEVICE_INFO> devices = {Device(1, name)};
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5, name)};
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    store_test::Peek peek(m_store.DbPath());
    EXPECT_EQ(peek.Column("SELECT IONAME FROM IOINFO")[0], name);
    EXPECT_EQ(peek.Column("SELECT DEVNAME FROM DEVICEINFO")[0], name);
    EXPECT_EQ(peek.Column("SELECT TALKNAME FROM TALKCHANNEL")[0], name);
    IO_INFO io;
    DEVICE_INFO device;
    TALK_CHANNEL talk;
    ASSERT_TRUE(m_store.GetIOByID(&io, 1));
    ASSERT_TRUE(m_store.GetDeviceByID(&device, 1));
    ASSERT_TRUE(m_store.GetTalkChannelByID(&talk, 1));
    EXPECT_EQ(std::string(io.IONAME), name);
    EXPECT_EQ(std::string(device.DEVNAME), name);
    EXPECT_EQ(std::string(talk.TALKNAME), name);
    std::setlocale(LC_CTYPE, saved.c_str());
}

// 259 bytes that are no UTF-8 become 259 three-byte replacement characters in the
// table; read back into a 260-byte field, 86 of them fit whole.
TEST_F(ChannelNames, AConvertedNameTooLongForItsFieldIsCutAtACharacterBoundary) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    const std::string invalid(259, '\xFF');
    std::string whole;
    for (int i = 0; i < 86; ++i) whole += "\xEF\xBF\xBD";
    CAMERA_INFO camera = chan_test::Camera(1);
    SetText(camera.CAMNAME, invalid);
    std::vector<IO_INFO> ios = {Io(1, 5, 0, invalid)};
    std::vector<DEVICE_INFO> devices = {Device(1, invalid)};
    std::vector<TALK_CHANNEL> talks = {Talk(1, 5, invalid)};
    StoreCameras({camera});
    ASSERT_TRUE(m_store.SetIOList(Linked(ios)));
    ASSERT_TRUE(m_store.SetDeviceList(Linked(devices)));
    ASSERT_TRUE(m_store.SetTalkChannelList(Linked(talks)));
    IO_INFO io;
    DEVICE_INFO device;
    TALK_CHANNEL talk;
    ASSERT_TRUE(m_store.GetCameraByID(&camera, 1));
    ASSERT_TRUE(m_store.GetIOByID(&io, 1));
    ASSERT_TRUE(m_store.GetDeviceByID(&device, 1));
    ASSERT_TRUE(m_store.GetTalkChannelByID(&talk, 1));
    EXPECT_EQ(std::string(camera.CAMNAME), whole);
    EXPECT_EQ(std::string(io.IONAME), whole);
    EXPECT_EQ(std::string(device.DEVNAME), whole);
    EXPECT_EQ(std::string(talk.TALKNAME), whole);
    std::setlocale(LC_CTYPE, saved.c_str());
}
#endif

}  // namespace
