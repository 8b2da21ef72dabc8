#include "bench/frame/LogoOverlay.h"

#include <cmath>

namespace kestrimo::bench {
namespace {

constexpr double kOpacity = 0.75;
constexpr int kGlyphRows = 7;
constexpr int kGlyphColumns = 5;
// "T", "V", "9" in a 5 x 7 block font, one string per row.
constexpr const char* kGlyphs[3][kGlyphRows] = {
    {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."},
    {"#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."},
    {".###.", "#...#", "#...#", ".####", "....#", "#...#", ".###."},
};
constexpr int kTextColumns = 3 * kGlyphColumns + 2;  // one blank column between letters

std::uint8_t Toward(std::uint8_t value, int target, double weight) {
  return static_cast<std::uint8_t>(std::lround(value + weight * (target - value)));
}

}  // namespace

bool LogoCovers(const Area& rebuilt, int x, int y) {
  const Area text = Interior(rebuilt);
  if (text.width <= 0 || text.height <= 0) return false;
  if (x < text.x || y < text.y || x >= text.x + text.width || y >= text.y + text.height) return false;
  const int column = (x - text.x) * kTextColumns / text.width;
  const int row = (y - text.y) * kGlyphRows / text.height;
  const int glyph = column / (kGlyphColumns + 1);
  const int inGlyph = column % (kGlyphColumns + 1);
  return inGlyph < kGlyphColumns && kGlyphs[glyph][row][inGlyph] == '#';
}

void OverlayLogo(PackedFrame& frame, const Area& rebuilt) {
  for (int y = rebuilt.y; y < rebuilt.y + rebuilt.height; ++y) {
    std::uint8_t* row = frame.Row(y);
    if (frame.mode == FrameMode::Bgr24) {
      for (int x = rebuilt.x; x < rebuilt.x + rebuilt.width; ++x) {
        if (!LogoCovers(rebuilt, x, y)) continue;
        for (int c = 0; c < 3; ++c) row[x * 3 + c] = Toward(row[x * 3 + c], 255, kOpacity);
      }
      continue;
    }
    for (int x = rebuilt.x & ~1; x < rebuilt.x + rebuilt.width; x += 2) {
      const bool left = LogoCovers(rebuilt, x, y), right = LogoCovers(rebuilt, x + 1, y);
      std::uint8_t* pair = row + x * 2;
      if (left) pair[0] = Toward(pair[0], 235, kOpacity);
      if (right) pair[2] = Toward(pair[2], 235, kOpacity);
      const double chromaWeight = kOpacity * (left + right) / 2.0;
      pair[1] = Toward(pair[1], 128, chromaWeight);
      pair[3] = Toward(pair[3], 128, chromaWeight);
    }
  }
}

}  // namespace kestrimo::bench
