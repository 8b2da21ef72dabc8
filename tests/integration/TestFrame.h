// A host frame for the end-to-end tests: a deterministic textured background
// with bright "logo" blocks, addressed by visual pixel in either frame format,
// and the FNV-1a hash that pins a whole frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Rect.h"

namespace kestrimo::testing {

enum class FrameFormat { Yuy2, Bgr24 };

class TestFrame {
 public:
  TestFrame(FrameFormat format, std::int32_t width, std::int32_t height);

  // Background everywhere, then every logo block in white.
  void Paint(const std::vector<Rect>& logos);

  std::uint8_t* data() { return bytes_.data(); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::int32_t FrameMode() const { return format_ == FrameFormat::Yuy2 ? 0 : 1; }

  // Bytes of visual pixel (x, y): Y and its U or V (YUY2); B, G, R (BGR24,
  // rows stored bottom-up).
  int BytesPerPixel() const { return format_ == FrameFormat::Yuy2 ? 2 : 3; }
  std::size_t Offset(std::int32_t x, std::int32_t y) const;
  std::uint8_t At(std::int32_t x, std::int32_t y, int byte) const { return bytes_[Offset(x, y) + byte]; }

  // The range of each pixel byte over the background (without logos).
  std::uint8_t BackgroundMin(std::int32_t x, int byte) const;
  std::uint8_t BackgroundMax(std::int32_t x, int byte) const;

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }

 private:
  std::uint8_t Background(std::int32_t x, std::int32_t y, int byte) const;

  FrameFormat format_;
  std::int32_t width_;
  std::int32_t height_;
  std::vector<std::uint8_t> bytes_;
};

// FNV-1a, 64 bits.
std::uint64_t Fnv1a64(const std::vector<std::uint8_t>& bytes);

}  // namespace kestrimo::testing
