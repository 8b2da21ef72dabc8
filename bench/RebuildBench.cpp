// Latency of the mask rebuild as the user meets it: the work a channel switch
// triggers on the frame side (select the record, load its picture, rebuild),
// and the rebuild after one nudge of the position in the settings window.
// Frame sizes 720x576 and 1920x1080, edge blur 0 and 10, a plain rectangle
// (300x150 pixels at 1920x1080) or a 200x80 mask picture. Times in µs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench/TempFile.h"
#include "plugin/EntryPoints.h"
#include "engine/PluginState.h"

namespace kestrimo {
namespace {

constexpr std::uint32_t kKeyColour = 0x00FF8000;  // the default key: B 0xFF, G 0x80, R 0
constexpr ChannelId kChannelA = 101;
constexpr ChannelId kChannelB = 102;

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A 24-bit bottom-up Windows bitmap of a logo: a key-coloured ring and bar on
// a plain background, so the mask has curved and straight edges to grow.
std::string LogoBitmap(std::int32_t width, std::int32_t height) {
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);
  std::string out = "BM";
  PutLittleEndian(out, 54 + imageBytes, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 54, 4);
  for (std::uint32_t v : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
    PutLittleEndian(out, v, 4);
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 24, 2);
  for (int i = 0; i < 6; ++i) PutLittleEndian(out, 0, 4);
  const std::int32_t cx = height / 2, cy = height / 2, outer = height / 2 - 4, inner = outer - 12;
  for (std::int32_t row = height - 1; row >= 0; --row) {  // bottom row first
    std::string line;
    for (std::int32_t x = 0; x < width; ++x) {
      const std::int32_t d2 = (x - cx) * (x - cx) + (row - cy) * (row - cy);
      const bool ring = d2 <= outer * outer && d2 >= inner * inner;
      const bool bar = x >= height && x < width - 8 && row >= height / 3 && row < 2 * height / 3;
      const std::uint32_t bgr = ring || bar ? 0xFF8000u : 0x406080u;  // B, G, R from the top
      line.push_back(static_cast<char>((bgr >> 16) & 0xFF));
      line.push_back(static_cast<char>((bgr >> 8) & 0xFF));
      line.push_back(static_cast<char>(bgr & 0xFF));
    }
    line.resize(rowBytes, '\0');
    out += line;
  }
  return out;
}

// The picture, written once for the whole run and removed at exit.
const TempFile& Logo() {
  static const TempFile file("kestrimo-rebuild-bench", LogoBitmap(200, 80));
  return file;
}

struct Case {
  std::int32_t width;
  std::int32_t height;
  std::uint32_t edgeBlur;
  bool picture;
};

// Two channels with the same settings: switching between them rebuilds the
// same mask every time, with the buffers already at their size.
ChannelSettings SettingsFor(const Case& c) {
  ChannelSettings s = TableDefaults();
  s.RectMaskSizeX = 120;  // 300 x 150 pixels at 1920 x 1080
  s.RectMaskSizeY = 80;
  s.MaskPosX = 110;
  s.MaskPosY = 95;
  s.EdgeBlur = c.edgeBlur;
  s.ColorKey = kKeyColour;
  s.ProcEnable = 1;
  s.ShowMask = 0;
  if (c.picture) s.MaskFileName = Logo().Name();
  return s;
}

void Prepare(PluginState& state, const Case& c) {
  PluginInit(state, nullptr);
  VideoFormat format{c.width, c.height, 0, 0, 3};
  PluginSetFormat(state, &format);
  state.ChannelList.clear();
  for (ChannelId id : {kChannelA, kChannelB}) {
    ChannelSettings s = SettingsFor(c);
    s.Id = id;
    state.ChannelList.push_back(s);
  }
}

// What the frame driver does when a frame of another channel arrives, less
// the refresh message to a settings window that does not exist here.
void SwitchTo(PluginState& state, ChannelId id) {
  state.LastChannelId = id;
  state.SelectChannel(id);
  ChannelSettings* record = state.CurrentRecord();
  state.Mask.LoadMaskPicture(record->MaskFileName);
  state.Mask.RebuildMask(record->Shape(), state.Geometry, state.FrameWidth, state.FrameHeight);
}

void Switch(benchmark::State& bench, Case c) {
  PluginState state;
  Prepare(state, c);
  SwitchTo(state, kChannelA);
  bool toB = true;
  for (auto _ : bench) {
    SwitchTo(state, toB ? kChannelB : kChannelA);
    toB = !toB;
    benchmark::DoNotOptimize(state.Mask.FrameMask.pixels);
  }
  if (c.picture && state.Mask.MaskLoaded == 0) bench.SkipWithError("picture not loaded");
}

// The settings window's nudge: MaskPosX one unit on, rebuild (no picture
// load). Alternates +1 and -1 so every step is the same size.
void Nudge(benchmark::State& bench, Case c) {
  PluginState state;
  Prepare(state, c);
  SwitchTo(state, kChannelA);
  ChannelSettings& record = *state.CurrentRecord();
  std::int32_t step = 1;
  for (auto _ : bench) {
    record.MaskPosX += step;
    step = -step;
    state.Mask.RebuildMask(record.Shape(), state.Geometry, state.FrameWidth, state.FrameHeight);
    benchmark::DoNotOptimize(state.Mask.FrameMask.pixels);
  }
  if (c.picture && state.Mask.MaskLoaded == 0) bench.SkipWithError("picture not loaded");
}

const bool registered = [] {
  for (const char* kind : {"switch", "nudge"}) {
    for (Size frame : {Size{720, 576}, Size{1920, 1080}}) {
      for (std::uint32_t edge : {0u, 10u}) {
        for (bool picture : {false, true}) {
          const Case c{frame.width, frame.height, edge, picture};
          const std::string name = std::string("Rebuild/") + kind + "/" +
                                   std::to_string(frame.width) + "x" +
                                   std::to_string(frame.height) + "/edge" +
                                   std::to_string(edge) + (picture ? "/picture" : "/rect");
          auto* bench = std::string(kind) == "switch"
                            ? benchmark::RegisterBenchmark(name.c_str(), Switch, c)
                            : benchmark::RegisterBenchmark(name.c_str(), Nudge, c);
          bench->Unit(benchmark::kMicrosecond);
        }
      }
    }
  }
  return true;
}();

}  // namespace
}  // namespace kestrimo
