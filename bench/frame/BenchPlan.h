// What one run measures: the fixed frame cases with every blur setting, the
// sweep of logo areas, and the quality pictures; and the plug-in channel that
// carries each setting.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bench/frame/Frames.h"
#include "bench/frame/LogoArea.h"
#include "bench/frame/PluginUnderTest.h"

namespace kestrimo::bench {

struct FrameCase {
  std::string label;  // "720x576 YUY2"
  int width = 0;
  int height = 0;
  FrameMode mode = FrameMode::Yuy2;
  RasterMask mask;
  Area area;  // where the plug-in puts `mask` on this frame
};

constexpr int kEdgeBlurs[] = {0, 5, 10};
constexpr int kScreenBlurs[] = {0, 3, 10};

class BenchPlan {
 public:
  BenchPlan();

  const std::vector<FrameCase>& FrameCases() const { return frameCases_; }
  const std::vector<FrameCase>& SweepCases() const { return sweepCases_; }
  // The fixed cases the quality runs use (the YUY2 ones).
  std::vector<FrameCase> QualityCases() const;

  // Gives every (case, EdgeBlur, ScreenBlur) a channel of the plug-in.
  void RegisterChannels(PluginUnderTest& plugin);
  std::int64_t Channel(const FrameCase& c, int edgeBlur, int screenBlur) const;

 private:
  std::vector<FrameCase> frameCases_;
  std::vector<FrameCase> sweepCases_;
  using ChannelKey = std::tuple<std::string, int, int, int, int, int, int>;
  static ChannelKey KeyOf(const FrameCase& c, int edgeBlur, int screenBlur);
  std::map<ChannelKey, std::int64_t> channels_;
};

// A frame case whose area is `wanted` as nearly as the reference raster allows.
FrameCase MakeCase(int width, int height, FrameMode mode, const Area& wanted);

}  // namespace kestrimo::bench
