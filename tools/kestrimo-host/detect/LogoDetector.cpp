#include "tools/kestrimo-host/detect/LogoDetector.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>

#include "tools/kestrimo-host/detect/LogoRegions.h"

namespace kestrimo {
namespace {

constexpr int kBlock = 16;          // pixels per side of a block of the surroundings grid
constexpr int kSurroundBlocks = 6;  // blocks looked at on each side of a block
constexpr int kCloseRadius = 2;     // joins marks up to 4 pixels apart
constexpr std::size_t kMaxCandidates = 256;  // still pieces grouped at most

float MedianOf(std::vector<float>& values) {
  if (values.empty()) return 0.0f;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

int BlocksFor(int pixels) { return (pixels + kBlock - 1) / kBlock; }

}  // namespace

std::vector<float> LogoDetector::SurroundingLevels(const std::vector<float>& measure,
                                                   int width, int height, float movingLevel) const {
  const int columns = BlocksFor(width), rows = BlocksFor(height);
  std::vector<float> blockLevel(static_cast<std::size_t>(columns) * rows);
  std::vector<float> values;
  for (int by = 0; by < rows; ++by) {
    for (int bx = 0; bx < columns; ++bx) {
      values.clear();
      for (int y = by * kBlock; y < std::min(height, (by + 1) * kBlock); ++y) {
        for (int x = bx * kBlock; x < std::min(width, (bx + 1) * kBlock); ++x) {
          values.push_back(measure[static_cast<std::size_t>(y) * width + x]);
        }
      }
      blockLevel[static_cast<std::size_t>(by) * columns + bx] = MedianOf(values);
    }
  }
  // The typical change of the moving blocks nearby; still blocks (the logo
  // itself) are left out so that they do not lower it.
  std::vector<float> surrounding(blockLevel.size(), 0.0f);
  for (int by = 0; by < rows; ++by) {
    for (int bx = 0; bx < columns; ++bx) {
      values.clear();
      for (int ny = std::max(0, by - kSurroundBlocks); ny <= std::min(rows - 1, by + kSurroundBlocks); ++ny) {
        for (int nx = std::max(0, bx - kSurroundBlocks); nx <= std::min(columns - 1, bx + kSurroundBlocks); ++nx) {
          const float level = blockLevel[static_cast<std::size_t>(ny) * columns + nx];
          if (level > movingLevel) values.push_back(level);
        }
      }
      surrounding[static_cast<std::size_t>(by) * columns + bx] = MedianOf(values);
    }
  }
  return surrounding;
}

LogoMask LogoDetector::StillPixels(const LogoStatistics& statistics,
                                   const std::vector<float>& deviations) const {
  const int width = statistics.Width(), height = statistics.Height();
  const std::vector<float> changes = statistics.Changes();
  const std::vector<float> spreadAround = SurroundingLevels(deviations, width, height, kMovingLevel);
  const std::vector<float> changeAround = SurroundingLevels(changes, width, height, kChangingLevel);
  const int columns = BlocksFor(width);
  LogoMask still(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = still.Row(y);
    const std::size_t first = static_cast<std::size_t>(y) * width;
    const std::size_t blocks = static_cast<std::size_t>(y / kBlock) * columns;
    for (int x = 0; x < width; ++x) {
      const float spread = spreadAround[blocks + x / kBlock];
      const float change = changeAround[blocks + x / kBlock];
      row[x] = spread >= kMinSurroundingLevel && deviations[first + x] < kStillRatio * spread &&
               changes[first + x] < kStillRatio * change;
    }
  }
  still.Close(kCloseRadius);
  return still;
}

// Logos are small and sit near a corner, along the top or bottom edge or
// close to a side;
// large still areas (black bars, a frozen half of a split screen) and specks
// are something else.
bool LogoDetector::LikelyLogoRegion(const Rect& box, std::int64_t pixels, int width,
                                    int height) const {
  const std::int64_t minPixels =
      std::max<std::int64_t>(16, static_cast<std::int64_t>(width) * height / 20000);
  if (pixels < minPixels) return false;
  if (box.Width() > width / 2 || box.Height() > height / 3) return false;
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  const bool topOrBottom = cy < 0.3 * height || cy > 0.7 * height;
  const bool side = cx < 0.2 * width || cx > 0.8 * width;
  return topOrBottom || side;
}

double LogoDetector::Drawing(const LogoRegions& regions, const std::vector<std::int32_t>& group,
                             const std::vector<float>& means, int width, int height) const {
  const auto at = [&](int x, int y) {
    return means[static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * width +
                 static_cast<std::size_t>(std::clamp(x, 0, width - 1))];
  };
  double sum = 0;
  for (std::int32_t i : group) {
    const Rect& box = regions.Regions()[i].box;
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) {
        if (regions.LabelAt(x, y) != i) continue;
        sum += std::abs(at(x + 1, y) - at(x - 1, y)) + std::abs(at(x, y + 1) - at(x, y - 1));
      }
    }
  }
  return sum;
}

LogoSearch LogoDetector::Find(const LogoStatistics& statistics) const {
  LogoSearch search;
  const int width = statistics.Width(), height = statistics.Height();
  if (statistics.Samples() < kMinSamples || width < 1 || height < 1) {
    search.outcome = LogoSearch::Outcome::TooFewFrames;
    return search;
  }
  const std::vector<float> deviations = statistics.Deviations();
  const auto moving = std::count_if(deviations.begin(), deviations.end(),
                                    [](float d) { return d > kMovingLevel; });
  search.movingShare = static_cast<double>(moving) / static_cast<double>(deviations.size());
  if (search.movingShare < kMinMovingShare) {
    search.outcome = LogoSearch::Outcome::StillPicture;
    return search;
  }
  const LogoRegions regions(StillPixels(statistics, deviations));
  const auto& all = regions.Regions();
  // A picture full of still specks would make the grouping slow: only the
  // largest candidates take part.
  std::vector<std::int64_t> sizes;
  for (const LogoRegion& region : all) {
    if (LikelyLogoRegion(region.box, region.pixels, width, height)) sizes.push_back(region.pixels);
  }
  std::int64_t smallest = 0;
  if (sizes.size() > kMaxCandidates) {
    std::nth_element(sizes.begin(), sizes.begin() + (kMaxCandidates - 1), sizes.end(), std::greater<>());
    smallest = sizes[kMaxCandidates - 1];
  }
  const int gap = std::max(6, width / 48);
  const auto groups = regions.Group(gap, [&](std::int32_t i) {
    return all[i].pixels >= smallest && LikelyLogoRegion(all[i].box, all[i].pixels, width, height);
  });
  const std::vector<float> means = statistics.Means();
  const std::vector<std::int32_t>* best = nullptr;
  double bestDrawing = -1;
  for (const auto& group : groups) {
    Rect box;
    std::int64_t pixels = 0;
    for (std::int32_t i : group) {
      box = UnionOf(box, all[i].box);
      pixels += all[i].pixels;
    }
    if (!LikelyLogoRegion(box, pixels, width, height)) continue;
    ++search.otherAreas;
    const double drawing = Drawing(regions, group, means, width, height);
    if (drawing > bestDrawing) {
      best = &group;
      bestDrawing = drawing;
    }
  }
  if (best == nullptr) return search;
  --search.otherAreas;
  search.outcome = LogoSearch::Outcome::Found;
  search.mask = regions.MaskOf(*best);
  search.box = search.mask.Bounds();
  return search;
}

}  // namespace kestrimo
