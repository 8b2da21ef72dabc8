#include "bench/frame/BenchPlan.h"

namespace kestrimo::bench {
namespace {

std::string Label(int width, int height, FrameMode mode) {
  return std::to_string(width) + "x" + std::to_string(height) + " " + Name(mode);
}

FrameCase CaseOfMask(int width, int height, FrameMode mode, const RasterMask& mask) {
  return FrameCase{Label(width, height, mode), width, height, mode, mask,
                   AreaOfMask(mask, width, height)};
}

constexpr RasterMask kDefaultMask{110, 95, 100, 70};  // the plug-in's defaults
constexpr int kSweepSizes[][2] = {{50, 25},   {100, 50},  {150, 75},
                                  {200, 100}, {300, 150}, {400, 200}};

}  // namespace

FrameCase MakeCase(int width, int height, FrameMode mode, const Area& wanted) {
  return CaseOfMask(width, height, mode, MaskForArea(wanted, width, height));
}

BenchPlan::BenchPlan() {
  frameCases_.push_back(CaseOfMask(720, 576, FrameMode::Yuy2, kDefaultMask));
  frameCases_.push_back(CaseOfMask(720, 576, FrameMode::Bgr24, kDefaultMask));
  frameCases_.push_back(MakeCase(1920, 1080, FrameMode::Yuy2, Area{60, 60, 300, 150}));
  for (const auto& size : kSweepSizes) {
    sweepCases_.push_back(MakeCase(720, 576, FrameMode::Yuy2, Area{40, 40, size[0], size[1]}));
  }
  for (const auto& size : kSweepSizes) {
    sweepCases_.push_back(MakeCase(1920, 1080, FrameMode::Yuy2, Area{60, 60, size[0], size[1]}));
  }
}

std::vector<FrameCase> BenchPlan::QualityCases() const {
  std::vector<FrameCase> cases;
  for (const FrameCase& c : frameCases_)
    if (c.mode == FrameMode::Yuy2) cases.push_back(c);
  return cases;
}

BenchPlan::ChannelKey BenchPlan::KeyOf(const FrameCase& c, int edgeBlur, int screenBlur) {
  return {c.label, c.mask.posX, c.mask.posY, c.mask.sizeX, c.mask.sizeY, edgeBlur, screenBlur};
}

void BenchPlan::RegisterChannels(PluginUnderTest& plugin) {
  auto add = [&](const FrameCase& c, int edgeBlur, int screenBlur) {
    const ChannelKey key = KeyOf(c, edgeBlur, screenBlur);
    if (channels_.count(key) == 0) channels_[key] = plugin.AddChannel({c.mask, edgeBlur, screenBlur});
  };
  for (const FrameCase& c : frameCases_)
    for (int edgeBlur : kEdgeBlurs)
      for (int screenBlur : kScreenBlurs) add(c, edgeBlur, screenBlur);
  for (const FrameCase& c : sweepCases_) add(c, 0, 0);
}

std::int64_t BenchPlan::Channel(const FrameCase& c, int edgeBlur, int screenBlur) const {
  const auto found = channels_.find(KeyOf(c, edgeBlur, screenBlur));
  return found == channels_.end() ? 0 : found->second;
}

}  // namespace kestrimo::bench
