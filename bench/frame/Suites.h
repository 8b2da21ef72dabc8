// The three parts of a run, sharing the plug-in, the plan and the report.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "bench/frame/BenchPlan.h"
#include "bench/frame/Frames.h"
#include "bench/frame/PluginUnderTest.h"
#include "bench/frame/Report.h"
#include "bench/frame/Sampler.h"

namespace kestrimo::bench {

struct BenchRun {
  BenchPlan plan;
  PluginUnderTest plugin;
  Report report;
  std::string outFolder;
  std::string picturesFolder;
  SamplerLimits limits;
  std::map<std::pair<int, int>, RgbPicture> timingPictures;  // by frame size
};

// The timing frame of a case: a photograph with the logo on it.
PackedFrame TimingFrame(BenchRun& run, const FrameCase& c);

// Ours with every blur setting, the peers and the bare copy, on the fixed cases.
bool RunFrameSuite(BenchRun& run);
// Ours without blur, delogo, the empty graph and the bare copy on one frame
// over and over and on a rotation of distinct frames, as a live host hands
// them over.
bool RunLiveSuite(BenchRun& run);
// Ours, the peers and the bare copy against the logo area.
bool RunSweepSuite(BenchRun& run);
// PSNR of the rebuilt pixels for ours and the peers on logo-covered pictures.
bool RunQualitySuite(BenchRun& run);

}  // namespace kestrimo::bench
