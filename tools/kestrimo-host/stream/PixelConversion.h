// Moves frames between the stream layouts and the plug-in's layouts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrimo {

// The three planes of a 4:2:2 frame: Y is width x height, U and V are
// width/2 x height each. Width is even.
struct PlanarFrame {
  std::uint8_t* y;
  std::uint8_t* u;
  std::uint8_t* v;
};

// Points the planes into one block laid out Y, U, V as in a Y4M frame.
PlanarFrame SplitPlanes(std::uint8_t* block, int width, int height);

// Planar 4:2:2 to packed YUY2 (Y0 U Y1 V), rows top-down, pitch 2 x width.
void PlanarToYuy2(const PlanarFrame& planes, int width, int height, std::uint8_t* packed);

// Packed YUY2 back to planar 4:2:2.
void Yuy2ToPlanar(const std::uint8_t* packed, int width, int height, const PlanarFrame& planes);

// Copies `rows` rows of `rowBytes` bytes in reverse row order (top-down <-> bottom-up).
// Source and destination must not overlap.
void FlipRows(const std::uint8_t* source, std::size_t rowBytes, int rows, std::uint8_t* target);

}  // namespace kestrimo
