// Settings to frames: every field of the channel records takes any value,
// absurd ones included, the frame any format within a bounded size, and a
// few frames run through the frame driver while the settings change between
// them as the settings window would change them (a field, then a rebuild).
// The frame block has exactly its announced size, so the sanitizers catch
// every access outside it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fuzz/FuzzFrames.h"
#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"

namespace kestrimo {
namespace {

// Mostly plausible values, sometimes anything at all.
std::int32_t AnySigned(FuzzedDataProvider& input, std::int32_t low, std::int32_t high) {
  return input.ConsumeBool() ? input.ConsumeIntegral<std::int32_t>()
                             : input.ConsumeIntegralInRange(low, high);
}
std::uint32_t AnyUnsigned(FuzzedDataProvider& input, std::uint32_t high) {
  return input.ConsumeBool() ? input.ConsumeIntegral<std::uint32_t>()
                             : input.ConsumeIntegralInRange<std::uint32_t>(0, high);
}

ChannelSettings AnyRecord(FuzzedDataProvider& input, ChannelId id) {
  ChannelSettings r;
  r.Id = id;
  r.MaskPosX = AnySigned(input, -800, 1600);
  r.MaskPosY = AnySigned(input, -600, 1200);
  r.RectMaskSizeX = AnySigned(input, -10, 900);
  r.RectMaskSizeY = AnySigned(input, -10, 700);
  r.Opacity = AnySigned(input, -10, 110);
  r.InvertMask = AnySigned(input, 0, 1);
  r.ShowMask = AnySigned(input, 0, 1);
  r.ColorKey = input.ConsumeIntegral<std::uint32_t>();
  r.ExpandX = AnySigned(input, -5, 40);
  r.ExpandY = AnySigned(input, -5, 40);
  r.ScreenBlur = AnyUnsigned(input, 12);
  r.EdgeBlur = AnyUnsigned(input, 12);
  r.ProcEnable = input.ConsumeBool() ? 1 : AnySigned(input, -1, 1);
  return r;
}

VideoFormat AnyFormat(FuzzedDataProvider& input) {
  VideoFormat f{};
  f.width = input.ConsumeIntegralInRange<std::int32_t>(-4, 800);
  f.height = input.ConsumeIntegralInRange<std::int32_t>(-4, 600);
  f.frameMode = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::int32_t>(0, 1)
                                    : input.ConsumeIntegral<std::int32_t>();
  f.cpuLevel = input.ConsumeIntegralInRange<std::int32_t>(0, 4);
  return f;
}

// One change as the settings window makes it: a field of the current record,
// then the rebuild under the lock.
void ChangeCurrent(PluginState& state, FuzzedDataProvider& input) {
  ChannelSettings* record = state.CurrentRecord();
  if (record == nullptr) return;
  const ChannelSettings other = AnyRecord(input, record->Id);
  switch (input.ConsumeIntegralInRange(0, 5)) {
    case 0: record->MaskPosX = other.MaskPosX; record->MaskPosY = other.MaskPosY; break;
    case 1: record->RectMaskSizeX = other.RectMaskSizeX; record->RectMaskSizeY = other.RectMaskSizeY; break;
    case 2: record->ExpandX = other.ExpandX; record->ExpandY = other.ExpandY; break;
    case 3: record->EdgeBlur = other.EdgeBlur; break;
    case 4: record->ScreenBlur = other.ScreenBlur; record->ProcEnable = other.ProcEnable; break;
    default: record->ColorKey = other.ColorKey; record->InvertMask = other.InvertMask; break;
  }
  LockHold hold(state.SettingsLock);
  state.Mask.RebuildMask(record->Shape(), state.Geometry, state.FrameWidth, state.FrameHeight);
}

}  // namespace
}  // namespace kestrimo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrimo;
  FuzzedDataProvider input(data, size);
  PluginState state;
  state.DefaultSettings = AnyRecord(input, 0);
  const int channels = input.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < channels; ++i)
    state.ChannelList.push_back(AnyRecord(input, input.ConsumeIntegralInRange<ChannelId>(-2, 4)));

  const int formats = input.ConsumeIntegralInRange(1, 2);
  for (int f = 0; f < formats && input.remaining_bytes() > 0; ++f) {
    const VideoFormat format = AnyFormat(input);
    PluginSetFormat(state, &format);
    fuzzing::HostFrame frame(format.width, format.height, format.frameMode, f);
    const int frames = input.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < frames; ++i) {
      ProcessFrame(state, frame.Info(input.ConsumeIntegralInRange<ChannelId>(-2, 4)));
      if (input.ConsumeBool()) ChangeCurrent(state, input);
    }
  }
  return 0;
}
