// Reads back the picture files the tool writes, to check their pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrimo::testing {

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // rows top-down, packed; empty when the file does not decode
};

// A PNG or BMP file as 8-bit RGB.
DecodedPicture DecodePicture(const std::vector<std::uint8_t>& file);

}  // namespace kestrimo::testing
