// A mask picture as a 24-bit Windows bitmap file, which the plug-in's picture
// loader reads on every target.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/kestrimo-host/detect/LogoPicture.h"

namespace kestrimo {

// The whole file: BITMAPFILEHEADER, BITMAPINFOHEADER, rows bottom-up, each
// padded to 4 bytes. Keyed pixels get the key colour (0x00BBGGRR), the others
// its complement, so no kept pixel ever matches the key.
std::vector<std::uint8_t> EncodeLogoBitmap(const LogoPicture& picture, std::uint32_t key);

// Writes the file; an error text, or empty when it was written whole.
std::string WriteLogoBitmap(const std::string& path, const LogoPicture& picture,
                            std::uint32_t key);

}  // namespace kestrimo
