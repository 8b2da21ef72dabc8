#include "tools/kestrimo-host/hosting/PluginVersion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrimo {
namespace {

void PutWord(std::vector<std::uint8_t>& bytes, std::uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(word >> shift));
}

// `skip` bytes of filler, then a record: signature, structure version, file version.
std::vector<std::uint8_t> Library(std::size_t skip, std::uint32_t structure, std::uint32_t high,
                                  std::uint32_t low) {
  std::vector<std::uint8_t> bytes(skip, 0xBD);
  PutWord(bytes, 0xFEEF04BDu);
  PutWord(bytes, structure);
  PutWord(bytes, high);
  PutWord(bytes, low);
  return bytes;
}

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes) {
  bytes.pop_back();
  return bytes;
}

TEST(PluginVersionRecord, FoundAtAnyOffsetOnlyWithItsStructureVersion) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    const char* expected;
  };
  const Case cases[] = {
      {Library(0, 0x00010000, 0x00010000, 0x00020000), "1.0.2"},
      {Library(7, 0x00010000, 0x0003000C, 0x00000000), "3.12.0"},     // unaligned
      {Library(4, 0x00010000, 0x00010000, 0x00020005), "1.0.2.5"},    // a build number
      {Library(0, 0x00020000, 0x00010000, 0x00020000), ""},           // not the record
      {Cut(Library(0, 0x00010000, 0x00010000, 0x00020000)), ""},     // cut short
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindVersionRecord(c.bytes.data(), c.bytes.size()), c.expected);
  }
  EXPECT_EQ(PluginFileVersion("no/such/library"), "");
}

}  // namespace
}  // namespace kestrimo
