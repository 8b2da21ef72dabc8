#include "detect/LogoFinder.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "detect/LogoRegions.h"

namespace kestrimo {
namespace {

constexpr std::uint8_t kLumaLasting = 1;
constexpr std::uint8_t kAnyLasting = 2;

// Per frame pixel: the length of the mean gradient summed over the planes,
// and whether an edge lasts there in luma and in any plane.
struct EdgeMaps {
  int width = 0;
  int height = 0;
  std::vector<float> strength;
  std::vector<std::uint8_t> lasting;

  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
  }
};

bool Lasting(const PlaneSums& plane, std::size_t i, int samples) {
  const int most = std::max({plane.towards[0][i], plane.towards[1][i], plane.towards[2][i],
                             plane.towards[3][i]});
  return most * 10 > LogoFinder::kLastingTenths * samples;
}

float MeanLength(const PlaneSums& plane, std::size_t i, float samples) {
  return std::hypot(static_cast<float>(plane.gradientX[i]) / samples,
                    static_cast<float>(plane.gradientY[i]) / samples);
}

EdgeMaps Measure(const LogoStatistics& statistics) {
  EdgeMaps maps;
  maps.width = statistics.Width();
  maps.height = statistics.Height();
  const std::size_t pixels = static_cast<std::size_t>(maps.width) * maps.height;
  maps.strength.assign(pixels, 0.0f);
  maps.lasting.assign(pixels, 0);
  const PlaneSums& luma = statistics.Plane(0);
  const int chromaWidth = statistics.Plane(1).width;
  for (int y = 0; y < maps.height; ++y) {
    const int samples = statistics.RowSamples(y);
    if (samples == 0) continue;
    const auto n = static_cast<float>(samples);
    for (int x = 0; x < maps.width; ++x) {
      const std::size_t i = maps.Index(x, y);
      float strength = MeanLength(luma, i, n);
      std::uint8_t lasting = Lasting(luma, i, samples) ? kLumaLasting | kAnyLasting : 0;
      if (chromaWidth > 0) {
        const std::size_t c = static_cast<std::size_t>(y) * chromaWidth +
                              static_cast<std::size_t>(std::min(x / 2, chromaWidth - 1));
        for (int p = 1; p < 3; ++p) {
          strength += MeanLength(statistics.Plane(p), c, n);
          if (Lasting(statistics.Plane(p), c, samples)) lasting |= kAnyLasting;
        }
      }
      maps.strength[i] = strength;
      maps.lasting[i] = lasting;
    }
  }
  return maps;
}

Rect Centre(const EdgeMaps& maps) {
  return {maps.width / 4, maps.height / 4, maps.width - maps.width / 4,
          maps.height - maps.height / 4};
}

double StillShare(const EdgeMaps& maps) {
  const Rect centre = Centre(maps);
  std::int64_t lasting = 0;
  for (int y = centre.top; y < centre.bottom; ++y) {
    for (int x = centre.left; x < centre.right; ++x) {
      lasting += (maps.lasting[maps.Index(x, y)] & kLumaLasting) != 0;
    }
  }
  const std::int64_t area = std::int64_t{centre.right - centre.left} * (centre.bottom - centre.top);
  return area > 0 ? static_cast<double>(lasting) / static_cast<double>(area) : 0.0;
}

double MovingShare(const LogoStatistics& statistics, const Rect& centre) {
  const PlaneSums& luma = statistics.Plane(0);
  std::int64_t moving = 0, area = 0;
  for (int y = centre.top; y < centre.bottom; ++y) {
    const auto n = static_cast<float>(statistics.RowSamples(y));
    for (int x = centre.left; x < centre.right; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * luma.width + static_cast<std::size_t>(x);
      const float mean = static_cast<float>(luma.values[i]) / n;
      const float spread = static_cast<float>(luma.squares[i]) / n - mean * mean;
      moving += spread > LogoFinder::kMovingSpread * LogoFinder::kMovingSpread;
      ++area;
    }
  }
  return area > 0 ? static_cast<double>(moving) / static_cast<double>(area) : 0.0;
}

// The picture's own edge level: the centre's median strength, plus a little
// so that a flat centre does not make every faint edge strong.
float NoiseLevel(const EdgeMaps& maps) {
  const Rect centre = Centre(maps);
  std::vector<float> values;
  values.reserve(static_cast<std::size_t>(centre.right - centre.left) *
                 static_cast<std::size_t>(std::max(centre.bottom - centre.top, 0)));
  for (int y = centre.top; y < centre.bottom; ++y) {
    for (int x = centre.left; x < centre.right; ++x) values.push_back(maps.strength[maps.Index(x, y)]);
  }
  if (values.empty()) return 0.5f;
  auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle + 0.5f;
}

// Clears rows, then columns, with edges across more than kLineShare of the frame.
void ClearLines(LogoMask& edges) {
  const int w = edges.Width(), h = edges.Height();
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = edges.Row(y);
    if (std::count(row, row + w, std::uint8_t{1}) > LogoFinder::kLineShare * w) {
      std::fill(edges.Row(y), edges.Row(y) + w, std::uint8_t{0});
    }
  }
  for (int x = 0; x < w; ++x) {
    int count = 0;
    for (int y = 0; y < h; ++y) count += edges.At(x, y);
    if (count <= LogoFinder::kLineShare * h) continue;
    for (int y = 0; y < h; ++y) edges.Set(x, y, false);
  }
}

// Lasting, strong edges in the top and bottom bands.
LogoMask LogoEdges(const EdgeMaps& maps, float noise) {
  LogoMask edges(maps.width, maps.height);
  const int band = static_cast<int>(maps.height * LogoFinder::kBand);
  for (int y = 0; y < maps.height; ++y) {
    if (y >= band && y < maps.height - band) continue;
    for (int x = 0; x < maps.width; ++x) {
      const std::size_t i = maps.Index(x, y);
      edges.Set(x, y, (maps.lasting[i] & kAnyLasting) != 0 &&
                          maps.strength[i] > LogoFinder::kStrength * noise);
    }
  }
  ClearLines(edges);
  return edges;
}

// The group of edges (pieces of the joined map) with the most edge strength
// that is small enough for a logo; -1 when none is.
std::int32_t BestGroup(const LogoRegions& groups, const LogoMask& edges, const EdgeMaps& maps,
                       float noise) {
  const std::size_t count = groups.Regions().size();
  std::vector<std::int64_t> pixels(count, 0);
  std::vector<double> score(count, 0.0);
  for (int y = 0; y < maps.height; ++y) {
    for (int x = 0; x < maps.width; ++x) {
      if (!edges.At(x, y)) continue;
      const auto label = static_cast<std::size_t>(groups.LabelAt(x, y));
      ++pixels[label];
      score[label] += maps.strength[maps.Index(x, y)] / noise;
    }
  }
  std::int32_t best = -1;
  for (std::size_t i = 0; i < count; ++i) {
    const Rect& box = groups.Regions()[i].box;
    if (box.right - box.left > LogoFinder::kMaxWidthShare * maps.width ||
        box.bottom - box.top > LogoFinder::kMaxHeightShare * maps.height ||
        pixels[i] < LogoFinder::kMinEdgePixels) {
      continue;
    }
    if (best < 0 || score[i] > score[static_cast<std::size_t>(best)]) {
      best = static_cast<std::int32_t>(i);
    }
  }
  return best;
}

// The mask of the statistics' pixels at the frame's size.
LogoMask ToFrame(const LogoMask& logo, const LogoStatistics& statistics) {
  const int scale = statistics.Scale();
  if (scale == 1) return logo;
  LogoMask frame(statistics.FrameWidth(), statistics.FrameHeight());
  for (int y = 0; y < frame.Height(); ++y) {
    const int sy = std::min(y / scale, logo.Height() - 1);
    for (int x = 0; x < frame.Width(); ++x) {
      frame.Set(x, y, logo.At(std::min(x / scale, logo.Width() - 1), sy));
    }
  }
  return frame;
}

}  // namespace

LogoSearch LogoFinder::Find(const LogoStatistics& statistics) const {
  LogoSearch search;
  search.samples = statistics.Samples();
  if (search.samples < kMinSamples) {
    search.outcome = LogoSearch::Outcome::TooFewSamples;
    return search;
  }
  const EdgeMaps maps = Measure(statistics);
  search.stillShare = StillShare(maps);
  search.movingShare = MovingShare(statistics, Centre(maps));
  if (search.stillShare > kMaxStillShare || search.movingShare < kMinMovingShare) {
    search.outcome = LogoSearch::Outcome::StillCamera;
    return search;
  }
  const float noise = NoiseLevel(maps);
  const LogoMask edges = LogoEdges(maps, noise);
  // Pieces a few pixels apart are one logo; words run wider than tall.
  const int r = std::max(2, maps.height / 80);
  LogoMask joined = edges;
  joined.Dilate(3 * r, r);
  const LogoRegions groups(joined);
  const std::int32_t best = BestGroup(groups, edges, maps, noise);
  if (best < 0) return search;

  LogoMask logo(maps.width, maps.height);
  for (int y = 0; y < maps.height; ++y) {
    for (int x = 0; x < maps.width; ++x) logo.Set(x, y, edges.At(x, y) && groups.LabelAt(x, y) == best);
  }
  logo.Close(r);
  logo.FillHoles();
  search.outcome = LogoSearch::Outcome::Found;
  search.mask = ToFrame(logo, statistics);
  search.mask.Dilate(kGrow);
  search.box = search.mask.Bounds();
  return search;
}

}  // namespace kestrimo
