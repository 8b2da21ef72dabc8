// Typed values of the settings file: the entry of a settings table, and the
// readers and writers for every SettingType code.
//
// | code         | value in memory  | written as         | read as                |
// | 0            | 8-bit unsigned   | "%u"               | atoi, low 8 bits       |
// | 1            | 16-bit signed    | "%d"               | atoi, low 16 bits      |
// | 2, 3         | 16-bit unsigned  | "%u"               | atoi, low 16 bits      |
// | 4, 5, 7, 9   | 32-bit unsigned  | "%u"               | atoi                   |
// | 6, 8         | 32-bit signed    | "%d"               | atoi                   |
// | 10           | 64-bit signed    | "%I64d"            | _atoi64                |
// | 11           | 64-bit unsigned  | "%I64u"            | _atoi64                |
// | 12           | std::string      | the text unchanged | the value text         |
// | 13 and above | entry skipped    |                    |                        |
// The conversions are those of settings/DecimalText.h.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/ProfileFile.h"

namespace kestrimo {

namespace setting_type {
constexpr std::int32_t kUInt8 = 0;
constexpr std::int32_t kInt16 = 1;
constexpr std::int32_t kUInt16 = 2;
constexpr std::int32_t kUInt32 = 4;
constexpr std::int32_t kColor = 5;  // 32-bit unsigned
constexpr std::int32_t kInt32 = 6;
constexpr std::int32_t kInt64 = 10;
constexpr std::int32_t kUInt64 = 11;
constexpr std::int32_t kString = 12;
}  // namespace setting_type

struct SettingEntry {
  std::int32_t type;          // a SettingType code
  const char* key;
  void* value;                // of the code's type; std::string for code 12
  std::int64_t defaultValue;  // for the numeric codes
  const char* defaultText;    // for code 12
};

// Looks the entry's key up in the section and stores the parsed value, or the
// entry's default when the key is missing or its value empty.
void ReadSetting(ProfileFile& file, std::string_view section, const SettingEntry& entry);
void ReadTable(ProfileFile& file, std::string_view section, std::span<const SettingEntry> table);

// Writes "key=value" formatted by the entry's type.
void WriteSetting(ProfileFile& file, const SettingEntry& entry);
void WriteTable(ProfileFile& file, std::span<const SettingEntry> table);

// A 32-bit signed value read like atol and written with "%d".
void ReadLong(ProfileFile& file, std::string_view section, std::string_view key,
              std::int32_t& value, std::int32_t defaultValue);
void WriteLong(ProfileFile& file, std::string_view key, std::int32_t value);

}  // namespace kestrimo
