// A channel with a logo model, through the frame driver in both frame
// formats: a logo blended at 55 % comes out to the clean picture; where the
// model is near opaque the fill does the work as without a model, and at no
// opacity is the result worse than the fill's; a model file that cannot be
// read leaves the channel filling as before; an area off the frame is not
// written at all.
#include "mask/LogoRemoval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <vector>
#include <cstring>
#include <string>

#include "detect/MaskBitmap.h"
#include "engine/FrameDriver.h"
#include "imaging/ColourCoefficients.h"
#include "imaging/CpuFeatures.h"
#include "plugin/EntryPoints.h"
#include "tests/integration/TestFrame.h"
#include "tests/support/PictureFiles.h"

namespace kestrimo {
namespace {

using testing::FrameFormat;
using testing::TestFrame;

// One frame of channel 1 through the frame driver; its return value.
std::int32_t ProcessOnChannel1(PluginState& state, std::uint8_t* pixels) {
  ChannelInfo channel{};
  channel.id = 1;
  FrameInfo info{};
  info.pixels = pixels;
  info.channel = &channel;
  return ProcessFrame(state, &info);
}

// A 768 x 576 frame, so that raster and frame pixels are the same. The
// area is 60 x 40 at (170, 130); the model covers it: a block of 55 %
// opacity with a core of 93 %, too opaque to subtract, nothing around.
constexpr std::int32_t kWidth = 768, kHeight = 576;
constexpr std::int32_t kLeft = 170, kTop = 130, kSide = 60, kDown = 40;
constexpr std::uint32_t kLogoColour = 0x00E6C828;  // R 230, G 200, B 40

std::uint32_t Opacity(std::int32_t x, std::int32_t y) {
  if (x >= 24 && x < 36 && y >= 15 && y < 25) return 236;
  if (x >= 10 && x < 50 && y >= 10 && y < 30) return 145;
  return 0;
}
bool Trusted(std::int32_t x, std::int32_t y) {
  return Opacity(x, y) == 145 && (x < 22 || x >= 38 || y < 13 || y >= 27);
}

// A logo's opacity per area pixel and its one colour.
struct Logo {
  std::function<std::uint32_t(std::int32_t, std::int32_t)> opacity = Opacity;
  std::uint32_t colour = kLogoColour;
};

// The model of the logo over the area, `fine` model pixels to an area pixel.
LogoModelPicture Model(const Logo& logo = {}, std::int32_t fine = 1) {
  LogoModelPicture model;
  model.width = kSide * fine;
  model.height = kDown * fine;
  for (std::int32_t y = 0; y < model.height; ++y)
    for (std::int32_t x = 0; x < model.width; ++x)
      model.pixels.push_back(logo.opacity(x / fine, y / fine) << 24 | logo.colour);
  return model;
}

// The logo's colour in the frame's bytes of a pixel (Y and U or V; B, G, R).
std::int32_t LogoByte(FrameFormat format, std::uint32_t colour, std::int32_t x, int byte) {
  const std::int32_t b = colour & 0xFF, g = (colour >> 8) & 0xFF, r = (colour >> 16) & 0xFF;
  if (format == FrameFormat::Bgr24) return byte == 0 ? b : byte == 1 ? g : r;
  const BgrWeights w = byte == 0 ? kLumaWeights : (x % 2 == 0 ? kCbWeights : kCrWeights);
  return ((w.b * b + w.g * g + w.r * r) >> kBgrWeightShift) + (byte == 0 ? 0 : kChromaOffset);
}

class LogoRemovalTest : public ::testing::TestWithParam<FrameFormat> {
 protected:
  void SetUp() override {
    clean.Paint({});
    ChannelSettings record = TableDefaults();
    record.Id = 1;
    record.ProcEnable = 1;
    record.MaskPosX = kLeft + kSide / 2;
    record.MaskPosY = kTop + kDown / 2;
    record.RectMaskSizeX = kSide;
    record.RectMaskSizeY = kDown;
    state.ChannelList = {record};
    VideoFormat video{kWidth, kHeight, 0, clean.FrameMode(), 3};
    PluginSetFormat(state, &video);
  }
  // The clean frame with the logo blended in, run through the plug-in.
  // With `fresh`, the channel is selected anew (its pictures loaded, its
  // mask rebuilt); else the frame follows the one before on the channel.
  TestFrame Run(const std::string& modelFile, const Logo& logo = {}, bool fresh = true) {
    return Process(modelFile, logo, clean, fresh);
  }
  TestFrame Process(const std::string& modelFile, const Logo& logo, TestFrame frame, bool fresh) {
    state.ChannelList[0].LogoModelFile = modelFile;
    if (fresh) state.LastChannelId = 0;
    for (std::int32_t y = 0; y < kDown; ++y) {
      for (std::int32_t x = 0; x < kSide; ++x) {
        const std::uint32_t a = logo.opacity(x, y);
        for (int byte = 0; byte < frame.BytesPerPixel(); ++byte) {
          std::uint8_t& sample = frame.data()[frame.Offset(kLeft + x, kTop + y) + byte];
          const std::int32_t colour = LogoByte(GetParam(), logo.colour, kLeft + x, byte);
          sample = static_cast<std::uint8_t>((a * colour + (255 - a) * sample + 127) / 255);
        }
      }
    }
    EXPECT_EQ(ProcessOnChannel1(state, frame.data()), 1);
    return frame;
  }

  // The largest and the summed error against the clean frame over the area.
  std::pair<int, long> Error(const TestFrame& frame) const {
    std::pair<int, long> error{0, 0};
    for (std::int32_t y = 0; y < kDown; ++y) {
      for (std::int32_t x = 0; x < kSide; ++x) {
        for (int byte = 0; byte < clean.BytesPerPixel(); ++byte) {
          const int e = std::abs(frame.At(kLeft + x, kTop + y, byte) - clean.At(kLeft + x, kTop + y, byte));
          error = {std::max(error.first, e), error.second + e};
        }
      }
    }
    return error;
  }

  PluginState state;
  TestFrame clean{GetParam(), kWidth, kHeight};
  testing::PictureFolder folder;
};

TEST_P(LogoRemovalTest, TakesATranslucentLogoOutAndFillsItsNearOpaqueCore) {
  const TestFrame filled = Run("");
  const TestFrame taken = Run(folder.Write("model.bmp", EncodeModelBitmap(Model())));
  ASSERT_TRUE(state.Mask.Removal.Active());
  for (std::int32_t y = 1; y + 1 < kDown; ++y) {
    for (std::int32_t x = 1; x + 1 < kSide; ++x) {
      for (int byte = 0; byte < clean.BytesPerPixel(); ++byte) {
        const int got = taken.At(kLeft + x, kTop + y, byte);
        if (Trusted(x, y)) {
          EXPECT_LE(std::abs(got - clean.At(kLeft + x, kTop + y, byte)), 2)
              << "pixel " << x << ", " << y << " byte " << byte;
        } else if (Opacity(x, y) == 236) {
          EXPECT_EQ(got, filled.At(kLeft + x, kTop + y, byte))
              << "pixel " << x << ", " << y << " byte " << byte;
        }
      }
    }
  }
}

// A model finer than the mask's rectangle is stretched over it: twice as
// fine, it takes the logo out exactly as the model of the rectangle's size.
TEST_P(LogoRemovalTest, AFinerModelIsStretchedOverTheMask) {
  const TestFrame coarse = Run(folder.Write("model.bmp", EncodeModelBitmap(Model())));
  const TestFrame fine = Run(folder.Write("fine.bmp", EncodeModelBitmap(Model({}, 2))));
  ASSERT_TRUE(state.Mask.Removal.Active());
  EXPECT_EQ(fine.Bytes(), coarse.Bytes());
}

// A logo whose solid part is under 90 % opaque is subtracted, broad or
// thin; from 90 % only its rim would be, and it is filled as without a model.
TEST_P(LogoRemovalTest, OnlyLogosUnder90PercentAreSubtracted) {
  const struct {
    const char* name;
    std::uint32_t (*opacity)(std::int32_t, std::int32_t);
    bool subtracted;
  } cases[] = {
      {"broad block at 80 %",
       [](std::int32_t x, std::int32_t y) -> std::uint32_t {
         return x >= 10 && x < 50 && y >= 10 && y < 30 ? 204 : 0;
       },
       true},
      {"thin stroke at 92 % with a soft rim",
       [](std::int32_t x, std::int32_t y) -> std::uint32_t {
         if (y < 10 || y >= 30) return 0;
         return x == 10 || x == 11 ? 235 : (x == 9 || x == 12 ? 100 : 0);
       },
       false},
  };
  for (const auto& c : cases) {
    Run(folder.Write("model.bmp", EncodeModelBitmap(Model({c.opacity}))));
    EXPECT_EQ(state.Mask.Removal.Active(), c.subtracted) << c.name;
  }
}

// A uniform block at every opacity, bright and dark, at every kernel level:
// the subtraction with its ramp to the fill never errs more than the fill
// alone, in sum or at any sample. Up to 80 % (75 % among them) the block is
// wholly subtracted, then partly, and from 90 % it is filled as without a
// model.
TEST_P(LogoRemovalTest, NeverWorseThanTheFillAtAnyOpacity) {
  std::vector<KernelChoice> levels{KernelChoice::ScalarOnly, KernelChoice::Sse2Only};
  if (CpuHasAvx2()) levels.push_back(KernelChoice::Best);
  const LogoRemoval& removal = state.Mask.Removal;
  for (const std::uint32_t colour : {0x00FFFFFFu, 0x00000000u}) {
    for (std::uint32_t a = 0; a <= 255; ++a) {
      const Logo logo{[a](std::int32_t x, std::int32_t y) {
                        return x >= 10 && x < 50 && y >= 10 && y < 30 ? a : 0u;
                      },
                      colour};
      const std::pair<int, long> filled = Error(Run("", logo));
      const std::string model = folder.Write("model.bmp", EncodeModelBitmap(Model(logo)));
      for (const KernelChoice level : levels) {
        SetKernelChoice(level);
        const std::pair<int, long> taken = Error(Run(model, logo));
        const std::string what = "opacity " + std::to_string(a) + ", colour " +
                                 std::to_string(colour) + ", level " +
                                 std::to_string(static_cast<int>(level));
        EXPECT_LE(taken.first, filled.first) << what << ": worst sample";
        EXPECT_LE(taken.second, filled.second) << what << ": sum";
        // The removal alpha in the block: 0 where wholly subtracted, the
        // mask's 255 where wholly filled.
        const std::uint32_t kept =
            removal.Active() ? *removal.RemovalAlpha.PixelAt(kSide / 2, kDown / 2) >> 24 : 255;
        if (a == 0 || a >= 230) {
          EXPECT_EQ(taken, filled) << what;
        } else if (a <= 204) {
          EXPECT_EQ(kept, 0u) << what;
        } else {
          EXPECT_TRUE(kept > 0 && kept < 255) << what << ": on the ramp, " << kept;
        }
      }
      SetKernelChoice(KernelChoice::Best);
      if (HasFailure()) return;
    }
  }
}

// With the presence check, a frame that shows the logo is processed as
// without it, one that does not show it passes unchanged, and a frame that
// cannot tell (a flash of the logo's own colour) keeps the last decision.
TEST_P(LogoRemovalTest, WithThePresenceCheckOnlyFramesShowingTheLogoAreProcessed) {
  const std::string model = folder.Write("model.bmp", EncodeModelBitmap(Model()));
  const TestFrame shown = Run(model);
  TestFrame flash = clean;
  for (std::int32_t y = 0; y < kHeight; ++y)
    for (std::int32_t x = 0; x < kWidth; ++x)
      for (int byte = 0; byte < flash.BytesPerPixel(); ++byte)
        flash.data()[flash.Offset(x, y) + byte] =
            static_cast<std::uint8_t>(LogoByte(GetParam(), kLogoColour, x, byte));
  const Logo none{[](std::int32_t, std::int32_t) { return 0u; }};
  const struct {
    const char* frame;
    bool logo, flashed, shown;
  } steps[] = {{"logo", true, false, true},    {"no logo", false, false, false},
               {"flash", false, true, false},  {"logo", true, false, true},
               {"flash", false, true, true},   {"no logo", false, false, false}};
  state.ChannelList[0].LogoPresenceCheck = 1;
  bool fresh = true;
  for (const auto& step : steps) {
    const TestFrame& input = step.flashed ? flash : clean;
    const TestFrame out = Process(model, step.logo ? Logo{} : none, input, fresh);
    fresh = false;
    EXPECT_EQ(state.Mask.Presence.Shown(), step.shown) << step.frame;
    // The share of the logo the frame shows, where the frame can tell.
    const PresenceSums& sums = state.Mask.Presence.Delivered();
    const double share = static_cast<double>(sums.match) / static_cast<double>(sums.energy);
    if (!step.flashed) {
      EXPECT_NEAR(share, step.logo ? 1.0 : 0.0, 0.2) << step.frame;
    }
    if (step.logo) {
      EXPECT_EQ(out.Bytes(), shown.Bytes()) << step.frame << ": as without the check";
    } else if (!step.shown) {
      EXPECT_EQ(out.Bytes(), input.Bytes()) << step.frame;
    }
  }
}

// A channel that changed a part of its logo, stripes at 55 %: the model's
// last stripes have a dark colour that the frames do not show. With the presence check that part
// falls back to the fill, never worse than it there, while the rest is
// still subtracted; the model as a whole still fits.
TEST_P(LogoRemovalTest, APartTheModelNoLongerFitsFallsBackToTheFill) {
  const Logo logo{[](std::int32_t x, std::int32_t y) {
    return x >= 10 && x < 50 && y >= 10 && y < 30 && x / 2 % 2 == 0 ? 145u : 0u;
  }};
  LogoModelPicture model = Model(logo);
  for (std::int32_t y = 0; y < kDown; ++y)
    for (std::int32_t x = 44; x < kSide; ++x)
      if (std::uint32_t& pixel = model.pixels[y * kSide + x]; pixel >> 24 != 0)
        pixel = 145u << 24 | 0x202020;
  const TestFrame filled = Run("", logo);
  state.ChannelList[0].LogoPresenceCheck = 1;
  const TestFrame taken = Run(folder.Write("model.bmp", EncodeModelBitmap(model)), logo);
  ASSERT_TRUE(state.Mask.Presence.SubtractionFits());
  // The summed error over the columns [from, to) of the logo.
  const auto error = [this](const TestFrame& frame, std::int32_t from, std::int32_t to) {
    long sum = 0;
    for (std::int32_t y = 10; y < 30; ++y)
      for (std::int32_t x = from; x < to; ++x)
        for (int byte = 0; byte < clean.BytesPerPixel(); ++byte)
          sum += std::abs(frame.At(kLeft + x, kTop + y, byte) - clean.At(kLeft + x, kTop + y, byte));
    return sum;
  };
  EXPECT_LE(error(taken, 44, 50), error(filled, 44, 50)) << "the part the model misses";
  EXPECT_LT(4 * error(taken, 10, 50), 3 * error(filled, 10, 50)) << "the logo as a whole";
}

// An area wholly or partly off the frame, with a model: nothing is written
// outside the frame (a frame's worth of guard bytes on each side), and a
// frame the area does not reach comes out as it went in.
TEST_P(LogoRemovalTest, AnAreaOffTheFrameWritesNothingOutsideIt) {
  const std::string model = folder.Write("model.bmp", EncodeModelBitmap(Model()));
  const struct {
    std::int32_t x, y;
    bool reaches;
  } cases[] = {{384, 700, false}, {384, -300, false}, {384, 5000, false}, {2000, 288, false},
               {-500, 288, false}, {384, 570, true},  {384, 5, true},     {765, 288, true},
               {3, 288, true},     {INT32_MIN + 1, 288, false}};
  const std::vector<std::uint8_t>& original = clean.Bytes();
  const auto size = static_cast<std::ptrdiff_t>(original.size());
  for (const auto& c : cases) {
    ChannelSettings& record = state.ChannelList[0];
    record.MaskPosX = c.x;
    record.MaskPosY = c.y;
    record.RectMaskSizeX = record.RectMaskSizeY = 200;
    record.LogoModelFile = model;
    state.LastChannelId = 0;
    std::vector<std::uint8_t> block(3 * original.size(), 0x5A);
    std::copy(original.begin(), original.end(), block.begin() + size);
    EXPECT_EQ(ProcessOnChannel1(state, block.data() + size), 1);
    const std::string what = "area at " + std::to_string(c.x) + ", " + std::to_string(c.y);
    EXPECT_EQ(std::count(block.begin(), block.begin() + size, 0x5A), size) << what << ": before";
    EXPECT_EQ(std::count(block.end() - size, block.end(), 0x5A), size) << what << ": after";
    EXPECT_EQ(state.Mask.Removal.Active(), c.reaches) << what;
    if (!c.reaches) {
      EXPECT_TRUE(std::equal(original.begin(), original.end(), block.begin() + size)) << what;
    }
  }
}

// A model so much finer than a tall area that a footprint's sums would
// pass 63 bits (4093 x 1021 over an 8150-row rectangle on a 33 x 17 frame)
// is refused, and the channel fills as without it.
TEST_P(LogoRemovalTest, AFootprintTooFineForItsSumsIsRefused) {
  LogoModelPicture fine;
  fine.width = 4093;
  fine.height = 1021;
  fine.pixels.assign(std::size_t{4093} * 1021, 0x91FFFFFFu);
  VideoFormat video{33, 17, 0, clean.FrameMode(), 3};
  PluginSetFormat(state, &video);
  ChannelSettings& record = state.ChannelList[0];
  record.RectMaskSizeX = 1000;
  record.RectMaskSizeY = 8150;
  record.EdgeBlur = 1;
  record.LogoModelFile = folder.Write("fine.bmp", EncodeModelBitmap(fine));
  TestFrame frame(GetParam(), 33, 17);
  frame.Paint({});
  EXPECT_EQ(ProcessOnChannel1(state, frame.data()), 1);
  EXPECT_FALSE(state.Mask.FrameMask.rect.IsEmpty()) << "the area is drawn";
  EXPECT_FALSE(state.Mask.Removal.Active());
  EXPECT_EQ(record.LogoModelFile, folder.PathOf("fine.bmp"));
}

TEST_P(LogoRemovalTest, AModelThatCannotBeReadLeavesTheFill) {
  const TestFrame filled = Run("");
  const TestFrame unread = Run(folder.Write("model.bmp", "BM not a picture"));
  EXPECT_FALSE(state.Mask.Removal.Active());
  EXPECT_EQ(state.ChannelList[0].LogoModelFile, "");
  EXPECT_EQ(unread.Bytes(), filled.Bytes());
}

// A smaller format whose frames come without a channel record: nothing is
// rebuilt, and the subtraction, sized for the last rebuild, must not run.
TEST_P(LogoRemovalTest, ASmallerFormatWithoutARebuildIsNotSubtracted) {
  Run(folder.Write("model.bmp", EncodeModelBitmap(Model())));
  ASSERT_TRUE(state.Mask.Removal.Active());
  VideoFormat video{200, 160, 0, clean.FrameMode(), 3};
  PluginSetFormat(state, &video);
  const std::size_t bytes = 200 * 160 * static_cast<std::size_t>(clean.BytesPerPixel());
  std::vector<std::uint8_t> small(bytes + 4096, 77);
  FrameInfo info{};
  info.pixels = small.data();
  EXPECT_EQ(ProcessFrame(state, &info), 1);
  EXPECT_EQ(std::count(small.begin() + bytes, small.end(), 77), 4096);
  EXPECT_FALSE(state.Mask.Removal.Subtract(small.data(), state.Geometry));
}

INSTANTIATE_TEST_SUITE_P(Formats, LogoRemovalTest,
                         ::testing::Values(FrameFormat::Yuy2, FrameFormat::Bgr24),
                         [](const auto& info) {
                           return std::string(info.param == FrameFormat::Yuy2 ? "Yuy2" : "Bgr24");
                         });

}  // namespace
}  // namespace kestrimo
