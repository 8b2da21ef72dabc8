#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingEntry.h"
#include "tests/settings/SettingsTestFiles.h"

namespace kestrimo::testing {
namespace {

class SettingEntryTest : public ::testing::Test {
 protected:
  void OpenForReading(std::string_view bytes) {
    WriteBytes(folder.Path() / "KRD_Kestrimo.ini", bytes);
    file.SetLocation(folder.Location());
    ASSERT_TRUE(file.BeginRead());
  }
  std::string Written(const std::vector<SettingEntry>& table) {
    file.SetLocation(folder.Location());
    EXPECT_TRUE(file.BeginWrite());
    WriteTable(file, table);
    EXPECT_TRUE(file.EndPass());
    return ReadBytes(folder.Path() / "KRD_Kestrimo.ini");
  }
  TempFolder folder;
  ProfileFile file;
};

TEST_F(SettingEntryTest, ReadersKeepTheLowBitsOfTheirWidth) {
  OpenForReading(
      "[S]\nu8=300\ni16=40000\nu16=70000\nu16b=-1\nu32=-1\ncolor=4294967295\ni32=-5\n"
      "i64=-9223372036854775808\nu64=18446744073709551615\ntext= a b \n");
  std::uint8_t u8 = 0;
  std::int16_t i16 = 0;
  std::uint16_t u16 = 0, u16b = 0;
  std::uint32_t u32 = 0, color = 0;
  std::int32_t i32 = 0;
  std::int64_t i64 = 0;
  std::uint64_t u64 = 0;
  std::string text;
  const std::vector<SettingEntry> table = {
      {0, "u8", &u8, 0, nullptr},         {1, "i16", &i16, 0, nullptr},
      {2, "u16", &u16, 0, nullptr},       {3, "u16b", &u16b, 0, nullptr},
      {4, "u32", &u32, 0, nullptr},       {5, "color", &color, 0, nullptr},
      {6, "i32", &i32, 0, nullptr},       {10, "i64", &i64, 0, nullptr},
      {11, "u64", &u64, 0, nullptr},      {12, "text", &text, 0, "default"},
  };
  ReadTable(file, "S", table);
  EXPECT_EQ(u8, 44);
  EXPECT_EQ(i16, -25536);
  EXPECT_EQ(u16, 4464);
  EXPECT_EQ(u16b, 65535);
  EXPECT_EQ(u32, 0xFFFFFFFFu);
  EXPECT_EQ(color, 0xFFFFFFFFu);
  EXPECT_EQ(i32, -5);
  EXPECT_EQ(i64, INT64_MIN);
  EXPECT_EQ(u64, UINT64_MAX);
  EXPECT_EQ(text, " a b ");
}

TEST_F(SettingEntryTest, MissingOrEmptyValuesTakeTheDefaultOfTheirWidth) {
  OpenForReading("[S]\nempty=\n");
  std::uint8_t u8 = 1;
  std::int16_t i16 = 1;
  std::int32_t i32 = 1;
  std::uint64_t u64 = 1;
  std::string text = "old";
  std::string noDefault = "old";
  const std::vector<SettingEntry> table = {
      {0, "u8", &u8, 0x1FF, nullptr},    {1, "empty", &i16, -3, nullptr},
      {8, "i32", &i32, 110, nullptr},    {11, "u64", &u64, -1, nullptr},
      {12, "empty", &text, 0, "C:\\d.bmp"}, {12, "none", &noDefault, 0, nullptr},
  };
  ReadTable(file, "S", table);
  EXPECT_EQ(u8, 0xFF);
  EXPECT_EQ(i16, -3);
  EXPECT_EQ(i32, 110);
  EXPECT_EQ(u64, UINT64_MAX);
  EXPECT_EQ(text, "C:\\d.bmp");
  EXPECT_EQ(noDefault, "");
}

TEST_F(SettingEntryTest, CodesFromThirteenOnAreSkipped) {
  OpenForReading("[S]\nx=5\n");
  std::int32_t untouched = 77;
  const std::vector<SettingEntry> table = {{13, "x", &untouched, 1, nullptr},
                                           {-1, "x", &untouched, 1, nullptr}};
  ReadTable(file, "S", table);
  EXPECT_EQ(untouched, 77);
  file.EndPass();
  EXPECT_EQ(Written(table), "");
}

TEST_F(SettingEntryTest, WritersFormatByType) {
  std::uint8_t u8 = 200;
  std::int16_t i16 = -2;
  std::uint16_t u16 = 65535;
  std::uint32_t u32 = 0xFFFFFFFFu;
  std::int32_t i32 = -7;
  std::int64_t i64 = INT64_MIN;
  std::uint64_t u64 = UINT64_MAX;
  std::string text = "  C:\\a b.bmp ";
  std::string empty;
  const std::vector<SettingEntry> table = {
      {0, "u8", &u8, 0, nullptr},    {1, "i16", &i16, 0, nullptr},
      {3, "u16", &u16, 0, nullptr},  {9, "u32", &u32, 0, nullptr},
      {8, "i32", &i32, 0, nullptr},  {10, "i64", &i64, 0, nullptr},
      {11, "u64", &u64, 0, nullptr}, {12, "text", &text, 0, nullptr},
      {12, "MaskFileName", &empty, 0, nullptr},
  };
  EXPECT_EQ(Written(table),
            "u8=200\r\ni16=-2\r\nu16=65535\r\nu32=4294967295\r\ni32=-7\r\n"
            "i64=-9223372036854775808\r\nu64=18446744073709551615\r\ntext=  C:\\a b.bmp \r\n"
            "MaskFileName=\r\n");
}

TEST_F(SettingEntryTest, LongReaderAndWriter) {
  OpenForReading("[COMMON]\nDlgWndPosX=  -412px\nDlgWndPosY=\n");
  std::int32_t x = 0, y = 0, z = 0;
  ReadLong(file, "COMMON", "DlgWndPosX", x, -100);
  ReadLong(file, "COMMON", "DlgWndPosY", y, -100);
  ReadLong(file, "COMMON", "Missing", z, -100);
  EXPECT_EQ(x, -412);
  EXPECT_EQ(y, -100);
  EXPECT_EQ(z, -100);
  file.EndPass();
  ASSERT_TRUE(file.BeginWrite());
  WriteLong(file, "DlgWndPosX", -2147483647 - 1);
  ASSERT_TRUE(file.EndPass());
  EXPECT_EQ(ReadBytes(folder.Path() / "KRD_Kestrimo.ini"), "DlgWndPosX=-2147483648\r\n");
}

}  // namespace
}  // namespace kestrimo::testing
