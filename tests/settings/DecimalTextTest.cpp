#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "settings/DecimalText.h"

namespace kestrimo {
namespace {

TEST(DecimalParse, WhiteSpaceSignAndDigitsUpToTheFirstOtherCharacter) {
  EXPECT_EQ(ParseAtoi("  \t\r\n\v\f42"), 42);
  EXPECT_EQ(ParseAtoi("-17abc"), -17);
  EXPECT_EQ(ParseAtoi("+8"), 8);
  EXPECT_EQ(ParseAtoi("12 34"), 12);
  EXPECT_EQ(ParseAtoi("007"), 7);
  EXPECT_EQ(ParseAtoi64(" -5 "), -5);
}

TEST(DecimalParse, NoDigitsGiveZero) {
  for (const char* text : {"", "   ", "-", "+", "abc", "+-5", "- 5", "0x10", "\xFF\xFE"})
    EXPECT_EQ(ParseAtoi(text), 0) << '"' << text << '"';
  EXPECT_EQ(ParseAtoi64("x1"), 0);
}

TEST(DecimalParse, StopsAtANulByte) {
  EXPECT_EQ(ParseAtoi(std::string("12\0" "34", 5)), 12);
}

// The 32-bit Windows runtime accumulates modulo 2^32 and negates last.
TEST(DecimalParse, ThirtyTwoBitOverflowWraps) {
  EXPECT_EQ(ParseAtoi("2147483647"), 2147483647);
  EXPECT_EQ(ParseAtoi("2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ParseAtoi("-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ParseAtoi("4294967295"), -1);
  EXPECT_EQ(ParseAtoi("4294967296"), 0);
  EXPECT_EQ(ParseAtoi("-4294967295"), 1);
  EXPECT_EQ(ParseAtoi("99999999999"), static_cast<std::int32_t>(99999999999ULL & 0xFFFFFFFFu));
  EXPECT_EQ(ParseAtol("4294967396"), 100);
}

TEST(DecimalParse, SixtyFourBitOverflowWraps) {
  EXPECT_EQ(ParseAtoi64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ParseAtoi64("9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(ParseAtoi64("18446744073709551615"), -1);
  EXPECT_EQ(ParseAtoi64("18446744073709551616"), 0);
}

TEST(DecimalParse, AMillionDigitsEndWithoutTrouble) {
  const std::string digits(1'000'000, '9');
  EXPECT_EQ(ParseAtoi(digits), static_cast<std::int32_t>(ParseAtoi64(digits)));
}

TEST(DecimalFormat, ExtremesOfBothWidths) {
  EXPECT_EQ(FormatSigned(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(FormatSigned(-5), "-5");
  EXPECT_EQ(FormatSigned(0), "0");
  EXPECT_EQ(FormatUnsigned(std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
  EXPECT_EQ(FormatUnsigned(16744448), "16744448");
}

TEST(DecimalFormat, UnsignedValuesReadBackThroughTheSignedReader) {
  for (std::uint32_t value : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
    EXPECT_EQ(static_cast<std::uint32_t>(ParseAtoi(FormatUnsigned(value))), value);
  const std::uint64_t big = 0xFEDCBA9876543210ULL;
  EXPECT_EQ(static_cast<std::uint64_t>(ParseAtoi64(FormatUnsigned(big))), big);
}

}  // namespace
}  // namespace kestrimo
