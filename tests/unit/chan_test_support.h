// One builder per channel record, the channel components alone, an instance, settings.
#ifndef VELLUM_TESTS_UNIT_CHAN_TEST_SUPPORT_H
#define VELLUM_TESTS_UNIT_CHAN_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "channels/CameraColumns.h"
#include "channels/ChannelSchema.h"
#include "org_test_support.h"
#include "store/DataOper.h"
#include "store/ModuleConfig.h"
#include "store_test_support.h"
#include "tests/TestSystem.h"

namespace chan_test {

using org_test::Cell;
using org_test::Folder;
using org_test::Linked;
using org_test::SetText;
using org_test::TakeList;
using org_test::Zeroed;

// CTest runs test cases as parallel processes: a test that reads the settings file
// beside the program (or its absence) holds this lock, so no other one changes it.
class ConfigLock {
public:
    ConfigLock() : m_lock(std::string(GetModuleDir()) + "DefCfg.ini.lock") {}

private:
    vellum_test::FileLock m_lock;
};

// DefCfg.ini beside the test program, which is the module holding this code.
class ConfigFile {
public:
    explicit ConfigFile(const std::string& content) : m_path(Path()) {
        store_test::WriteFile(m_path, content);
    }
    ~ConfigFile() { std::remove(m_path.c_str()); }

    static std::string Path() { return std::string(GetModuleDir()) + kConfigFile; }

private:
    std::string m_path;
};

// id + k, wrapping, for identifiers at the ends of the range.
inline int32_t Plus(int32_t id, uint32_t k) {
    return static_cast<int32_t>(static_cast<uint32_t>(id) + k);
}

// Every field derived from `id`, so that a field read from the wrong column shows.
inline CAMERA_INFO Camera(int32_t id, int32_t cellId = 7, int32_t cellType = 2,
                          int32_t seqIndex = 0) {
    CAMERA_INFO camera = Zeroed<CAMERA_INFO>();
    const std::string n = std::to_string(id);
    camera.ID = id;
    camera.DEVID = Plus(id, 1);
    camera.CELLID = cellId;
    camera.CELLTYPE = cellType;
    camera.CHANNELNO = Plus(id, 4);
    SetText(camera.INDEXCODE, "CAM-" + n);
    SetText(camera.CAMNAME, "camera " + n);
    camera.CAMTYPE = Plus(id, 7);
    SetText(camera.MATRIXCODE, std::to_string(Plus(id, 1000)));
    camera.SEQINDEX = seqIndex;
    camera.CASCADID = Plus(id, 11);
    SetText(camera.RECLOC, "recloc " + n);
    SetText(camera.PRIVILEGE, "1,3");
    SetText(camera.DEVTAG, "devtag " + n);
    camera.VRMID = Plus(id, 15);
    camera.VTDUID = Plus(id, 16);
    camera.VAGID = Plus(id, 17);
    SetText(camera.RECGUID, "guid-" + n);
    SetText(camera.MULTIIP, "239.0.0." + n);
    SetText(camera.TRANSPATH, "rtsp://10.0.0.1/" + n);
    camera.MOD = Plus(id, 22);
    camera.TRANSCNT = Plus(id, 21);
    return camera;
}

inline USER_ORG Org(int32_t orgId, int32_t cameraCount, int32_t onlineCount, int32_t listKey = 0) {
    USER_ORG org = Zeroed<USER_ORG>();
    org.orgId = orgId;
    org.cameraCount = cameraCount;
    org.onlineCount = onlineCount;
    org.listKey = listKey;
    std::memset(org.orgData, orgId & 0xFF, sizeof org.orgData);
    std::memset(org.extraData, listKey & 0xFF, sizeof org.extraData);
    return org;
}

inline IO_INFO Io(int32_t id, int32_t cellId, const std::string& name = "io", int32_t ioType = 0) {
    IO_INFO io = Zeroed<IO_INFO>();
    io.ID = id;
    io.DEVID = id + 100;
    io.CELLID = cellId;
    io.IOTYPE = ioType;
    SetText(io.INDEXCODE, "IO-" + std::to_string(id));
    SetText(io.IONAME, name);
    return io;
}

inline DEVICE_INFO Device(int32_t id, const std::string& name = "device") {
    DEVICE_INFO device = Zeroed<DEVICE_INFO>();
    device.ID = id;
    SetText(device.DEVNAME, name);
    SetText(device.INDEXCODE, "DEV-" + std::to_string(id));
    SetText(device.IP, "10.1.2.3");
    device.PORT = 8000 + id;
    SetText(device.USERNAME, "operator");
    SetText(device.PASSWORD, "pa'ss\"word");
    device.DEVTYPE = 3;
    device.DOMAINID = 9;
    return device;
}

inline TALK_CHANNEL Talk(int32_t id, int32_t cellId, const std::string& name = "talk") {
    TALK_CHANNEL talk = Zeroed<TALK_CHANNEL>();
    talk.ID = id;
    talk.CHANNELNO = id + 2;
    talk.DEVID = id + 1;
    talk.CELLID = cellId;
    SetText(talk.INDEXCODE, "TALK-" + std::to_string(id));
    SetText(talk.TALKNAME, name);
    return talk;
}

inline std::vector<int32_t> Range(int32_t first, int32_t count) {
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < count; ++i) ids.push_back(first + i);
    return ids;
}

// The IDs of a handed-out list, freed; the head is nulled for the next query.
template <class Record>
std::vector<int32_t> Ids(Record*& head) {
    std::vector<int32_t> ids;
    for (const Record& record : TakeList(head)) ids.push_back(record.ID);
    head = nullptr;
    return ids;
}

// A record filled with a pattern, to tell whether the store wrote it.
constexpr unsigned char kUntouched = 0xA5;

template <class Record>
Record Sentinel() {
    Record record;
    std::memset(static_cast<void*>(&record), kUntouched, sizeof record);
    return record;
}

template <class Record>
bool IsUntouched(const Record& record) {
    const Record untouched = Sentinel<Record>();
    return std::memcmp(&record, &untouched, sizeof record) == 0;
}

class ChannelTest : public store_test::FaultSafeTest {
protected:
    void SetUp() override {
        std::remove(ConfigFile::Path().c_str());  // no setting unless a test writes one
        ASSERT_TRUE(m_store.Init(m_dir.Path().c_str()));
    }
    void TearDown() override {
        store_test::FaultSafeTest::TearDown();
        m_store.UnInit();
    }

    void StoreCameras(std::vector<CAMERA_INFO> cameras) {
        ASSERT_TRUE(m_store.SetCameraList(Linked(cameras), 0));
    }

    ConfigLock m_configLock;  // first: held before SetUp and until after TearDown
    store_test::TempDir m_dir;
    store_test::LogCapture m_log;  // the per-camera lines stay off standard error
    CDataOper m_store;
};

// Neither setting; what each does is checked through the settings file.
struct FakeSettings final : ChannelSettings {
    bool TransPathEnciphered() const override { return false; }
    bool CamerasByDescendingSeqIndex() const override { return false; }
};

// The channel components as CDataOper joins them, without Init.
struct Tables {
    Tables() {
        EXPECT_TRUE(storage.OpenFile(dir.File("db")));
        for (const std::string& table :
             {camera_columns::TableDefinition(), std::string(IoTable::kDefinition),
              std::string(DeviceTable::kDefinition), std::string(TalkTable::kDefinition)})
            EXPECT_EQ(storage.ExecuteSql(table), 0);
        CreateChannelIndexes(storage);
    }
    std::string Path() const { return dir.File("db"); }
    bool StoreCameras(std::vector<CAMERA_INFO> list) { return cameras.SetCameraList(Linked(list)); }
    store_test::TempDir dir;
    CDataStorage storage;
    std::string key = std::string(32, 'k');
    FakeSettings settings;
    CellTree cells;
    OrgStatistics statistics{storage, cells};
    CameraTable cameras{storage, key, settings, statistics};
    IoTable ios{storage};
    DeviceTable devices{storage};
    TalkTable talks{storage};
};

class TablesTest : public store_test::FaultSafeTest {
protected:
    store_test::LogCapture m_log;
    Tables m_t;
};

}  // namespace chan_test

#endif  // VELLUM_TESTS_UNIT_CHAN_TEST_SUPPORT_H
