// CDataOper's lifecycle beyond the file itself: the key, Init on an open instance,
// what UnInit and ClearAll empty and keep, and the two lifecycle log lines.
#include <cstdio>
#include <cstring>
#include <memory>

#include "store/DataOper.h"
#include "store_test_support.h"
#include "tests/TestSystem.h"

namespace {

using store_test::Exists;
using store_test::LogCapture;
using store_test::Peek;
using store_test::TempDir;

constexpr char kFixedKey[] = "3948-61027354###qoplarvex-kmd907";

// One row in each of the four tables, written past the module.
void InsertOneRowEach(const std::string& path) {
    Peek peek(path);
    peek.Exec(
        "INSERT INTO CAMERAINFO VALUES(1,1,1,1,1,'cam-1','one',0,'11',0,0,'','',0,0,0,0,'',"
        "'','','',0,0,1)");
    peek.Exec("INSERT INTO DEVICEINFO VALUES(1,'dev','dev-1','10.0.0.1',8000,0,'u','p',0)");
    peek.Exec("INSERT INTO TALKCHANNEL VALUES(1,1,1,1,'talk-1','talk')");
    peek.Exec("INSERT INTO IOINFO VALUES(1,1,1,0,'io-1','io')");
}

class StoreKey : public store_test::FaultSafeTest {};

TEST_F(StoreKey, IsThirtyTwoRandomBytesEvenWhenSomeAreZero) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    // About one key in eight holds a zero byte; 300 tries miss one with odds ~1e-17.
    bool sawZeroByte = false;
    for (int attempt = 0; attempt < 300 && !sawZeroByte; ++attempt) {
        ASSERT_TRUE(oper->Init(dir.Path().c_str()));
        const std::string key = oper->Key();
        oper->UnInit();
        ASSERT_EQ(key.size(), 32u);
        ASSERT_NE(key, kFixedKey);
        sawZeroByte = key.find('\0') != std::string::npos;
    }
    EXPECT_TRUE(sawZeroByte) << "no key with a zero byte came up";
}

TEST_F(StoreKey, IsTheFixedTextWhenRandomBytesCannotBeHad) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    vellum::fault::Random().Arm(0, -1);

    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(oper->Key(), std::string(kFixedKey, 32));
    oper->UnInit();

    // The fixed key is only a fallback: with random bytes back, Init makes a real one.
    vellum::fault::Random().Disarm();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(oper->Key().size(), 32u);
    EXPECT_NE(oper->Key(), kFixedKey);
    oper->UnInit();
}

TEST_F(StoreKey, InitAfterUnInitMakesANewKey) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    const std::string first = oper->Key();
    oper->UnInit();

    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    EXPECT_NE(oper->Key(), first);
    oper->UnInit();
}

// Init on an instance that is already open: the same file is reopened, its rows and
// the key that enciphered them stay, and the first connection is not leaked.
TEST(StoreReopen, SecondInitKeepsTheFileItsRowsAndTheKey) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    const std::string path = oper->DbPath();
    const std::string key = oper->Key();
    InsertOneRowEach(path);
    const std::size_t descriptors = vellum_test::OpenHandleCount();

    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(vellum_test::OpenHandleCount(), descriptors);
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    EXPECT_EQ(vellum_test::OpenHandleCount(), descriptors);

    EXPECT_EQ(oper->DbPath(), path);
    EXPECT_EQ(oper->Key(), key);
    {
        Peek peek(path);
        EXPECT_EQ(peek.Count("CAMERAINFO"), 1);
        EXPECT_EQ(peek.Count("DEVICEINFO"), 1);
        EXPECT_EQ(peek.Count("TALKCHANNEL"), 1);
        EXPECT_EQ(peek.Count("IOINFO"), 1);
    }
    oper->UnInit();
    EXPECT_FALSE(Exists(path));
}

// A temporary-file cleaner removed the open instance's file: the next Init makes it
// anew with its tables, and so does every Init after that.
TEST(StoreReopen, SecondInitMakesTheFileAnewWhenItVanished) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    const std::string path = oper->DbPath();
#if defined(_WIN32)
    // There the claim shares no deletion: the file cannot vanish while it is held.
    EXPECT_NE(std::remove(path.c_str()), 0);
    GTEST_SKIP() << "a held file cannot be deleted on Windows";
#endif
    ASSERT_EQ(std::remove(path.c_str()), 0);

    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    ASSERT_TRUE(Exists(path));
    EXPECT_EQ(Peek(path).Count("IOINFO"), 0);
    EXPECT_TRUE(oper->Init(dir.Path().c_str()));
    oper->UnInit();
    EXPECT_FALSE(Exists(path));
}

TEST(StoreReopen, InitAfterUnInitStartsFromAnEmptyDatabase) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    InsertOneRowEach(oper->DbPath());
    oper->UnInit();

    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    Peek peek(oper->DbPath());
    EXPECT_EQ(peek.Count("CAMERAINFO"), 0);
    EXPECT_EQ(peek.Count("IOINFO"), 0);
    oper->UnInit();
}

// Fills every store that UnInit and ClearAll treat differently.
struct HostState {
    unsigned char instance[788];
    unsigned char transient[528];
    KEYED_INFO keyed{};

    HostState() {
        for (std::size_t i = 0; i < sizeof instance; ++i)
            instance[i] = static_cast<unsigned char>(i * 7 + 1);
        for (std::size_t i = 0; i < sizeof transient; ++i)
            transient[i] = static_cast<unsigned char>(i * 5 + 3);
        keyed.key = 42;
        std::memset(keyed.payload, 0x5A, sizeof keyed.payload);
    }

    void Deposit(CDataOper& oper) {
        oper.SetInstanceContext(instance);
        oper.SetTransientContext(transient);
        oper.SetLevelCount(4);
        oper.SetHostValue(-17);
        oper.SetKeyedInfoList(&keyed);
    }

    void ExpectKept(CDataOper& oper) {
        unsigned char block[788];
        oper.GetInstanceContext(block);
        EXPECT_EQ(std::memcmp(block, instance, sizeof block), 0);
        EXPECT_EQ(oper.GetMaxLevel(), 3);
        EXPECT_EQ(oper.GetHostValue(), -17);
    }
};

bool TransientIs(CDataOper& oper, const unsigned char* expected) {
    unsigned char block[528];
    oper.GetTransientContext(block);
    return std::memcmp(block, expected, sizeof block) == 0;
}

TEST(StoreUnInit, ZeroesTheTransientContextAndEmptiesTheKeyedRecords) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    HostState state;
    state.Deposit(*oper);
    CELL_INFO root{};
    root.id = 1;
    root.cellType = 1;
    std::strcpy(root.indexCode, "root");
    oper->SetCellList(&root);
    CELL_INFO found{};
    ASSERT_TRUE(oper->GetCellInfo(&found, 1, 1));

    oper->UnInit();

    const unsigned char zeros[528] = {};
    EXPECT_TRUE(TransientIs(*oper, zeros));
    KEYED_INFO out{};
    EXPECT_FALSE(oper->GetKeyedInfo(&out, 42));
    EXPECT_FALSE(oper->GetCellInfo(&found, 1, 1));
    state.ExpectKept(*oper);
}

TEST(StoreClearAll, EmptiesCamerasAndDevicesButKeepsChannelsFileAndContexts) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    InsertOneRowEach(oper->DbPath());
    HostState state;
    state.Deposit(*oper);
    const std::string key = oper->Key();

    oper->ClearAll();

    ASSERT_TRUE(Exists(oper->DbPath()));
    {
        Peek peek(oper->DbPath());
        EXPECT_EQ(peek.Count("CAMERAINFO"), 0);
        EXPECT_EQ(peek.Count("DEVICEINFO"), 0);
        EXPECT_EQ(peek.Count("TALKCHANNEL"), 1);
        EXPECT_EQ(peek.Count("IOINFO"), 1);
    }
    EXPECT_TRUE(TransientIs(*oper, state.transient));
    KEYED_INFO out{};
    EXPECT_FALSE(oper->GetKeyedInfo(&out, 42));
    EXPECT_EQ(oper->Key(), key);
    state.ExpectKept(*oper);
    oper->UnInit();
}

// Every line the module writes, as a sink that asks for every level receives it.
TEST(StoreLog, EveryLineArrivesWordForWordAtASinkThatAsksForIt) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    LogCapture log;

    ASSERT_TRUE(oper->Init(dir.Path().c_str()));
    CELL_INFO cell;
    std::memset(static_cast<void*>(&cell), 0, sizeof cell);
    cell.id = 1;
    cell.parentId = 5;  // not cached: the root repair runs
    cell.cellType = 1;
    std::strcpy(cell.indexCode, "a");
    std::strcpy(cell.name, "North");
    oper->SetCellList(&cell);
    CAMERA_INFO camera;
    std::memset(static_cast<void*>(&camera), 0, sizeof camera);
    camera.ID = 5;
    camera.CELLID = 4;
    std::strcpy(camera.INDEXCODE, "c5");
    std::strcpy(camera.CAMNAME, "Gate");
    ASSERT_TRUE(oper->SetCameraList(&camera, 0));
    oper->UnInit();

    const std::vector<store_test::LogLine> expected = {
        {2, "client", "<.\\DataOper [102] - CDataOper::Init> <DataOper Init>"},
        {3, "tvwall", "<.\\DataOper [331] - CDataOper::SetCellList> <not find root cell>"},
        {3, "tvwall",
         "<.\\DataOper [339] - CDataOper::SetCellList> <look for cell, name North id 1 "
         "parentid 5>"},
        {3, "tvwall",
         "<.\\DataOper [356] - CDataOper::SetCellList> <not find root cell, name North id 1 "
         "parentid 5, set parentid to 0>"},
        {2, "tvwall",
         "<.\\DataOper [670] - CDataOper::SetCameraList> <setData to sqliteDb Gate,c5,5,4>"},
        {2, "client", "<.\\DataOper [136] - CDataOper::UnInit> <DataOper UnInit>"},
    };
    ASSERT_EQ(log.Lines().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(log.Lines()[i].level, expected[i].level) << i;
        EXPECT_EQ(log.Lines()[i].module, expected[i].module) << i;
        EXPECT_EQ(log.Lines()[i].text, expected[i].text) << i;
    }
}

class StoreLogFaults : public store_test::FaultSafeTest {};

TEST_F(StoreLogFaults, InitWritesItsLineAlsoWhenOpeningFails) {
    TempDir dir;
    auto oper = std::make_unique<CDataOper>();
    vellum::fault::Storage().Arm(0, 1, "OpenFile");
    LogCapture log;

    EXPECT_FALSE(oper->Init(dir.Path().c_str()));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].text, "<.\\DataOper [102] - CDataOper::Init> <DataOper Init>");
}

}  // namespace
