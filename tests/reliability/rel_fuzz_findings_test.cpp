// What the fuzzer found, each as a plain test of the behaviour it broke.
#include <gtest/gtest.h>

#include <climits>

#include "store/DataOper.h"

namespace {

// SetLevelCount(INT_MIN) made GetMaxLevel compute INT_MIN - 1, a signed overflow.
TEST(FuzzFindings, MaxLevelOfTheLowestLevelCountWrapsInsteadOfOverflowing) {
    CDataOper store;
    store.SetLevelCount(INT_MIN);
    EXPECT_EQ(store.GetMaxLevel(), INT_MAX);
    store.SetLevelCount(INT_MAX);
    EXPECT_EQ(store.GetMaxLevel(), INT_MAX - 1);
}

}  // namespace
