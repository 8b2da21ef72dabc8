#include "base/CapacityRule.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "base/AlignedMemory.h"

namespace kestrimo {
namespace {

TEST(CapacityRule, TwentyFivePercentSlackReusesFrom75To125) {
  EXPECT_FALSE(CapacityFits(74, 125, 25, 25));
  for (std::int32_t n = 75; n <= 125; ++n) EXPECT_TRUE(CapacityFits(n, 125, 25, 25)) << n;
  EXPECT_FALSE(CapacityFits(126, 125, 25, 25));
  EXPECT_EQ(GrownCapacity(126, 25), 158);  // 157.5 rounded up
  EXPECT_EQ(GrownCapacity(74, 25), 93);    // 92.5 rounded up
}

TEST(CapacityRule, NoSlackReusesOnlyTheExactSize) {
  EXPECT_TRUE(CapacityFits(40, 40, 0, 0));
  EXPECT_FALSE(CapacityFits(39, 40, 0, 0));
  EXPECT_FALSE(CapacityFits(41, 40, 0, 0));
  EXPECT_EQ(GrownCapacity(41, 0), 41);
}

TEST(CapacityRule, GrowthNeverGivesLessThanTheRequest) {
  EXPECT_GE(GrownCapacity(100, -50), 100);
  EXPECT_FALSE(CapacityFits(10, 5, -200, -200));
  EXPECT_EQ(GrownCapacity(INT32_MAX, 25), -1);  // does not fit in 32 bits
}

class GrowArrayTest : public ::testing::Test {
 protected:
  ~GrowArrayTest() override { FreeAligned(array); }
  double* array = nullptr;
  std::int32_t capacity = 0;
};

TEST_F(GrowArrayTest, AllocatesAlignedAndReusesWithinTheSlack) {
  GrowArray(array, capacity, 100, 25, 25);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(capacity, 125);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array) % 16, 0u);
  array[124] = 1.0;  // the whole capacity is usable
  double* const first = array;
  GrowArray(array, capacity, 75, 25, 25);
  EXPECT_EQ(array, first);
  EXPECT_EQ(capacity, 125);
  GrowArray(array, capacity, 126, 25, 25);
  EXPECT_EQ(capacity, 158);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array) % 16, 0u);
}

TEST_F(GrowArrayTest, BadCountsLeaveTheArrayEmpty) {
  GrowArray(array, capacity, 10, 25, 25);
  ASSERT_NE(array, nullptr);
  GrowArray(array, capacity, -1, 25, 25);
  EXPECT_EQ(array, nullptr);
  EXPECT_EQ(capacity, 0);
  GrowArray(array, capacity, 10, 25, 25);
  GrowArray(array, capacity, static_cast<std::int32_t>(kMaxImagePixels), 25, 25);
  EXPECT_EQ(array, nullptr);
  EXPECT_EQ(capacity, 0);
  GrowArray(array, capacity, INT32_MAX, 25, 25);  // capacity would overflow
  EXPECT_EQ(array, nullptr);
  EXPECT_EQ(capacity, 0);
}

TEST(BlockBytes, RefusesNegativeAbsurdAndOverflowingSizes) {
  EXPECT_EQ(BlockBytes(125, 88, 4), std::optional<std::size_t>(125 * 88 * 4));
  EXPECT_EQ(BlockBytes(0, 88, 4), std::optional<std::size_t>(0));
  EXPECT_FALSE(BlockBytes(-1, 88, 4));
  EXPECT_FALSE(BlockBytes(88, -1, 4));
  EXPECT_TRUE(BlockBytes(8192, 8192, 4));   // exactly kMaxImagePixels
  EXPECT_FALSE(BlockBytes(8192, 8193, 4));
  EXPECT_FALSE(BlockBytes(INT32_MAX, INT32_MAX, 4));
  EXPECT_FALSE(BlockBytes(1024, 1024, SIZE_MAX / 1024));
}

}  // namespace
}  // namespace kestrimo
