// Random bytes from the system source, and the fault point that makes them fail.
#include <algorithm>
#include <array>

#include "platform/platform.h"
#include "tests/unit/storage_test_support.h"

namespace {

using PlatformRandom = storage_test::FaultSafeTest;

TEST_F(PlatformRandom, FillsTheWholeBufferWithFreshBytes) {
    std::array<unsigned char, 32> first{};
    std::array<unsigned char, 32> second{};
    ASSERT_TRUE(vellum::platform::RandomBytes(first.data(), first.size()));
    ASSERT_TRUE(vellum::platform::RandomBytes(second.data(), second.size()));
    EXPECT_NE(first, second);
    // 32 zero bytes from a working source would be a one in 2^256 event.
    EXPECT_TRUE(std::any_of(first.begin(), first.end(), [](unsigned char b) { return b != 0; }));
}

TEST_F(PlatformRandom, FailsWhileItsFaultPointIsArmed) {
    std::array<unsigned char, 32> buffer{};
    vellum::fault::Random().Arm(0, 1);
    EXPECT_FALSE(vellum::platform::RandomBytes(buffer.data(), buffer.size()));
    EXPECT_TRUE(vellum::platform::RandomBytes(buffer.data(), buffer.size()));
}

}  // namespace
