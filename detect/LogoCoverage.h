// Which frame pixels the plug-in rebuilds for a mask picture, found with the
// plug-in's own mask code as it runs for a frame of the given size, and the
// fitting of a picture until it covers every pixel of a logo.
#pragma once

#include <cstdint>
#include <string>

#include "base/FrameGeometry.h"
#include "mask/MaskRebuild.h"
#include "mask/MaskShape.h"
#include "detect/LogoMask.h"
#include "detect/LogoPicture.h"

namespace kestrimo {

class LogoCoverage {
 public:
  LogoCoverage(int frameWidth, int frameHeight);

  // The rebuilt pixels for the picture in memory, keyed with `key` and grown by `expand`.
  LogoMask OfPicture(const LogoPicture& picture, std::uint32_t key, std::int32_t expand);
  // The rebuilt pixels for a mask picture loaded from its file as the
  // plug-in loads it (the name is cleared when it cannot be loaded) and
  // placed by `shape`; false when the picture cannot be loaded.
  bool OfFile(std::string& fileName, const MaskShape& shape, LogoMask& rebuilt);

  // Keys further picture pixels until the plug-in's rebuild covers every
  // logo pixel inside the picture's area (a few rounds at most).
  void Fit(LogoPicture& picture, const LogoMask& logo, std::uint32_t key);

 private:
  LogoMask Rebuilt(std::uint32_t key) const;

  FrameGeometry geometry_;
  MaskRebuild rebuild_;
};

// The shape that places the picture over its area, keyed with `key` and
// grown by `expand`, with no soft edge.
MaskShape ShapeFor(const LogoPicture& picture, std::uint32_t key, std::int32_t expand);

}  // namespace kestrimo
