#include "detect/LogoCoverage.h"

#include <algorithm>
#include <cstddef>

#include "base/ImageBuffer.h"

namespace kestrimo {
namespace {

constexpr int kFitRounds = 4;

bool Inside(const LogoMask& mask, int x, int y) {
  return x >= 0 && y >= 0 && x < mask.Width() && y < mask.Height();
}

}  // namespace

MaskShape ShapeFor(const LogoPicture& picture, std::uint32_t key, std::int32_t expand) {
  MaskShape shape;
  shape.MaskPosX = picture.posX;
  shape.MaskPosY = picture.posY;
  shape.RectMaskSizeX = picture.width;
  shape.RectMaskSizeY = picture.height;
  shape.ExpandX = expand;
  shape.ExpandY = expand;
  shape.InvertMask = 0;
  shape.ColorKey = key;
  shape.EdgeBlur = 0;
  return shape;
}

LogoCoverage::LogoCoverage(int frameWidth, int frameHeight) {
  geometry_.SetFrameFormat(frameWidth, frameHeight, kFrameModeYuy2);
}

LogoMask LogoCoverage::OfPicture(const LogoPicture& picture, std::uint32_t key,
                                 std::int32_t expand) {
  DibImage& image = rebuild_.MaskPicture;
  image.ClearFrames();
  image.CreateDib(picture.width, picture.height, 0, 0);
  if (image.pixels == nullptr) return LogoMask(geometry_.width, geometry_.height);
  const std::uint32_t keyPixel = PixelFromColour(key, 255);
  const std::uint32_t keptPixel = PixelFromColour(~key & 0xFFFFFFu, 255);
  for (int y = 0; y < picture.height; ++y) {
    std::uint32_t* row = image.pixels + static_cast<std::ptrdiff_t>(image.allocWidth) * (image.allocHeight - 1 - y);
    for (int x = 0; x < picture.width; ++x) row[x] = picture.Keyed(x, y) ? keyPixel : keptPixel;
  }
  rebuild_.MaskLoaded = 1;
  rebuild_.RebuildMask(ShapeFor(picture, key, expand), geometry_, geometry_.width,
                       geometry_.height);
  return Rebuilt(key);
}

bool LogoCoverage::OfFile(std::string& fileName, const MaskShape& shape, LogoMask& rebuilt) {
  rebuild_.LoadMaskPicture(fileName);
  if (!rebuild_.MaskLoaded) return false;
  rebuild_.RebuildMask(shape, geometry_, geometry_.width, geometry_.height);
  rebuilt = Rebuilt(shape.ColorKey);
  return true;
}

// Key-coloured pixels of the frame mask, but not its outermost lines: the
// fills never change those, they are the anchors of the rebuild.
LogoMask LogoCoverage::Rebuilt(std::uint32_t key) const {
  LogoMask rebuilt(geometry_.width, geometry_.height);
  const ImageBuffer& mask = rebuild_.FrameMask;
  const Point origin = rebuild_.MaskOrigin;
  const std::uint32_t keyBits = PixelFromColour(key, 0);
  for (int y = 1; y + 1 < mask.rect.Height(); ++y) {
    for (int x = 1; x + 1 < mask.rect.Width(); ++x) {
      const int fx = origin.x + x, fy = origin.y + y;
      if (!Inside(rebuilt, fx, fy)) continue;
      if ((*mask.PixelAt(x, y) & 0xFFFFFFu) == keyBits) rebuilt.Set(fx, fy, true);
    }
  }
  return rebuilt;
}

void LogoCoverage::Fit(LogoPicture& picture, const LogoMask& logo, std::uint32_t key) {
  const Rect& area = picture.area;
  for (int round = 0; round < kFitRounds; ++round) {
    const LogoMask rebuilt = OfPicture(picture, key, 0);
    bool missed = false;
    for (int y = std::max(0, area.top); y < std::min(logo.Height(), area.bottom); ++y) {
      for (int x = std::max(0, area.left); x < std::min(logo.Width(), area.right); ++x) {
        if (!logo.At(x, y) || rebuilt.At(x, y)) continue;
        const Point p = PicturePixelOf(picture, x, y);
        if (!picture.Keyed(p.x, p.y)) {
          picture.Key(p.x, p.y);
          missed = true;
        }
      }
    }
    if (!missed) return;
  }
}

}  // namespace kestrimo
