// A found logo's mask picture as a file: a 24-bit Windows bitmap, the key
// colour on the logo and its complement elsewhere, replaced in one step.
#pragma once

#include <cstdint>
#include <string>

#include "detect/LogoPicture.h"
#include "mask/LogoModelPicture.h"
#include "platform/FileSystem.h"

namespace kestrimo {

// The whole file (bottom-up rows padded to 4 bytes); empty for an empty
// picture. key is 0x00BBGGRR.
std::string EncodeMaskBitmap(const LogoPicture& picture, std::uint32_t key);

// A logo model as a file: a 32-bit bitmap (version 4 header, masks B, G, R,
// A), bottom-up rows; empty for an empty picture.
std::string EncodeModelBitmap(const LogoModelPicture& picture);

// Writes `bytes` to path + ".tmp" and renames it over `path`, so that an
// existing picture of that name is only ever replaced by a whole new one.
// False, with no temporary file left, when a step fails.
bool WriteFileReplacing(FileSystem& files, const std::string& path, const std::string& bytes);

}  // namespace kestrimo
