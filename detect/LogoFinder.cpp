#include "detect/LogoFinder.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "detect/ActivePicture.h"
#include "detect/LogoRegions.h"
#include "detect/OverlayEvidence.h"

namespace kestrimo {
namespace {

constexpr std::uint8_t kLumaLasting = 1;
constexpr std::uint8_t kAnyLasting = 2;
constexpr std::uint8_t kLumaAcross = 4;  // a lasting luma edge whose gradient runs along x

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

bool Lasting(const PlaneSums& plane, std::size_t i, int samples, int tenths) {
  const int most = std::max({plane.towards[0][i], plane.towards[1][i], plane.towards[2][i],
                             plane.towards[3][i]});
  return most * 10 > tenths * samples;
}

float MeanLength(const PlaneSums& plane, std::size_t i, float samples) {
  return std::hypot(static_cast<float>(plane.gradientX[i]) / samples,
                    static_cast<float>(plane.gradientY[i]) / samples);
}

EdgeMaps Measure(const LogoStatistics& statistics, int tenths) {
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
      std::uint8_t lasting = Lasting(luma, i, samples, tenths) ? kLumaLasting | kAnyLasting : 0;
      if (std::max(luma.towards[0][i], luma.towards[1][i]) >= std::max(luma.towards[2][i], luma.towards[3][i]))
        lasting |= kLumaAcross;
      if (chromaWidth > 0) {
        const std::size_t c = static_cast<std::size_t>(y) * chromaWidth +
                              static_cast<std::size_t>(std::min(x / 2, chromaWidth - 1));
        for (int p = 1; p < 3; ++p) {
          strength += MeanLength(statistics.Plane(p), c, n);
          if (Lasting(statistics.Plane(p), c, samples, tenths)) lasting |= kAnyLasting;
        }
      }
      maps.strength[i] = strength;
      maps.lasting[i] = lasting;
    }
  }
  return maps;
}

// The middle half of the picture, each way.
Rect Centre(const Rect& picture) {
  const int w = picture.Width(), h = picture.Height();
  return {picture.left + w / 4, picture.top + h / 4, picture.right - w / 4, picture.bottom - h / 4};
}

// The share of the centre with lasting luma edges, counting those of the
// rarer direction twice: lines that last only because the picture slides
// along them (a pan over horizontal lines) are not a still picture.
double StillShare(const EdgeMaps& maps, const Rect& centre) {
  std::int64_t across = 0, down = 0;
  for (int y = centre.top; y < centre.bottom; ++y) {
    for (int x = centre.left; x < centre.right; ++x) {
      const std::uint8_t lasting = maps.lasting[maps.Index(x, y)];
      if ((lasting & kLumaLasting) == 0) continue;
      ++((lasting & kLumaAcross) != 0 ? across : down);
    }
  }
  const std::int64_t area = std::int64_t{centre.right - centre.left} * (centre.bottom - centre.top);
  return area > 0 ? 2.0 * static_cast<double>(std::min(across, down)) / static_cast<double>(area) : 0.0;
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
float NoiseLevel(const EdgeMaps& maps, const Rect& centre) {
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

// Clears rows, then columns, with edges across more than kLineShare of the picture.
void ClearLines(LogoMask& edges, const Rect& picture) {
  const int w = picture.Width(), h = picture.Height();
  for (int y = picture.top; y < picture.bottom; ++y) {
    std::uint8_t* row = edges.Row(y) + picture.left;
    if (std::count(row, row + w, std::uint8_t{1}) > LogoFinder::kLineShare * w) {
      std::fill(row, row + w, std::uint8_t{0});
    }
  }
  for (int x = picture.left; x < picture.right; ++x) {
    int count = 0;
    for (int y = picture.top; y < picture.bottom; ++y) count += edges.At(x, y);
    if (count <= LogoFinder::kLineShare * h) continue;
    for (int y = picture.top; y < picture.bottom; ++y) edges.Set(x, y, false);
  }
}

// Rows from the picture's top and bottom edges inwards: `share` of its height.
bool InBand(const Rect& picture, int y, double share) {
  const int band = static_cast<int>(picture.Height() * share);
  return (y >= picture.top && y < picture.top + band) ||
         (y < picture.bottom && y >= picture.bottom - band);
}

// Lasting, strong edges of the picture (kSideMargin pixels in from its
// sides) within kReach of its top and bottom.
LogoMask LogoEdges(const EdgeMaps& maps, float noise, const Rect& picture) {
  LogoMask edges(maps.width, maps.height);
  const int m = LogoFinder::kSideMargin;
  for (int y = picture.top + m; y + m < picture.bottom; ++y) {
    if (!InBand(picture, y, LogoFinder::kReach)) continue;
    for (int x = picture.left + m; x + m < picture.right; ++x) {
      const std::size_t i = maps.Index(x, y);
      edges.Set(x, y, (maps.lasting[i] & kAnyLasting) != 0 &&
                          maps.strength[i] > LogoFinder::kStrength * noise);
    }
  }
  ClearLines(edges, picture);
  return edges;
}

// A group of edges (a piece of the joined map): its size, its strength and
// what it shows of itself.
struct Group {
  std::int64_t pixels = 0;
  double score = 0;
  bool seeded = false;  // some of its edges lie within kBand
  OverlayEvidence evidence;
};

std::vector<Group> MeasureGroups(const LogoRegions& regions, const LogoMask& edges,
                                 const EdgeMaps& maps, float noise, const Rect& picture,
                                 const LogoStatistics& statistics) {
  std::vector<Group> groups(regions.Regions().size());
  for (int y = 0; y < maps.height; ++y) {
    const bool band = InBand(picture, y, LogoFinder::kBand);
    for (int x = 0; x < maps.width; ++x) {
      if (!edges.At(x, y)) continue;
      Group& group = groups[static_cast<std::size_t>(regions.LabelAt(x, y))];
      ++group.pixels;
      group.score += maps.strength[maps.Index(x, y)] / noise;
      group.seeded = group.seeded || band;
      group.evidence.Add(statistics, x, y);
    }
  }
  return groups;
}

bool LogoSized(const Rect& box, std::int64_t pixels, const EdgeMaps& maps) {
  return box.right - box.left <= LogoFinder::kMaxWidthShare * maps.width &&
         box.bottom - box.top <= LogoFinder::kMaxHeightShare * maps.height &&
         pixels >= LogoFinder::kMinEdgePixels;
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

// The edges of group `label`.
LogoMask EdgesOf(const LogoMask& edges, const LogoRegions& regions, std::int32_t label) {
  LogoMask group(edges.Width(), edges.Height());
  for (int y = 0; y < edges.Height(); ++y) {
    for (int x = 0; x < edges.Width(); ++x) group.Set(x, y, edges.At(x, y) && regions.LabelAt(x, y) == label);
  }
  return group;
}

// The filled overlay of group `label` at the frame's size, grown over its rim.
FoundOverlay Fill(const LogoMask& edges, const LogoRegions& regions, std::int32_t label, int r,
                  double score, const LogoStatistics& statistics) {
  LogoMask logo = EdgesOf(edges, regions, label);
  logo.Close(r);
  logo.FillHoles();
  FoundOverlay overlay;
  overlay.mask = ToFrame(logo, statistics);
  overlay.mask.Dilate(LogoFinder::kGrow);
  overlay.box = overlay.mask.Bounds();
  overlay.score = score;
  return overlay;
}

Rect ToFrameRect(const Rect& rect, const LogoStatistics& statistics) {
  const int s = statistics.Scale();
  const bool last = rect.right == statistics.Width(), bottom = rect.bottom == statistics.Height();
  return {rect.left * s, rect.top * s, last ? statistics.FrameWidth() : rect.right * s,
          bottom ? statistics.FrameHeight() : rect.bottom * s};
}

// How far a box lies from the picture's nearest corner: the larger of its
// distances to the nearer side and to the nearer of top and bottom.
int CornerDistance(const Rect& box, const Rect& picture) {
  const int across = std::min(box.left - picture.left, picture.right - box.right);
  const int down = std::min(box.top - picture.top, picture.bottom - box.bottom);
  return std::max(across, down);
}

// The channel's logo among overlays sorted strongest first: of those at
// least kLogoShare as strong as the strongest, the one nearest a corner of
// the picture (a tag or a clock sits further in, beside the logo).
void PutLogoFirst(std::vector<std::int32_t>& overlays, const std::vector<Group>& groups,
                  const LogoRegions& regions, const Rect& picture) {
  const auto score = [&](std::int32_t label) { return groups[static_cast<std::size_t>(label)].score; };
  const auto distance = [&](std::int32_t label) {
    return CornerDistance(regions.Regions()[static_cast<std::size_t>(label)].box, picture);
  };
  std::size_t logo = 0;
  for (std::size_t i = 1; i < overlays.size(); ++i) {
    if (score(overlays[i]) >= LogoFinder::kLogoShare * score(overlays[0]) &&
        distance(overlays[i]) < distance(overlays[logo])) {
      logo = i;
    }
  }
  std::rotate(overlays.begin(), overlays.begin() + static_cast<std::ptrdiff_t>(logo),
              overlays.begin() + static_cast<std::ptrdiff_t>(logo) + 1);
}

}  // namespace

LogoSearch LogoFinder::Find(const LogoStatistics& statistics) const {
  LogoSearch search;
  search.samples = statistics.Samples();
  if (search.samples < kMinSamples) {
    search.outcome = LogoSearch::Outcome::TooFewSamples;
    return search;
  }
  const EdgeMaps maps = Measure(statistics, lastingTenths_);
  const Rect picture = ActivePicture::Find(statistics);
  search.picture = ToFrameRect(picture, statistics);
  const Rect centre = Centre(picture);
  search.stillShare = StillShare(maps, centre);
  search.movingShare = MovingShare(statistics, centre);
  if (search.movingShare < kMinMovingShare) {
    search.outcome = LogoSearch::Outcome::StillCamera;
    return search;
  }
  // A still camera: its scenery keeps its edges as a logo does.
  const bool stillCamera = search.stillShare > kMaxStillShare;
  const float noise = NoiseLevel(maps, centre);
  const LogoMask edges = LogoEdges(maps, noise, picture);
  // Pieces a few pixels apart are one logo; words run wider than tall, but
  // an overlay a little further off (a clock, a tag) stays apart.
  const int r = std::max(2, maps.height / 80);
  LogoMask joined = edges;
  joined.Dilate(3 * r / 2, r);
  const LogoRegions regions(joined);
  const std::vector<Group> groups = MeasureGroups(regions, edges, maps, noise, picture, statistics);
  std::vector<std::int32_t> overlays, scenery;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const Group& group = groups[i];
    if (!group.seeded || !LogoSized(regions.Regions()[i].box, group.pixels, maps)) continue;
    switch (group.evidence.Judge()) {
      case OverlayEvidence::Kind::Overlay: overlays.push_back(static_cast<std::int32_t>(i)); break;
      case OverlayEvidence::Kind::Unproven: ++search.unproven; break;
      case OverlayEvidence::Kind::Scenery:
        ++search.scenery;
        scenery.push_back(static_cast<std::int32_t>(i));
        break;
      case OverlayEvidence::Kind::Line: break;
    }
  }
  // Before a still camera, an overlay counts only where the clip shows that
  // what passes in front hides the scenery: shapes that held while the
  // picture behind them moved (a window frame) may be the scene's too.
  if (stillCamera && search.scenery == 0) overlays.clear();
  const auto stronger = [&](std::int32_t a, std::int32_t b) {
    return groups[static_cast<std::size_t>(a)].score > groups[static_cast<std::size_t>(b)].score;
  };
  std::stable_sort(overlays.begin(), overlays.end(), stronger);
  if (overlays.size() > kMaxOverlays) overlays.resize(kMaxOverlays);
  PutLogoFirst(overlays, groups, regions, picture);
  std::stable_sort(scenery.begin(), scenery.end(), stronger);
  if (scenery.size() > kMaxOverlays) scenery.resize(kMaxOverlays);
  for (const std::vector<std::int32_t>* kind : {&overlays, &scenery}) {
    for (const std::int32_t label : *kind) search.shapes.push_back(EdgesOf(edges, regions, label));
  }
  if (overlays.empty()) {
    // Shapes that nothing ever changed around may be logos or the scene.
    if (search.unproven > 0 || stillCamera) search.outcome = LogoSearch::Outcome::StillCamera;
    return search;
  }
  for (const std::int32_t label : overlays) {
    search.overlays.push_back(Fill(edges, regions, label, r, groups[static_cast<std::size_t>(label)].score, statistics));
  }
  search.outcome = LogoSearch::Outcome::Found;
  search.mask = search.overlays.front().mask;
  search.box = search.overlays.front().box;
  return search;
}

bool FoundAgain(const LogoSearch& found, const LogoMask& shape, int scale) {
  const Rect& box = found.box;
  const Rect was = shape.Bounds();
  return found.outcome == LogoSearch::Outcome::Found && box.left < was.right * scale &&
         was.left * scale < box.right && box.top < was.bottom * scale &&
         was.top * scale < box.bottom;
}

}  // namespace kestrimo
