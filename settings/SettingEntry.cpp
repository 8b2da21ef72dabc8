#include "settings/SettingEntry.h"

#include "settings/DecimalText.h"

namespace kestrimo {
namespace {

enum class Kind { Skipped, UInt8, Int16, UInt16, UInt32, Int32, Int64, UInt64, Text };

Kind KindOf(std::int32_t type) {
  switch (type) {
    case 0: return Kind::UInt8;
    case 1: return Kind::Int16;
    case 2: case 3: return Kind::UInt16;
    case 4: case 5: case 7: case 9: return Kind::UInt32;
    case 6: case 8: return Kind::Int32;
    case 10: return Kind::Int64;
    case 11: return Kind::UInt64;
    case 12: return Kind::Text;
    default: return Kind::Skipped;
  }
}

template <typename T>
void Store(void* destination, T value) {
  *static_cast<T*>(destination) = value;
}

// The 64-bit number the entry holds: the parsed text or the default.
std::int64_t Number(Kind kind, bool found, const std::string& text, std::int64_t fallback) {
  if (!found) return fallback;
  return kind == Kind::Int64 || kind == Kind::UInt64 ? ParseAtoi64(text) : ParseAtoi(text);
}

std::string Formatted(Kind kind, const void* value) {
  switch (kind) {
    case Kind::UInt8: return FormatUnsigned(*static_cast<const std::uint8_t*>(value));
    case Kind::Int16: return FormatSigned(*static_cast<const std::int16_t*>(value));
    case Kind::UInt16: return FormatUnsigned(*static_cast<const std::uint16_t*>(value));
    case Kind::UInt32: return FormatUnsigned(*static_cast<const std::uint32_t*>(value));
    case Kind::Int32: return FormatSigned(*static_cast<const std::int32_t*>(value));
    case Kind::Int64: return FormatSigned(*static_cast<const std::int64_t*>(value));
    case Kind::UInt64: return FormatUnsigned(*static_cast<const std::uint64_t*>(value));
    default: return {};
  }
}

}  // namespace

void ReadSetting(ProfileFile& file, std::string_view section, const SettingEntry& entry) {
  const Kind kind = KindOf(entry.type);
  if (kind == Kind::Skipped) return;
  std::string text;
  const bool found = file.GetValue(section, entry.key, text);
  if (kind == Kind::Text) {
    auto& destination = *static_cast<std::string*>(entry.value);
    if (found) destination = std::move(text);
    else destination = entry.defaultText != nullptr ? entry.defaultText : "";
    return;
  }
  const std::int64_t number = Number(kind, found, text, entry.defaultValue);
  switch (kind) {
    case Kind::UInt8: Store(entry.value, static_cast<std::uint8_t>(number)); break;
    case Kind::Int16: Store(entry.value, static_cast<std::int16_t>(number)); break;
    case Kind::UInt16: Store(entry.value, static_cast<std::uint16_t>(number)); break;
    case Kind::UInt32: Store(entry.value, static_cast<std::uint32_t>(number)); break;
    case Kind::Int32: Store(entry.value, static_cast<std::int32_t>(number)); break;
    case Kind::Int64: Store(entry.value, number); break;
    case Kind::UInt64: Store(entry.value, static_cast<std::uint64_t>(number)); break;
    default: break;
  }
}

void ReadTable(ProfileFile& file, std::string_view section, std::span<const SettingEntry> table) {
  for (const SettingEntry& entry : table) ReadSetting(file, section, entry);
}

void WriteSetting(ProfileFile& file, const SettingEntry& entry) {
  const Kind kind = KindOf(entry.type);
  if (kind == Kind::Skipped) return;
  if (kind == Kind::Text)
    file.WriteValue(entry.key, *static_cast<const std::string*>(entry.value));
  else
    file.WriteValue(entry.key, Formatted(kind, entry.value));
}

void WriteTable(ProfileFile& file, std::span<const SettingEntry> table) {
  for (const SettingEntry& entry : table) WriteSetting(file, entry);
}

void ReadLong(ProfileFile& file, std::string_view section, std::string_view key,
              std::int32_t& value, std::int32_t defaultValue) {
  std::string text;
  value = file.GetValue(section, key, text) ? ParseAtol(text) : defaultValue;
}

void WriteLong(ProfileFile& file, std::string_view key, std::int32_t value) {
  file.WriteValue(key, FormatSigned(value));
}

}  // namespace kestrimo
