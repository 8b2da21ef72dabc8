// The fused passes of the removal chain against the separate passes they
// replace, on random frames, areas (partly outside the frame), span lists
// (some broken) and alpha images, at every kernel level: the frame must come
// out the same to the bit, and the work buffer too except its alpha bytes,
// which the fused write-back no longer writes.
#include "imaging/FusedPasses.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/AlphaOps.h"
#include "imaging/CpuFeatures.h"
#include "imaging/FrameConversion.h"
#include "imaging/LogoFill.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::Bias;
using testing::FillBytes;
using testing::GuardedBlock;
using testing::TestRng;

// A bottom-up span list; each line holds (skip, distance) pairs and -1, with
// now and then a cell that breaks the rules.
std::vector<std::int32_t> RandomSpans(TestRng& rng, Size alloc, bool columns) {
  std::vector<std::int32_t> cells(static_cast<std::size_t>(alloc.width) * alloc.height);
  for (std::int32_t& cell : cells) cell = rng.Range(-3, 9);  // stale cells past the -1
  const std::int32_t lines = columns ? alloc.width : alloc.height;
  const std::int32_t length = columns ? alloc.height : alloc.width;
  const auto at = [&](std::int32_t line, std::int32_t i) -> std::int32_t& {
    const std::int32_t x = columns ? line : i, y = columns ? i : line;
    return cells[static_cast<std::size_t>(alloc.height - 1 - y) * alloc.width + x];
  };
  for (std::int32_t line = 0; line < lines; ++line) {
    if (columns && line > 0 && rng.Range(0, 2) != 0) {  // neighbours alike: filled together
      for (std::int32_t i = 0; i < length; ++i) at(line, i) = at(line - 1, i);
      continue;
    }
    std::int32_t cursor = 0, i = 0;
    while (i + 1 < length && rng.Range(0, 5) != 0) {
      const std::int32_t skip = rng.Range(0, 3), distance = rng.Range(2, 7);
      at(line, i++) = skip;
      at(line, i++) = rng.Range(0, 15) == 0 ? rng.Range(-1, 1) : distance;
      cursor += skip + distance;
      if (cursor >= length) break;
    }
    if (i < length && rng.Range(0, 9) != 0) at(line, i) = -1;
  }
  return cells;
}

struct ChainCase {
  std::int32_t mode, frameWidth, frameHeight;
  Point position;
  Size alloc, area, alphaAlloc;
  Rect alphaRect;
  Bias bias;

  std::string Describe() const {
    return "mode " + std::to_string(mode) + " frame " + std::to_string(frameWidth) + "x" +
           std::to_string(frameHeight) + " at " + std::to_string(position.x) + "," +
           std::to_string(position.y) + " area " + std::to_string(area.width) + "x" +
           std::to_string(area.height) + " alloc " + std::to_string(alloc.width) + "x" +
           std::to_string(alloc.height) + " alpha alloc " + std::to_string(alphaAlloc.width) +
           "x" + std::to_string(alphaAlloc.height) + " alpha rect right " +
           std::to_string(alphaRect.right) + " bottom " + std::to_string(alphaRect.bottom) +
           " bias " + testing::BiasName(bias);
  }
};

ChainCase RandomCase(TestRng& rng, int i) {
  ChainCase c{};
  c.mode = rng.Range(0, 1);
  c.frameWidth = rng.Range(1, 90);
  c.frameHeight = rng.Range(1, 40);
  c.area = {rng.Range(1, 50), rng.Range(1, 30)};
  c.alloc = {c.area.width + rng.Range(0, 3), c.area.height + rng.Range(0, 3)};
  c.position = {rng.Range(-10, c.frameWidth), rng.Range(-6, c.frameHeight)};
  // Mostly an alpha image like the mask (same size), sometimes one too small
  // to cover the area, which takes the separate passes.
  c.alphaAlloc = c.alloc;
  c.alphaRect = {0, 0, c.area.width, c.area.height};
  if (i % 7 == 0) c.alphaRect.right = rng.Range(0, c.area.width);
  if (i % 11 == 0) c.alphaAlloc.height = rng.Range(1, c.alloc.height);
  c.bias = testing::kEdgeBiases[i % 5];
  return c;
}

class FusedPassesTest : public ::testing::TestWithParam<KernelChoice> {
 protected:
  void SetUp() override {
    if (GetParam() != KernelChoice::ScalarOnly && !CpuHasSse2()) GTEST_SKIP() << "no SSE2";
    SetKernelChoice(GetParam());
  }
  void TearDown() override { SetKernelChoice(KernelChoice::Best); }
};

TEST_P(FusedPassesTest, ChainMatchesTheSeparatePasses) {
  TestRng rng(0xF05ED);
  int changed = 0;
  for (int i = 0; i < 1500; ++i) {
    const ChainCase c = RandomCase(rng, i);
    FrameGeometry geometry;
    geometry.SetFrameFormat(c.frameWidth, c.frameHeight, c.mode);
    const std::size_t frameBytes =
        static_cast<std::size_t>((c.mode == kFrameModeBgr ? 3 : 2) * c.frameWidth * c.frameHeight);
    GuardedBlock want(frameBytes, rng.Range(0, 15)), got(frameBytes, rng.Range(0, 15));
    FillBytes(want.data(), frameBytes, rng, c.bias);
    std::memcpy(got.data(), want.data(), frameBytes);
    const std::vector<std::uint8_t> frameIn = want.Bytes();

    const std::size_t pixels = static_cast<std::size_t>(c.alloc.width) * c.alloc.height;
    std::vector<std::uint32_t> workWant(pixels), workGot;
    FillBytes(workWant.data(), 4 * pixels, rng);  // what the previous frame left
    workGot = workWant;
    std::vector<std::uint32_t> alphaPixels(static_cast<std::size_t>(c.alphaAlloc.width) * c.alphaAlloc.height);
    FillBytes(alphaPixels.data(), 4 * alphaPixels.size(), rng, c.bias);
    const Size spanAlloc = {c.area.width + rng.Range(0, 2), c.area.height + rng.Range(0, 2)};
    const std::vector<std::int32_t> rowCells = RandomSpans(rng, spanAlloc, false);
    const std::vector<std::int32_t> columnCells = RandomSpans(rng, spanAlloc, true);
    const Rect rect{0, 0, c.area.width, c.area.height};
    const auto spansView = [&](const std::vector<std::int32_t>& cells) {
      return ConstImageView{reinterpret_cast<const std::uint32_t*>(cells.data()), spanAlloc, rect};
    };
    const ConstImageView alpha{alphaPixels.data(), c.alphaAlloc, c.alphaRect};
    const bool yuy2 = c.mode == kFrameModeYuy2;

    const ImageView separate{workWant.data(), c.alloc, rect};
    ExtractArea(want.data(), geometry, c.position, separate, yuy2 ? kLayoutYuv : kLayoutBgrLuma);
    FillRows(separate, spansView(rowCells), c.mode);
    FillColumns(separate, spansView(columnCells), c.mode);
    if (yuy2) CopyMaskAlphaToYuv(alpha, separate);
    else CopyMaskAlphaToBgr(alpha, separate);
    WriteBackArea(want.data(), geometry, c.position, separate, yuy2 ? kLayoutYuvAlpha : kLayoutBgrAlpha, 100);

    const ImageView fused{workGot.data(), c.alloc, rect};
    FillPlan plan;
    ASSERT_TRUE(plan.Build(fused, spansView(rowCells), spansView(columnCells)));
    ExtractAndFillRows(got.data(), geometry, c.position, fused, plan, c.mode);
    FillColumns(fused, plan, c.mode);
    WriteBackThroughAlpha(got.data(), geometry, c.position, fused, alpha, c.mode);

    ASSERT_TRUE(want.GuardsIntact() && got.GuardsIntact()) << c.Describe();
    ASSERT_EQ(got.Bytes(), want.Bytes()) << "case " << i << ": " << c.Describe();
    const std::uint32_t alphaBits = yuy2 ? 0x00FF0000u : 0xFF000000u;
    for (std::size_t p = 0; p < pixels; ++p)
      ASSERT_EQ(workGot[p] | alphaBits, workWant[p] | alphaBits)
          << "work pixel " << p << ", case " << i << ": " << c.Describe();
    changed += got.Bytes() != frameIn;
  }
  EXPECT_GT(changed, 300);  // the random areas do reach the frames and change them
}

INSTANTIATE_TEST_SUITE_P(Kernels, FusedPassesTest,
                         ::testing::Values(KernelChoice::ScalarOnly, KernelChoice::Sse2Only,
                                           KernelChoice::Best));

}  // namespace
}  // namespace kestrimo
