// Russian texts written in the source as UTF-8 and turned into code page 1251
// bytes at compile time, so the sources stay readable and the run time sees
// only the 8-bit text.
#pragma once

#include <cstddef>

namespace kestrimo {

template <std::size_t N>
struct Cp1251Text {
  char bytes[N] = {};
  constexpr const char* c_str() const { return bytes; }
};

namespace cp1251_detail {

constexpr unsigned char FromCodePoint(char32_t c) {
  if (c < 0x80) return static_cast<unsigned char>(c);
  if (c >= 0x0410 && c <= 0x044F) return static_cast<unsigned char>(c - 0x0410 + 0xC0);
  switch (c) {
    case 0x0401: return 0xA8;  // Ё
    case 0x0451: return 0xB8;  // ё
    case 0x00AB: return 0xAB;  // «
    case 0x00BB: return 0xBB;  // »
    case 0x2013: return 0x96;  // en dash
    case 0x2014: return 0x97;  // em dash
    case 0x2116: return 0xB9;  // №
    case 0x00A9: return 0xA9;  // ©
  }
  throw "character outside code page 1251";  // stops the compilation
}

}  // namespace cp1251_detail

// ToCp1251(u8"...") — every multi-byte sequence becomes one byte; the unused
// tail of the array stays zero.
template <std::size_t N>
consteval Cp1251Text<N> ToCp1251(const char8_t (&utf8)[N]) {
  Cp1251Text<N> out;
  std::size_t o = 0;
  for (std::size_t i = 0; i + 1 < N;) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    char32_t c = lead;
    std::size_t length = 1;
    if (lead >= 0xE0) {
      c = lead & 0x0F;
      length = 3;
    } else if (lead >= 0xC0) {
      c = lead & 0x1F;
      length = 2;
    }
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (utf8[i + k] & 0x3F);
    out.bytes[o++] = static_cast<char>(cp1251_detail::FromCodePoint(c));
    i += length;
  }
  return out;
}

}  // namespace kestrimo
