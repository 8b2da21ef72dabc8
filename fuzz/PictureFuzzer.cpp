// The native picture decoder path: the input's front is a picture file, its
// last bytes choose the mask settings and the frame format. The picture goes
// through LoadMaskPicture and RebuildMask by the frame driver's channel
// change, and one frame through the removal chain. A loaded picture must be
// opaque everywhere (the mask compares whole pixels), and a picture that is
// not loaded must leave the channel without a file name.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzFrames.h"
#include "fuzz/FuzzScratch.h"
#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"

namespace kestrimo {
namespace {

struct Choices {
  ChannelSettings record;
  VideoFormat format{};
  bool framedName = false;
};

// Consumed from the input's end, so the front stays a valid picture file.
Choices Choose(FuzzedDataProvider& input) {
  Choices c;
  c.record = TableDefaults();
  c.record.ProcEnable = 1;
  c.record.EdgeBlur = input.ConsumeIntegralInRange<std::uint32_t>(0, 12);
  c.record.ExpandX = input.ConsumeIntegralInRange<std::int32_t>(-1, 40);
  c.record.ExpandY = input.ConsumeIntegralInRange<std::int32_t>(-1, 40);
  c.record.InvertMask = input.ConsumeBool() ? 1 : 0;
  if (input.ConsumeBool()) c.record.ColorKey = input.ConsumeIntegral<std::uint32_t>();
  c.record.MaskPosX = input.ConsumeIntegralInRange<std::int32_t>(-100, 900);
  c.record.MaskPosY = input.ConsumeIntegralInRange<std::int32_t>(-100, 700);
  c.record.ScreenBlur = input.ConsumeIntegralInRange<std::uint32_t>(0, 10);
  c.format.width = input.ConsumeIntegralInRange<std::int32_t>(0, 800);
  c.format.height = input.ConsumeIntegralInRange<std::int32_t>(0, 600);
  c.format.frameMode = input.ConsumeBool() ? 1 : 0;
  c.format.cpuLevel = 3;
  c.framedName = input.ConsumeBool();
  return c;
}

void CheckPicture(const MaskRebuild& mask, const ChannelSettings& record) {
  if (mask.MaskLoaded == 0) {
    // A picture that cannot be read is forgotten (memory never runs short here).
    if (!record.MaskFileName.empty() && !mask.MaskPicture.LoadRanOutOfMemory()) std::abort();
    return;
  }
  const DibImage& picture = mask.MaskPicture;
  if (picture.pixels == nullptr || picture.rect.Width() <= 0 || picture.rect.Height() <= 0)
    std::abort();
  for (std::int32_t y = 0; y < picture.rect.Height(); ++y)
    for (std::int32_t x = 0; x < picture.rect.Width(); ++x)
      if ((picture.GetPixelColor(x, y) >> 24) != 0xFF) std::abort();
}

}  // namespace
}  // namespace kestrimo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrimo;
  FuzzedDataProvider input(data, size);
  Choices c = Choose(input);
  const std::vector<std::uint8_t> picture = input.ConsumeRemainingBytes<std::uint8_t>();
  c.record.MaskFileName = fuzzing::WriteScratchFile(c.framedName ? "logo.GIF" : "logo.bmp",
                                                    picture.data(), picture.size());

  PluginState state;
  state.DefaultSettings = c.record;
  PluginSetFormat(state, &c.format);
  fuzzing::HostFrame frame(c.format.width, c.format.height, c.format.frameMode, 7);
  ProcessFrame(state, frame.Info(1));
  if (const ChannelSettings* record = state.CurrentRecord()) CheckPicture(state.Mask, *record);
  return 0;
}
