// Decodes a picture file into 32-bit bottom-up frames for one load. On
// Windows the imaging library (gdiplus.dll, loaded on first use) decodes every
// format it knows and is started for the life of one decoder; without it a
// plain bitmap loader reads Windows bitmaps only. Elsewhere a built-in decoder
// reads BMP, PNG, JPEG and GIF, or only BMP when the fallback is forced.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/AlignedMemory.h"
#include "base/Rect.h"
#include "platform/DibSection.h"

namespace kestrimo {

// Largest side of a picture that is decoded at all.
inline constexpr std::int32_t kMaxPictureSide = 16384;

// A picture size worth decoding: both sides from 1 to kMaxPictureSide and at
// most kMaxImagePixels pixels. Checked before anything of that size is made.
inline bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxImagePixels;
}

// One frame's own surface to decode into: width x height pixels at (0, 0) of
// its bottom-up block of allocWidth x allocHeight pixels.
struct PictureTarget {
  DibSection* surface = nullptr;
  std::uint32_t* pixels = nullptr;
  std::int32_t allocWidth = 0;
  std::int32_t allocHeight = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

class PictureDecoder {
 public:
  // Starts the imaging library when it is available (and not forced off).
  PictureDecoder();
  // Releases the picture and shuts the imaging library down.
  ~PictureDecoder();
  PictureDecoder(const PictureDecoder&) = delete;
  PictureDecoder& operator=(const PictureDecoder&) = delete;

  // True when the imaging library decodes (frames along the time dimension
  // can then be counted); false when only the bitmap loader is at hand.
  bool UsesImagingLibrary() const;

  // Opens the picture named in the ANSI code page (backslashes allowed); false
  // when it cannot be decoded. Frame 0 is active afterwards.
  bool Open(const std::string& fileName);
  // Number of frames along the time dimension; 0 when unknown.
  std::int32_t FrameCount();
  // Makes frame index the active one; false when it cannot.
  bool SelectFrame(std::int32_t index);
  // Size of the active frame; {0, 0} when nothing is open.
  Size ActiveSize();
  // Copies the active frame 1:1 into the target (which has its size). The
  // alpha bytes written are not defined.
  bool Draw(const PictureTarget& target);
  // True when the last Open, FrameCount or Draw failed for want of memory
  // rather than because of the file.
  bool OutOfMemory() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Tests use this to take the bitmap-loader path although the imaging library
// is present. Takes effect for decoders constructed afterwards.
void ForcePictureFallbackForTesting(bool force);

}  // namespace kestrimo
