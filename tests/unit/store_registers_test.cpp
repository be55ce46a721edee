// The host's own small stores in CDataOper: the two context blocks, the two integer
// registers and the keyed records.
#include <cstring>
#include <memory>

#include "store/DataOper.h"
#include "store_test_support.h"

namespace {

constexpr std::size_t kInstanceBlock = 788;
constexpr std::size_t kTransientBlock = 528;
constexpr unsigned char kGuard = 0xC3;

KEYED_INFO Keyed(int key, unsigned char fill) {
    KEYED_INFO record{};
    record.key = key;
    std::memset(record.payload, fill, sizeof record.payload);
    return record;
}

TEST(ContextBlocks, ANewInstanceHoldsZeroBlocksAndZeroRegisters) {
    auto oper = std::make_unique<CDataOper>();
    unsigned char instance[kInstanceBlock];
    unsigned char transient[kTransientBlock];
    std::memset(instance, 0xFF, sizeof instance);
    std::memset(transient, 0xFF, sizeof transient);

    oper->GetInstanceContext(instance);
    oper->GetTransientContext(transient);

    const unsigned char zeros[kInstanceBlock] = {};
    EXPECT_EQ(std::memcmp(instance, zeros, kInstanceBlock), 0);
    EXPECT_EQ(std::memcmp(transient, zeros, kTransientBlock), 0);
    EXPECT_EQ(oper->GetHostValue(), 0);
    EXPECT_EQ(oper->GetMaxLevel(), -1);
}

// Each block comes back whole, is written only up to its own length, and is
// independent of the other.
TEST(ContextBlocks, EachBlockRoundTripsWholeWithinItsOwnLength) {
    auto oper = std::make_unique<CDataOper>();
    unsigned char instance[kInstanceBlock];
    unsigned char transient[kTransientBlock];
    for (std::size_t i = 0; i < kInstanceBlock; ++i)
        instance[i] = static_cast<unsigned char>(i * 31 + 7);
    for (std::size_t i = 0; i < kTransientBlock; ++i)
        transient[i] = static_cast<unsigned char>(i * 17 + 5);

    oper->SetInstanceContext(instance);
    oper->SetTransientContext(transient);

    unsigned char instanceOut[kInstanceBlock + 16];
    unsigned char transientOut[kTransientBlock + 16];
    std::memset(instanceOut, kGuard, sizeof instanceOut);
    std::memset(transientOut, kGuard, sizeof transientOut);
    oper->GetInstanceContext(instanceOut);
    oper->GetTransientContext(transientOut);

    EXPECT_EQ(std::memcmp(instanceOut, instance, kInstanceBlock), 0);
    EXPECT_EQ(std::memcmp(transientOut, transient, kTransientBlock), 0);
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(instanceOut[kInstanceBlock + i], kGuard) << "instance block overrun at " << i;
        EXPECT_EQ(transientOut[kTransientBlock + i], kGuard) << "transient block overrun at " << i;
    }
}

TEST(ValueRegisters, MaxLevelIsOneLessThanTheLevelCount) {
    auto oper = std::make_unique<CDataOper>();
    oper->SetLevelCount(1);
    EXPECT_EQ(oper->GetMaxLevel(), 0);
    oper->SetLevelCount(9);
    EXPECT_EQ(oper->GetMaxLevel(), 8);
    oper->SetLevelCount(0);
    EXPECT_EQ(oper->GetMaxLevel(), -1);
}

// The copy handed out has a null next; a miss leaves the caller's record untouched.
TEST(KeyedRecords, ALaterRecordWithTheSameKeyReplacesTheEarlierOne) {
    auto oper = std::make_unique<CDataOper>();
    KEYED_INFO third = Keyed(5, 0x33);
    KEYED_INFO second = Keyed(7, 0x22);
    KEYED_INFO first = Keyed(5, 0x11);
    first.next = &second;
    second.next = &third;

    oper->SetKeyedInfoList(&first);

    KEYED_INFO out = Keyed(0, 0xEE);
    out.next = &out;
    ASSERT_TRUE(oper->GetKeyedInfo(&out, 5));
    EXPECT_EQ(out.key, 5);
    EXPECT_EQ(out.next, nullptr);
    EXPECT_EQ(std::memcmp(out.payload, third.payload, sizeof out.payload), 0);
    ASSERT_TRUE(oper->GetKeyedInfo(&out, 7));
    EXPECT_EQ(std::memcmp(out.payload, second.payload, sizeof out.payload), 0);
    // Only two entries: no key between or around them answers.
    out.next = &first;
    const KEYED_INFO before = out;
    for (int key : {-1, 0, 4, 6, 8}) {
        EXPECT_FALSE(oper->GetKeyedInfo(&out, key)) << key;
        EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0) << key;
    }
}

TEST(KeyedRecords, LaterDepositsAddAndANullListChangesNothing) {
    auto oper = std::make_unique<CDataOper>();
    KEYED_INFO negative = Keyed(-8, 0x08);
    oper->SetKeyedInfoList(&negative);
    KEYED_INFO other = Keyed(8, 0x80);
    oper->SetKeyedInfoList(&other);
    oper->SetKeyedInfoList(nullptr);

    KEYED_INFO out{};
    ASSERT_TRUE(oper->GetKeyedInfo(&out, -8));
    EXPECT_EQ(out.payload[0], 0x08);
    ASSERT_TRUE(oper->GetKeyedInfo(&out, 8));
    EXPECT_EQ(out.payload[143], 0x80);
}

}  // namespace
