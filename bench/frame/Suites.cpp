#include "bench/frame/Suites.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "bench/frame/BareCopy.h"
#include "bench/frame/CacheControl.h"
#include "bench/frame/LogoOverlay.h"
#include "bench/frame/PeerRuns.h"
#include "bench/frame/Pictures.h"

namespace kestrimo::bench {
namespace {

constexpr const char* kTimingPicture = "astronaut.png";

bool Fail(const std::string& message) {
  std::fprintf(stderr, "kestrimo_frame_bench: %s\n", message.c_str());
  return false;
}

RgbPicture LoadTimingPicture(const std::string& folder, int width, int height) {
  RgbPicture picture;
  std::string error;
  if (LoadPicture(folder + "/" + kTimingPicture, picture, error)) {
    return CoverAndCrop(picture, width, height);
  }
  // Without the photograph, a smooth gradient does: the timing hardly depends on content.
  std::fprintf(stderr, "%s; timing on a gradient\n", error.c_str());
  picture = RgbPicture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  for (std::size_t i = 0; i < picture.rgb.size(); ++i)
    picture.rgb[i] = static_cast<std::uint8_t>((i / 3 % width + i / 3 / width + i % 3 * 40) & 0xFF);
  return picture;
}

struct BlurSetting {
  int edgeBlur = 0;
  int screenBlur = 0;
};

// Ours with each blur setting, the bare copy, delogo and an empty graph, timed
// in interleaved rounds; then the two slow peers, each alone.
bool TimeCase(BenchRun& run, const std::string& suite, const FrameCase& c,
              const PackedFrame& frame, const std::vector<BlurSetting>& settings) {
  PackedFrame copyFrame = frame;
  BareCopy copy;
  copy.Prepare(copyFrame, c.area);
  std::vector<TimedCall> calls = {{[&] { copy.Run(copyFrame); }, {}}};
  std::vector<SpeedRow> rows = {{suite, c.label, c.area, "copy", 0, 0, {}}};

  std::vector<std::unique_ptr<PeerRun>> peers;
  for (Peer peer : {Peer::Delogo, Peer::Passthrough, Peer::Removelogo, Peer::Inpaint}) {
    peers.push_back(std::make_unique<PeerRun>(run.outFolder));
    if (!peers.back()->Prepare(peer, frame, c.area) || !peers.back()->RunOnce()) {
      return Fail(std::string(Name(peer)) + " on " + c.label + ": " + peers.back()->Error());
    }
  }
  for (int i = 0; i < 2; ++i) {
    PeerRun* peer = peers[i].get();
    calls.push_back({[peer] { peer->RunOnce(); }, {}});
    rows.push_back({suite, c.label, c.area, Name(i == 0 ? Peer::Delogo : Peer::Passthrough), 0, 0, {}});
  }

  std::vector<PackedFrame> oursFrames(settings.size(), frame);
  for (std::size_t i = 0; i < settings.size(); ++i) {
    const std::int64_t channel = run.plan.Channel(c, settings[i].edgeBlur, settings[i].screenBlur);
    PackedFrame* work = &oursFrames[i];
    if (run.plugin.Process(*work, channel) != 1) return Fail("the plug-in refused a frame of " + c.label);
    // Untimed first frame of each round: the switch to the channel rebuilds the mask.
    const Call call = [&run, work, channel] { run.plugin.Process(*work, channel); };
    calls.push_back({call, call});
    rows.push_back({suite, c.label, c.area, "ours", settings[i].edgeBlur, settings[i].screenBlur, {}});
  }

  const std::vector<Timing> timings = MeasureInterleaved(calls, run.limits);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i].timing = timings[i];
    run.report.Add(rows[i]);
  }
  for (int i = 2; i < 4; ++i) {
    PeerRun* peer = peers[i].get();
    const Timing timing = Measure([peer] { peer->RunOnce(); }, run.limits);
    run.report.Add({suite, c.label, c.area, Name(i == 2 ? Peer::Removelogo : Peer::Inpaint), 0, 0, timing});
  }
  return true;
}

void AddQuality(BenchRun& run, const FrameCase& c, const std::string& picture,
                const std::string& method, const std::vector<std::uint8_t>& clean,
                const std::vector<std::uint8_t>& result) {
  run.report.Add(QualityRow{c.label, picture, method, Psnr(clean, result, c.width, Interior(c.area))});
}

bool QualityOfOurs(BenchRun& run, const FrameCase& c, const NamedPicture& picture,
                   const PackedFrame& logoed, const std::vector<std::uint8_t>& clean) {
  const int settings[][2] = {{0, 0}, {5, 3}};
  for (const auto& [edgeBlur, screenBlur] : settings) {
    PackedFrame work = logoed;
    run.plugin.Process(work, run.plan.Channel(c, edgeBlur, screenBlur));
    const Area changed = ChangedLumaBox(logoed, work);
    const Area rebuilt = Interior(c.area);
    if (edgeBlur == 0 && changed.width > 0 &&
        (changed.x < rebuilt.x || changed.y < rebuilt.y ||
         changed.x + changed.width > rebuilt.x + rebuilt.width ||
         changed.y + changed.height > rebuilt.y + rebuilt.height)) {
      std::fprintf(stderr, "note: ours changed the luma of %s, outside the rebuilt pixels %s (%s)\n",
                   Describe(changed).c_str(), Describe(rebuilt).c_str(), picture.name.c_str());
    }
    const std::string method = "ours EB" + std::to_string(edgeBlur) + " SB" + std::to_string(screenBlur);
    AddQuality(run, c, picture.name, method, clean, LumaOf(work));
  }
  return true;
}

bool QualityOfPeers(BenchRun& run, const FrameCase& c, const NamedPicture& picture,
                    const PackedFrame& logoed, const std::vector<std::uint8_t>& clean) {
  for (Peer peer : kPeers) {
    PeerRun peerRun(run.outFolder);
    if (!peerRun.Prepare(peer, logoed, c.area) || !peerRun.RunOnce()) {
      return Fail(std::string(Name(peer)) + " on " + picture.name + ": " + peerRun.Error());
    }
    AddQuality(run, c, picture.name, Name(peer), clean, peerRun.ResultLuma());
  }
  return true;
}

// A live host hands over a new frame each time: distinct frames in rotation,
// more of them than the last-level cache holds. Each is measured call by call
// in two states: "fresh", the frame out of the caches (as a capture card's
// frame, or one decoded long ago, arrives) and the rest as the previous call
// left it; "cold", everything out of the caches after a pass over twice the
// last-level cache between calls, as a busy host may leave them. The rotation
// alone would not do: a call touches only the area's lines, and those of a
// few dozen frames fit in a core's second-level cache.
constexpr std::size_t kRotationBytes = std::size_t{40} << 20;
constexpr int kMinRotation = 8;

int RotationLength(const PackedFrame& frame) {
  const std::size_t bytes = std::max<std::size_t>(frame.bytes.size(), 1);
  return std::max(kMinRotation, static_cast<int>((kRotationBytes + bytes - 1) / bytes));
}

// The frames of one rotation and the turn of the next call.
struct FrameRotation {
  std::vector<PackedFrame> frames;
  std::size_t next = 0;

  FrameRotation(const PackedFrame& frame, int length) : frames(length, frame) {}
  PackedFrame& Next() {
    PackedFrame& frame = frames[next];
    next = (next + 1) % frames.size();
    return frame;
  }
  void FlushNext() const { FlushFromCache(frames[next].bytes.data(), frames[next].bytes.size()); }
};

enum class CacheState { Hot, Fresh, Cold };
constexpr CacheState kCacheStates[] = {CacheState::Hot, CacheState::Fresh, CacheState::Cold};
const char* SuiteOf(CacheState state) {
  return state == CacheState::Hot ? "hot" : state == CacheState::Fresh ? "fresh" : "cold";
}

// Ours (no blur), the bare copy, delogo and the empty graph in each cache
// state: "hot" on one frame over and over, timed in batches; "fresh" and
// "cold" on a rotation, call by call.
bool TimeLiveCase(BenchRun& run, const FrameCase& c, const PackedFrame& frame) {
  const int length = RotationLength(frame);
  CacheEviction evict;
  const std::int64_t channel = run.plan.Channel(c, 0, 0);
  BareCopy copy;
  copy.Prepare(frame, c.area);
  PackedFrame oursHot = frame, copyHot = frame;
  FrameRotation oursRotation(frame, length), copyRotation(frame, length);
  std::vector<std::unique_ptr<PeerRun>> peers;  // delogo, graph: one frame, then a rotation
  for (Peer peer : {Peer::Delogo, Peer::Passthrough}) {
    for (int copies : {1, length}) {
      peers.push_back(std::make_unique<PeerRun>(run.outFolder));
      PeerRun* p = peers.back().get();
      if (!p->Prepare(peer, frame, c.area, copies) || !p->RunOnce())
        return Fail(std::string(Name(peer)) + " on " + c.label + ": " + p->Error());
    }
  }
  if (run.plugin.Process(oursHot, channel) != 1) return Fail("the plug-in refused a frame of " + c.label);
  // Untimed first frame of each round: the switch to the channel rebuilds the mask.
  const Call switchChannel = [&] { run.plugin.Process(oursHot, channel); };

  for (const CacheState state : kCacheStates) {
    const bool hot = state == CacheState::Hot;
    std::vector<TimedCall> calls;
    std::vector<SpeedRow> rows;
    const auto add = [&](const char* method, Call call, Call beforeRound, Call flushNext) {
      Call before = {};
      if (state == CacheState::Fresh) before = std::move(flushNext);
      if (state == CacheState::Cold) before = [&evict] { evict(); };
      calls.push_back({std::move(call), std::move(beforeRound), std::move(before)});
      rows.push_back({SuiteOf(state), c.label, c.area, method, 0, 0, {}, hot ? 1 : length});
    };
    if (hot) add("copy", [&] { copy.Run(copyHot); }, {}, {});
    else add("copy", [&] { copy.Run(copyRotation.Next()); }, {}, [&] { copyRotation.FlushNext(); });
    for (std::size_t i = 0; i < peers.size(); i += 2) {
      PeerRun* p = peers[i + (hot ? 0 : 1)].get();
      add(Name(i == 0 ? Peer::Delogo : Peer::Passthrough), [p] { p->RunOnce(); }, {},
          [p] { p->FlushNextFrame(); });
    }
    if (hot) add("ours", switchChannel, switchChannel, {});
    else add("ours", [&] { run.plugin.Process(oursRotation.Next(), channel); }, switchChannel,
             [&] { oursRotation.FlushNext(); });
    const std::vector<Timing> timings =
        hot ? MeasureInterleaved(calls, run.limits) : MeasureCallByCall(calls, run.limits);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      rows[i].timing = timings[i];
      run.report.Add(rows[i]);
    }
  }
  return true;
}

}  // namespace

PackedFrame TimingFrame(BenchRun& run, const FrameCase& c) {
  const auto size = std::make_pair(c.width, c.height);
  auto found = run.timingPictures.find(size);
  if (found == run.timingPictures.end()) {
    found = run.timingPictures.emplace(size, LoadTimingPicture(run.picturesFolder, c.width, c.height)).first;
  }
  PackedFrame frame = c.mode == FrameMode::Yuy2 ? ToYuy2(found->second) : ToBgr24(found->second);
  OverlayLogo(frame, Interior(c.area));
  return frame;
}

bool RunFrameSuite(BenchRun& run) {
  std::vector<BlurSetting> settings;
  for (int edgeBlur : kEdgeBlurs)
    for (int screenBlur : kScreenBlurs) settings.push_back({edgeBlur, screenBlur});
  for (const FrameCase& c : run.plan.FrameCases())
    if (!TimeCase(run, "frame", c, TimingFrame(run, c), settings)) return false;
  return true;
}

bool RunLiveSuite(BenchRun& run) {
  for (const FrameCase& c : run.plan.FrameCases())
    if (!TimeLiveCase(run, c, TimingFrame(run, c))) return false;
  return true;
}

bool RunSweepSuite(BenchRun& run) {
  for (const FrameCase& c : run.plan.SweepCases())
    if (!TimeCase(run, "sweep", c, TimingFrame(run, c), {{0, 0}})) return false;
  return true;
}

bool RunQualitySuite(BenchRun& run) {
  for (const FrameCase& c : run.plan.QualityCases()) {
    for (const NamedPicture& picture : QualityPictures(run.picturesFolder, c.width, c.height)) {
      const PackedFrame clean = ToYuy2(picture.picture);
      PackedFrame logoed = clean;
      OverlayLogo(logoed, Interior(c.area));
      const std::vector<std::uint8_t> cleanLuma = LumaOf(clean);
      AddQuality(run, c, picture.name, "logo left", cleanLuma, LumaOf(logoed));
      if (!QualityOfOurs(run, c, picture, logoed, cleanLuma) ||
          !QualityOfPeers(run, c, picture, logoed, cleanLuma))
        return false;
    }
  }
  return true;
}

}  // namespace kestrimo::bench
