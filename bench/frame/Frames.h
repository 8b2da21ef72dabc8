// Frames as the host hands them over (packed YUY2 top-down, or 24-bit BGR
// bottom-up), built from RGB pictures, and the planar copies the peers take.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/frame/LogoArea.h"

namespace kestrimo::bench {

enum class FrameMode : int { Yuy2 = 0, Bgr24 = 1 };

const char* Name(FrameMode mode);

// An RGB picture, 3 bytes per pixel, rows top-down.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

struct PackedFrame {
  int width = 0;
  int height = 0;
  FrameMode mode = FrameMode::Yuy2;
  std::vector<std::uint8_t> bytes;

  int BytesPerPixel() const { return mode == FrameMode::Yuy2 ? 2 : 3; }
  long Stride() const { return static_cast<long>(width) * BytesPerPixel(); }
  // The memory row that holds picture row y (BGR24 frames are bottom-up).
  std::uint8_t* Row(int y);
  const std::uint8_t* Row(int y) const;
};

// BT.601 studio range, 4:2:2 chroma as the mean of each pixel pair.
PackedFrame ToYuy2(const RgbPicture& picture);
PackedFrame ToBgr24(const RgbPicture& picture);

// Planar 8-bit copies of a frame, as a filter takes them.
struct PlanarFrame {
  int width = 0;
  int height = 0;
  int chromaShiftX = 0;  // 4:2:2 and 4:2:0: 1
  int chromaShiftY = 0;  // 4:2:0: 1
  std::vector<std::uint8_t> planes[3];
  int PlaneWidth(int plane) const;
  int PlaneHeight(int plane) const;
};

enum class Subsampling { Yuv444, Yuv422, Yuv420 };

// YUY2 frames keep their samples (4:2:2 exactly; 4:2:0 averages row pairs of
// chroma). BGR24 frames are converted to BT.601 studio range.
PlanarFrame ToPlanar(const PackedFrame& frame, Subsampling subsampling);

// The luma of the frame (for BGR24 the BT.601 luma), top-down.
std::vector<std::uint8_t> LumaOf(const PackedFrame& frame);

// The bounding box of the pixels whose luma differs between two frames of
// equal layout (for BGR24 any byte); empty when none does. In YUY2 the chroma
// of a pair straddling an edge belongs to both pixels, so it is not counted.
Area ChangedLumaBox(const PackedFrame& a, const PackedFrame& b);

// Peak signal-to-noise ratio in dB of two equal-sized sample sets within
// `area` of a width x height plane; 99 for identical samples.
double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, int width,
            const Area& area);

}  // namespace kestrimo::bench
