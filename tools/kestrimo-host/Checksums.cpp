#include "tools/kestrimo-host/Checksums.h"

#include <array>

namespace kestrimo {
namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

constexpr std::uint32_t kAdlerModulus = 65521;
// The most bytes that can be summed before the 32-bit sums must be reduced.
constexpr std::size_t kAdlerRun = 5552;

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t count, std::uint32_t crc) {
  crc = ~crc;
  for (std::size_t i = 0; i < count; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t count, std::uint32_t adler) {
  std::uint32_t a = adler & 0xFFFF;
  std::uint32_t b = adler >> 16;
  while (count > 0) {
    const std::size_t run = count < kAdlerRun ? count : kAdlerRun;
    for (std::size_t i = 0; i < run; ++i) {
      a += data[i];
      b += a;
    }
    a %= kAdlerModulus;
    b %= kAdlerModulus;
    data += run;
    count -= run;
  }
  return (b << 16) | a;
}

}  // namespace kestrimo
