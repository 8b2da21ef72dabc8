// Settings to frames: every field of the channel records takes any value,
// absurd ones included, the frame any format within a bounded size, and a
// few frames run through the frame driver while the settings change between
// them as the settings window would change them (a field, then a rebuild).
// The records name logo model files made from the input (valid ones at odd
// sizes and extreme opacities, and hostile ones), so the subtraction runs
// over areas partly or wholly off the frame. The frame block has exactly its
// announced size, so the sanitizers catch every access outside it, and a
// frame whose area lies wholly outside it must come out unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzFrames.h"
#include "fuzz/FuzzModels.h"
#include "fuzz/FuzzScratch.h"
#include "mask/LogoModelPicture.h"
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

// With KESTRIMO_FUZZ_TRACE set, each step of a run goes to stderr, so that a
// reproducer can be told in settings terms.
bool Tracing() {
  static const bool on = std::getenv("KESTRIMO_FUZZ_TRACE") != nullptr;
  return on;
}

void TraceModel(int i, const std::string& bytes) {
  LogoModelPicture model;
  if (!DecodeModelBitmap(bytes, model)) {
    std::fprintf(stderr, "model%d.bmp: %zu bytes, refused\n", i, bytes.size());
    return;
  }
  std::uint32_t low = 255, high = 0;
  for (const std::uint32_t p : model.pixels) {
    low = std::min(low, p >> 24);
    high = std::max(high, p >> 24);
  }
  std::fprintf(stderr, "model%d.bmp: %d x %d, opacity %u..%u\n", i, model.width, model.height,
               low, high);
}

void Trace(const char* what, const ChannelSettings& r) {
  if (!Tracing()) return;
  std::fprintf(stderr,
               "%s [%lld] MaskPosX=%d MaskPosY=%d RectMaskSizeX=%d RectMaskSizeY=%d "
               "ExpandX=%d ExpandY=%d EdgeBlur=%u ScreenBlur=%u InvertMask=%d ColorKey=%08x "
               "ProcEnable=%d MaskFileName=%s LogoModelFile=%s LogoPresenceCheck=%d "
               "LogoSeeThrough=%d\n",
               what, static_cast<long long>(r.Id), r.MaskPosX, r.MaskPosY, r.RectMaskSizeX,
               r.RectMaskSizeY, r.ExpandX, r.ExpandY, r.EdgeBlur, r.ScreenBlur, r.InvertMask,
               r.ColorKey, r.ProcEnable, r.MaskFileName.c_str(), r.LogoModelFile.c_str(),
               r.LogoPresenceCheck, r.LogoSeeThrough);
}

// The model files of one input, written to the scratch folder before the
// first frame, and a name that no file has.
struct ModelFiles {
  std::vector<std::string> names;
  std::string missing = fuzzing::ScratchFolder() + "no-such-model.bmp";
};

ModelFiles WriteModels(FuzzedDataProvider& input) {
  ModelFiles files;
  const int count = input.ConsumeIntegralInRange(0, 2);
  for (int i = 0; i < count; ++i) {
    const std::string bytes = fuzzing::AnyModelFile(input);
    if (Tracing()) TraceModel(i, bytes);
    files.names.push_back(fuzzing::WriteScratchFile(
        "model" + std::to_string(i) + ".bmp", reinterpret_cast<const std::uint8_t*>(bytes.data()),
        bytes.size()));
  }
  return files;
}

// A record's model: none, one of the files, or a name that does not exist;
// the mask picture sometimes the model file itself (a 32-bit bitmap), so
// that the model spans a picture rather than the rectangle.
void ChooseFiles(FuzzedDataProvider& input, const ModelFiles& files, ChannelSettings& r) {
  const std::size_t pick = input.ConsumeIntegralInRange<std::size_t>(0, files.names.size() + 1);
  if (pick == 0) return;
  r.LogoModelFile = pick <= files.names.size() ? files.names[pick - 1] : files.missing;
  if (input.ConsumeIntegralInRange(0, 3) == 0) r.MaskFileName = r.LogoModelFile;
}

ChannelSettings AnyRecord(FuzzedDataProvider& input, ChannelId id, const ModelFiles& files) {
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
  ChooseFiles(input, files, r);
  r.LogoPresenceCheck = input.ConsumeBool() ? 1 : 0;
  r.LogoSeeThrough = input.ConsumeBool() ? 1 : 0;
  Trace("record", r);
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
// or its pictures (then loaded), then the rebuild under the lock.
void ChangeCurrent(PluginState& state, FuzzedDataProvider& input, const ModelFiles& files) {
  LockHold hold(state.SettingsLock);
  ChannelSettings* record = state.CurrentRecord();
  if (record == nullptr) return;
  const ChannelSettings other = AnyRecord(input, record->Id, files);
  switch (input.ConsumeIntegralInRange(0, 6)) {
    case 0: record->MaskPosX = other.MaskPosX; record->MaskPosY = other.MaskPosY; break;
    case 1: record->RectMaskSizeX = other.RectMaskSizeX; record->RectMaskSizeY = other.RectMaskSizeY; break;
    case 2: record->ExpandX = other.ExpandX; record->ExpandY = other.ExpandY; break;
    case 3: record->EdgeBlur = other.EdgeBlur; break;
    case 4: record->ScreenBlur = other.ScreenBlur; record->ProcEnable = other.ProcEnable; break;
    case 5: record->ColorKey = other.ColorKey; record->InvertMask = other.InvertMask; break;
    default:
      record->MaskFileName = other.MaskFileName;
      record->LogoModelFile = other.LogoModelFile;
      state.Mask.LoadPictures(record->MaskFileName, record->LogoModelFile);
  }
  Trace("edit", *record);
  state.Mask.RebuildMask(record->Shape(), state.Geometry, state.FrameWidth, state.FrameHeight);
}

// True when the area of the last rebuild has no pixel in the frame.
bool AreaOffFrame(const PluginState& state) {
  const MaskRebuild& mask = state.Mask;
  const std::int64_t left = mask.MaskOrigin.x, top = mask.MaskOrigin.y;
  const std::int64_t right = left + mask.FrameMask.rect.Width();
  const std::int64_t bottom = top + mask.FrameMask.rect.Height();
  return right <= 0 || bottom <= 0 || left >= state.FrameWidth || top >= state.FrameHeight ||
         right <= left || bottom <= top;
}

// One frame through the driver; a frame whose area lies wholly outside it
// must come out as it went in.
void RunFrame(PluginState& state, fuzzing::HostFrame& frame, ChannelId channel) {
  if (Tracing()) std::fprintf(stderr, "frame of channel %lld\n", static_cast<long long>(channel));
  const std::vector<std::uint8_t> before(frame.data(), frame.data() + frame.size());
  ProcessFrame(state, frame.Info(channel));
  if (Tracing()) {
    const MaskRebuild& m = state.Mask;
    std::fprintf(stderr, "  area at %d, %d size %d x %d, visible %d %d %d %d, subtraction %s\n",
                 m.MaskOrigin.x, m.MaskOrigin.y, m.FrameMask.rect.Width(),
                 m.FrameMask.rect.Height(), m.VisibleRect.left, m.VisibleRect.top,
                 m.VisibleRect.right, m.VisibleRect.bottom, m.Removal.Active() ? "on" : "off");
  }
  if (AreaOffFrame(state) && !std::equal(before.begin(), before.end(), frame.data())) {
    std::fprintf(stderr, "a frame changed although its area lies wholly outside it\n");
    std::abort();
  }
}

}  // namespace
}  // namespace kestrimo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrimo;
  FuzzedDataProvider input(data, size);
  const ModelFiles files = WriteModels(input);
  PluginState state;
  state.DefaultSettings = AnyRecord(input, 0, files);
  const int channels = input.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < channels; ++i)
    state.ChannelList.push_back(
        AnyRecord(input, input.ConsumeIntegralInRange<ChannelId>(-2, 4), files));

  const int formats = input.ConsumeIntegralInRange(1, 2);
  for (int f = 0; f < formats && input.remaining_bytes() > 0; ++f) {
    const VideoFormat format = AnyFormat(input);
    if (Tracing())
      std::fprintf(stderr, "format %d x %d mode %d level %d\n", format.width, format.height,
                   format.frameMode, format.cpuLevel);
    PluginSetFormat(state, &format);
    fuzzing::HostFrame frame(format.width, format.height, format.frameMode, f);
    const int frames = input.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < frames; ++i) {
      RunFrame(state, frame, input.ConsumeIntegralInRange<ChannelId>(-2, 4));
      if (input.ConsumeBool()) ChangeCurrent(state, input, files);
    }
  }
  return 0;
}
