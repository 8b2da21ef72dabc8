// Every allocation of a channel change (picture decoding, the mask rebuild
// with its dilation, edge blur and scaling tables, the frame blur) failing in
// turn. Each faulted frame must come out either untouched or exactly as a
// frame without faults (or, when the picture itself could not be decoded,
// exactly as the plain rectangle's frame); the next rebuild without faults
// must give the normal frame again. Under the address sanitizer every run
// also proves that nothing leaks.
#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "plugin/EntryPoints.h"
#include "imaging/BlurFilter.h"
#include "engine/FrameDriver.h"
#include "base/AlignedMemory.h"
#include "tests/faults/FaultSweep.h"
#include "tests/integration/TestFrame.h"
#include "tests/support/PictureFiles.h"

namespace kestrimo {
namespace {

using testing::FrameFormat;
using testing::TestFrame;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kWidth = 352, kHeight = 288;

enum class Picture { None, Png, Bmp, Gif };

struct Scenario {
  const char* name;
  FrameFormat format;
  Picture picture;
  std::uint32_t edgeBlur;
  std::uint32_t screenBlur;
  std::int32_t expand;
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

// A 30 x 20 logo in the default key colour on a textured ground.
testing::Picture KeyedLogo() {
  testing::Picture logo = testing::PatternPicture(30, 20, 3, 64);
  for (int y = 5; y < 15; ++y)
    for (int x = 6; x < 24; ++x) logo.At(x, y) = {0, 128, 255, 255};
  return logo;
}

std::string PictureFile(const testing::PictureFolder& folder, Picture kind) {
  const testing::Picture logo = KeyedLogo();
  switch (kind) {
    case Picture::Png: return folder.Write("logo.png", testing::EncodePng(logo, false));
    case Picture::Bmp: return folder.Write("logo.bmp", testing::EncodeBmp(logo, 24));
    case Picture::Gif:
      return folder.Write("logo.gif", testing::EncodeGif(30, 20, {{0, 0, logo, 2}}));
    case Picture::None: break;
  }
  return {};
}

class AllocationFaults : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    const Scenario& s = GetParam();
    record = TableDefaults();
    record.ProcEnable = 1;
    record.MaskPosX = 300;
    record.MaskPosY = 200;
    record.EdgeBlur = s.edgeBlur;
    record.ScreenBlur = s.screenBlur;
    record.ExpandX = record.ExpandY = s.expand;
    record.MaskFileName = PictureFile(folder, s.picture);
    input.Paint({{250, 160, 300, 200}, {90, 40, 140, 80}});
    normal = Send(record, 1);
    ChannelSettings rectangle = record;
    rectangle.MaskFileName.clear();
    fallback = Send(rectangle, 1);
    ASSERT_NE(normal, input.Bytes()) << "the scenario must change the frame";
  }

  void Start(PluginState& state, const ChannelSettings& settings) const {
    state.DefaultSettings = settings;
    const VideoFormat video{kWidth, kHeight, 0, input.FrameMode(), 3};
    PluginSetFormat(state, &video);
  }

  Bytes Frame(PluginState& state, ChannelId id) const {
    TestFrame frame = input;
    ChannelInfo channel{};
    channel.id = id;
    FrameInfo info{};
    info.pixels = frame.data();
    info.channel = &channel;
    ProcessFrame(state, &info);
    return frame.Bytes();
  }

  Bytes Send(const ChannelSettings& settings, ChannelId id) const {
    PluginState state;
    Start(state, settings);
    return Frame(state, id);
  }

  ChannelSettings record;
  testing::PictureFolder folder;
  TestFrame input{GetParam().format, kWidth, kHeight};
  Bytes normal;
  Bytes fallback;  // the frame of the same channel without its picture
};

const testing::FaultHook kAllocationHook{
    [](int n) { FailNthAllocationForTesting(n); },
    [] { return AllocationFailureHappenedForTesting(); }};

TEST_P(AllocationFaults, EveryAllocationOfAChannelChangeFailingInTurn) {
  const bool withPicture = !record.MaskFileName.empty();
  int pictureLost = 0;
  int n = 0;  // the allocation made to fail
  struct Run {
    Bytes frame;
    std::string fileName;  // the record's file name after the change
    Bytes again;           // a later rebuild without faults
  };
  const int injected = testing::SweepFaults(
      kAllocationHook,
      [&] {
        // The process-wide objects exist before the host sends frames.
        auto state = std::make_unique<PluginState>();
        Start(*state, record);
        return state;
      },
      [&](std::unique_ptr<PluginState>& prepared) {
        PluginState& state = *prepared;
        Run run;
        run.frame = Frame(state, 1);
        FailNthAllocationForTesting(0);
        run.fileName = state.CurrentRecord()->MaskFileName;
        Frame(state, 2);  // another channel, then back: both rebuilt
        run.again = Frame(state, 1);
        return run;
      },
      [&](const Run& run, bool faulted) {
        SCOPED_TRACE("allocation " + std::to_string(++n) + " failing");
        if (!faulted) {
          EXPECT_EQ(run.frame, normal) << "no fault reached: the normal frame";
          return;
        }
        const bool lost = withPicture && run.fileName.empty();
        pictureLost += lost ? 1 : 0;
        const bool sound = run.frame == input.Bytes() || run.frame == normal ||
                           (withPicture && run.frame == fallback);
        EXPECT_TRUE(sound) << "faulted frame is neither untouched nor processed";
        EXPECT_EQ(run.again, lost ? fallback : normal) << "the next rebuild recovers";
#if !defined(_WIN32)  // the Windows imaging library cannot tell memory from a bad file
        EXPECT_FALSE(lost) << "a shortage of memory keeps the picture's name";
#endif
      });
  EXPECT_GT(injected, 0) << "the channel change allocates";
  EXPECT_LT(injected, 10000) << "the sweep ends";
  std::cout << "[ faults   ] " << GetParam().name << ": " << injected
            << " allocation failures injected";
  if (withPicture) std::cout << ", " << pictureLost << " of them dropped the picture";
  std::cout << "\n";
}

// The picture path alone: a failed decode leaves no frames behind, and a
// load that meets no fault gives the very same picture as an undisturbed one.
class PictureAllocationFaults : public ::testing::TestWithParam<Picture> {};

std::vector<std::uint32_t> PixelsOf(const DibImage& image) {
  std::vector<std::uint32_t> pixels;
  for (std::int32_t y = 0; y < image.rect.Height(); ++y)
    for (std::int32_t x = 0; x < image.rect.Width(); ++x) pixels.push_back(image.GetPixelColor(x, y));
  return pixels;
}

TEST_P(PictureAllocationFaults, LoadingFailsWholeOrNotAtAll) {
  testing::PictureFolder folder;
  const std::string file = PictureFile(folder, GetParam());
  DibImage good;
  ASSERT_TRUE(good.LoadFromFile(file));
  const std::vector<std::uint32_t> goodPixels = PixelsOf(good);

  DibImage image;
  const int injected = testing::SweepFaults(
      kAllocationHook, [] { return 0; }, [&](int) { return image.LoadFromFile(file); },
      [&](bool loaded, bool faulted) {
        if (!loaded) {
          EXPECT_TRUE(faulted) << "only an injected fault makes the good file fail";
          EXPECT_EQ(image.FrameCount(), 0);
          EXPECT_EQ(image.pixels, nullptr);
          return;
        }
        EXPECT_EQ(image.FrameCount(), good.FrameCount());
        EXPECT_EQ(image.rect, good.rect);
        EXPECT_EQ(PixelsOf(image), goodPixels);
      });
#if !defined(_WIN32)  // the Windows imaging library allocates on its own
  EXPECT_GT(injected, 0) << "the decoder's allocations are counted";
#endif
  std::cout << "[ faults   ] picture " << file.substr(file.size() - 3) << " alone: " << injected
            << " allocation failures injected\n";
}

// Each of a blur's constructor allocations failing in turn: the filter asks
// again when it is next used, and blurs then as one made without faults.
TEST(BlurAllocationFaults, ConstructorFailuresAreMadeGoodLater) {
  BlurFilter reference;
  reference.SetWidths(6.0f, 3.0f);
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n) + " failing");
    FailNthAllocationForTesting(n);
    BlurFilter filter;
    FailNthAllocationForTesting(0);
    filter.SetWidths(6.0f, 3.0f);
    EXPECT_EQ(filter.HorizontalRadius(), reference.HorizontalRadius());
    EXPECT_EQ(filter.VerticalRadius(), reference.VerticalRadius());
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureAllocationFaults,
                         ::testing::Values(Picture::Png, Picture::Bmp, Picture::Gif));

INSTANTIATE_TEST_SUITE_P(
    Paths, AllocationFaults,
    ::testing::Values(
        Scenario{"RectangleYuy2", FrameFormat::Yuy2, Picture::None, 0, 0, 0},
        Scenario{"RectangleEdgeAndFrameBlurYuy2", FrameFormat::Yuy2, Picture::None, 4, 5, 0},
        Scenario{"RectangleEdgeAndFrameBlurBgr", FrameFormat::Bgr24, Picture::None, 3, 2, 0},
        Scenario{"PngGrownBlurredYuy2", FrameFormat::Yuy2, Picture::Png, 2, 3, 4},
        Scenario{"BmpGrownBgr", FrameFormat::Bgr24, Picture::Bmp, 1, 0, 2},
        Scenario{"GifFramesYuy2", FrameFormat::Yuy2, Picture::Gif, 2, 1, 1}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrimo
