// Absurd settings and odd frame formats, drawn at random with a fixed seed:
// the mask is rebuilt and frames are processed in buffers with guard bytes
// on both sides. Nothing may be written outside the frame, nothing may
// crash, and a format the plug-in cannot address leaves the frame as it was.
// Channels name logo models too, valid and hostile. Run under the sanitizer
// build as well.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "detect/MaskBitmap.h"
#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "tests/support/KernelTesting.h"
#include "tests/support/PictureFiles.h"

namespace kestrimo {
namespace {

using testing::GuardedBlock;
using testing::TestRng;

struct Format {
  std::int32_t width;
  std::int32_t height;
  std::int32_t mode;
};

// Bytes of a frame as the host lays it out; unknown modes get four bytes a
// pixel and degenerate sizes a small block, which must stay untouched.
std::size_t FrameBytes(const Format& f) {
  if (f.width <= 0 || f.height <= 0) return 16;
  const int perPixel = f.mode == 0 ? 2 : f.mode == 1 ? 3 : 4;
  return static_cast<std::size_t>(f.width) * f.height * perPixel;
}

bool Addressable(const Format& f) { return f.width > 0 && f.height > 0 && (f.mode == 0 || f.mode == 1); }

class AbsurdSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    state.DefaultSettings = TableDefaults();
    // A small picture mask: the key colour in a blob, white around it.
    testing::Picture logo(12, 8);
    for (int y = 0; y < logo.height; ++y)
      for (int x = 0; x < logo.width; ++x)
        logo.At(x, y) = (x > 2 && x < 9 && y > 1 && y < 6) ? testing::Rgba{0, 128, 255, 255}
                                                           : testing::Rgba{255, 255, 255, 255};
    pictureName = folder.Write("logo.bmp", testing::EncodeBmp(logo, 24));
    WriteModels();
  }

  // Logo models: translucent ones of several sizes (subtracted), an opaque
  // one (filled), and files that must be refused.
  void WriteModels() {
    for (const auto& [w, h] : {std::pair{60, 40}, {1, 1}, {7, 300}, {333, 5}}) {
      LogoModelPicture model;
      model.width = w;
      model.height = h;
      for (int i = 0; i < w * h; ++i)
        model.pixels.push_back(static_cast<std::uint32_t>(rng.Range(1, 229)) << 24 | (rng.Next() >> 8));
      modelNames.push_back(folder.Write("model" + std::to_string(w) + ".bmp", EncodeModelBitmap(model)));
    }
    LogoModelPicture opaque;
    opaque.width = opaque.height = 8;
    opaque.pixels.assign(64, 0xFFFFFFFFu);
    const std::string good = EncodeModelBitmap(opaque);
    modelNames.push_back(folder.Write("opaque.bmp", good));
    std::string cut = good, inside = good, huge = good;
    cut.resize(cut.size() - 1);
    inside[10] = 20;
    huge[21] = huge[25] = 0x7F;  // 2^31-ish sides
    for (const std::string* bad : {&cut, &inside, &huge})
      modelNames.push_back(folder.Write("bad" + std::to_string(modelNames.size()) + ".bmp", *bad));
  }

  std::int32_t AnyInt() {
    static constexpr std::int32_t kPicks[] = {0,       1,        -1,         2,         3,
                                              50,      100,      767,        768,       1000,
                                              8192,    8193,     1 << 20,    -100000,   INT32_MAX,
                                              INT32_MAX - 1, INT32_MIN, INT32_MIN + 1};
    const int pick = rng.Range(0, static_cast<int>(std::size(kPicks)));
    return pick < static_cast<int>(std::size(kPicks)) ? kPicks[pick]
                                                       : static_cast<std::int32_t>(rng.Next());
  }
  std::uint32_t AnyUnsigned() {
    static constexpr std::uint32_t kPicks[] = {0, 1, 2, 3, 10, 11, 255, 256, 1000, 0x80000000u, 0xFFFFFFFFu};
    const int pick = rng.Range(0, static_cast<int>(std::size(kPicks)));
    return pick < static_cast<int>(std::size(kPicks)) ? kPicks[pick] : rng.Next();
  }
  // Sizes that are meant to be used are mostly modest: a valid 8192 x 8192
  // mask is legal but costs seconds per rebuild.
  std::int32_t AnySize() {
    const std::int32_t v = AnyInt();
    return (v > 1000 && v <= 8192 && rng.Range(0, 3) != 0) ? v % 1000 : v;
  }
  std::uint32_t AnyBlur() {
    const std::uint32_t v = AnyUnsigned();
    return v > 10 && rng.Range(0, 3) != 0 ? v % 11 : v;
  }

  void RandomRecord(ChannelSettings& r) {
    r.MaskFileName = rng.Range(0, 2) == 0 ? pictureName : "";
    const int model = rng.Range(-static_cast<int>(modelNames.size()), static_cast<int>(modelNames.size()) - 1);
    r.LogoModelFile = model >= 0 ? modelNames[static_cast<std::size_t>(model)] : "";
    r.MaskPosX = AnyInt();
    r.MaskPosY = AnyInt();
    r.RectMaskSizeX = AnySize();
    r.RectMaskSizeY = AnySize();
    r.ExpandX = AnySize();
    r.ExpandY = AnySize();
    r.ScreenBlur = AnyBlur();
    r.EdgeBlur = AnyBlur();
    KeepRebuildQuick(r);
    r.Opacity = AnyInt();
    r.InvertMask = AnyInt();
    r.ShowMask = rng.Range(0, 2) == 0 ? 0 : AnyInt();
    r.ColorKey = rng.Range(0, 1) ? AnyUnsigned() : 0x00FF8000u;
    r.ProcEnable = rng.Range(0, 5) == 0 ? 0 : 1;
  }

  // Legal but large masks cost seconds per rebuild (the dilation's cost grows
  // with the mask's area times the ellipse's height, the edge blur's with the
  // area times its radius): accepted sizes are kept modest, values that are
  // refused outright stay as drawn.
  static void KeepRebuildQuick(ChannelSettings& r) {
    auto modest = [](std::int32_t& v, std::int32_t limit) {
      if (v > limit && v <= 8192) v %= limit;
    };
    const bool wideEdge = r.EdgeBlur > 10;
    modest(r.RectMaskSizeX, wideEdge ? 200 : 1000);
    if (r.RectMaskSizeX > 200) modest(r.RectMaskSizeY, 64);
    modest(r.RectMaskSizeY, wideEdge ? 200 : 1000);
    modest(r.ExpandX, wideEdge ? 8 : 100);
    modest(r.ExpandY, wideEdge ? 8 : 100);
  }

  Format RandomFormat() {
    static constexpr Format kSizes[] = {{1, 1, 0},   {2, 1, 0},   {1, 2, 0},     {3, 3, 0},   {5, 7, 0},
                                        {7, 2, 0},   {33, 17, 0}, {720, 576, 0}, {721, 577, 0},
                                        {4000, 10, 0}, {10, 4000, 0}, {0, 0, 0}, {-4, 5, 0},
                                        {6, -3, 0},  {100000, 2, 0}};
    Format f = kSizes[rng.Range(0, static_cast<int>(std::size(kSizes)) - 1)];
    static constexpr std::int32_t kModes[] = {0, 1, 7};
    f.mode = kModes[rng.Range(0, 2)];
    return f;
  }

  void SetFormat(const Format& f) {
    VideoFormat video{f.width, f.height, 0, f.mode, 3};
    PluginSetFormat(state, &video);
    format = f;
  }

  // One frame in a guarded block; channel null sends no channel at all.
  void SendFrame(const ChannelInfo* channel, const std::string& where) {
    GuardedBlock block(FrameBytes(format), static_cast<std::size_t>(rng.Range(0, 15)));
    testing::FillBytes(block.data(), block.size(), rng);
    const std::vector<std::uint8_t> before = block.Bytes();
    FrameInfo frame{};
    frame.pixels = block.data();
    frame.channel = const_cast<ChannelInfo*>(channel);
    ProcessFrame(state, &frame);
    ASSERT_TRUE(block.GuardsIntact()) << where;
    if (!Addressable(format)) {
      ASSERT_EQ(block.Bytes(), before) << where << ": frame not addressable";
    }
  }

  std::string Describe(int i, const ChannelSettings& r) const {
    return "iteration " + std::to_string(i) + ": frame " + std::to_string(format.width) + "x" +
           std::to_string(format.height) + " mode " + std::to_string(format.mode) + ", file '" +
           r.MaskFileName + "', model '" + r.LogoModelFile + "', pos " + std::to_string(r.MaskPosX) + "," + std::to_string(r.MaskPosY) +
           ", size " + std::to_string(r.RectMaskSizeX) + "x" + std::to_string(r.RectMaskSizeY) +
           ", expand " + std::to_string(r.ExpandX) + "," + std::to_string(r.ExpandY) + ", opacity " +
           std::to_string(r.Opacity) + ", show " + std::to_string(r.ShowMask) + ", key " +
           std::to_string(r.ColorKey) + ", blur " + std::to_string(r.ScreenBlur) + "/" +
           std::to_string(r.EdgeBlur);
  }

  PluginState state;
  testing::PictureFolder folder;
  std::string pictureName;
  std::vector<std::string> modelNames;
  TestRng rng{0xAB5D5E77ull};
  Format format{};
  int window = 0;
};

TEST_F(AbsurdSettings, NeverWriteOutsideTheFrameOrCrash) {
  constexpr int kIterations = 200;
  ChannelInfo channel{};
  for (int i = 0; i < kIterations; ++i) {
    SetFormat(RandomFormat());
    const ChannelId id = rng.Range(1, 3);
    state.SelectChannel(id);  // makes sure the list holds a record for the id
    ChannelSettings& record = *state.CurrentRecord();
    RandomRecord(record);
    if (rng.Range(0, 2) == 0) state.SettingsWindow.Attach(&window);
    else state.SettingsWindow.Detach();
    const ChannelSettings drawn = record;
    channel.id = id;
    const std::string where = Describe(i, drawn);
    SendFrame(&channel, where);  // the channel change: picture load and rebuild
    SendFrame(&channel, where + ", same channel");
    // Per-frame settings change without a rebuild.
    record.ScreenBlur = AnyBlur();
    record.Opacity = AnyInt();
    record.ShowMask = AnyInt();
    SendFrame(&channel, where + ", per-frame settings changed");
    // A new format followed by frames that name no channel, or channel 0:
    // the old mask meets the new frame size.
    SetFormat(RandomFormat());
    SendFrame(nullptr, where + ", new format, no channel");
    ChannelInfo zero{};
    SendFrame(&zero, where + ", new format, channel 0");
    if (HasFatalFailure()) return;
  }
  state.SettingsWindow.Detach();
}

// The limits themselves: sizes at and past the side limit, expansions at
// the dilation limit, the widest blurs, on a full-size frame.
TEST_F(AbsurdSettings, LimitValuesOnAFullFrame) {
  struct Case {
    std::int32_t sizeX, sizeY, expandX, expandY;
    std::uint32_t edgeBlur, screenBlur;
    bool picture;
  };
  const Case kCases[] = {
      {8192, 1, 0, 0, 0, 0, false},          {8193, 1, 0, 0, 0, 0, false},
      {1, 8192, 0, 0, 0, 0, false},          {100, 70, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, false},
      {0, 0, 0, 0, 0, 0, false},             {2, 2, 0, 0, 0, 10, false},
      {100, 70, 1024, 0, 0, 3, true},        {100, 70, 0, 1024, 2, 3, true},
      {100, 70, 4090, 0, 0, 0, true},        {100, 70, 0, INT32_MAX, 0, 0, true},
  };
  for (const Case& c : kCases) {
    for (std::int32_t mode : {0, 1}) {
      SetFormat({720, 576, mode});
      ChannelSettings& record = state.ChannelList.emplace_back(TableDefaults());
      record.Id = static_cast<ChannelId>(state.ChannelList.size()) + 100;
      record.ProcEnable = 1;
      record.RectMaskSizeX = c.sizeX;
      record.RectMaskSizeY = c.sizeY;
      record.ExpandX = c.expandX;
      record.ExpandY = c.expandY;
      record.EdgeBlur = c.edgeBlur;
      record.ScreenBlur = c.screenBlur;
      record.MaskFileName = c.picture ? pictureName : "";
      ChannelInfo channel{};
      channel.id = record.Id;
      const std::string where = Describe(static_cast<int>(&c - kCases), record);
      SendFrame(&channel, where);
      SendFrame(&channel, where + ", second frame");
      if (HasFatalFailure()) return;
    }
  }
}

// Settings whose mask would take seconds to draw on the video thread (here a
// picture grown by 1000 with edge blur 10, which took 3 to 40 s before the
// rebuild bounded its work) count as absurd: the area is empty and the frame
// passes. The largest values the settings window allows are drawn.
TEST_F(AbsurdSettings, RebuildsTooCostlyForTheVideoThreadAreRefusedQuickly) {
  SetFormat({720, 576, 0});
  ChannelSettings& record = state.ChannelList.emplace_back(TableDefaults());
  record.Id = 5;
  record.ProcEnable = 1;
  record.MaskFileName = pictureName;
  record.EdgeBlur = 10;
  ChannelInfo channel{};
  channel.id = 5;
  SendFrame(&channel, "picture loaded");
  ASSERT_EQ(state.Mask.MaskLoaded, 1);

  record.ExpandX = 100;
  record.ExpandY = 1000;
  const auto start = std::chrono::steady_clock::now();
  state.Mask.RebuildMask(record.Shape(), state.Geometry, state.FrameWidth, state.FrameHeight);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(state.Mask.FrameMask.pixels, nullptr);
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 500);

  record.ExpandX = 30;
  record.ExpandY = 30;
  state.Mask.RebuildMask(record.Shape(), state.Geometry, state.FrameWidth, state.FrameHeight);
  EXPECT_NE(state.Mask.FrameMask.pixels, nullptr) << "the window's largest values are drawn";
}

}  // namespace
}  // namespace kestrimo
