// Random bytes from the system source.
#include <algorithm>
#include <array>

#include "platform/platform.h"
#include "tests/unit/store_test_support.h"

namespace {

using PlatformRandom = store_test::FaultSafeTest;

TEST_F(PlatformRandom, FillsTheWholeBufferWithFreshBytes) {
    std::array<unsigned char, 32> first{};
    std::array<unsigned char, 32> second{};
    ASSERT_TRUE(vellum::platform::RandomBytes(first.data(), first.size()));
    ASSERT_TRUE(vellum::platform::RandomBytes(second.data(), second.size()));
    EXPECT_NE(first, second);
    // 32 zero bytes from a working source would be a one in 2^256 event.
    EXPECT_TRUE(std::any_of(first.begin(), first.end(), [](unsigned char b) { return b != 0; }));
}

}  // namespace
