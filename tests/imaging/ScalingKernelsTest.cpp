#include "imaging/ScalingKernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/Kernels.h"
#include "imaging/ScaledBlend.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::Bias;
using testing::BiasName;
using testing::GuardedBlock;
using testing::kAllBiases;
using testing::TestRng;

constexpr std::uint32_t kKeyColour = 0x00FF8000;
constexpr std::uint16_t kSpecialWeights[] = {0, 1, 127, 128, 129, 2048, 4095};

std::vector<std::int32_t> Widths() {
  std::vector<std::int32_t> widths;
  for (std::int32_t w = 1; w <= 64; ++w) widths.push_back(w);
  for (std::int32_t w : {100, 333, 720}) widths.push_back(w);
  return widths;
}

std::uint16_t RandomWeight(TestRng& rng) {
  const int pick = rng.Range(0, 13);
  if (pick < 7) return kSpecialWeights[pick];
  return static_cast<std::uint16_t>(rng.Range(0, 4095));
}

// Turns about a quarter of the pixels into key pixels (keeping their alpha).
void PlantKeys(std::uint8_t* bytes, std::size_t pixels, TestRng& rng) {
  const std::uint32_t key = KeyFromColour(kKeyColour);
  for (std::size_t i = 0; i < pixels; ++i) {
    if (rng.Range(0, 3) != 0) continue;
    std::uint32_t p;
    std::memcpy(&p, bytes + 4 * i, 4);
    p = (p & 0xFF000000u) | key;
    std::memcpy(bytes + 4 * i, &p, 4);
  }
}

void FillPixels(GuardedBlock& block, TestRng& rng, Bias bias, bool keys) {
  FillBytes(block.data(), block.size(), rng, bias);
  if (keys) PlantKeys(block.data(), block.size() / 4, rng);
}

// ---- Vertical step ---------------------------------------------------------

struct VerticalCase {
  std::int32_t width;
  std::int32_t rowGap;  // bytes between rows beyond the pixels
  int direction;        // -1: next row lies below in memory, +1: above, 0: same pixel
  std::uint16_t weight;
  bool protect;
  std::size_t sourceOffset;
  std::size_t outputOffset;
  Bias bias;
};

std::ostream& operator<<(std::ostream& out, const VerticalCase& c) {
  return out << "width " << c.width << " gap " << c.rowGap << " direction " << c.direction
             << " weight " << c.weight << " protect " << c.protect << " source offset "
             << c.sourceOffset << " output offset " << c.outputOffset << " bias "
             << BiasName(c.bias);
}

void CheckVertical(const VerticalCase& c, TestRng& rng) {
  const std::int32_t stride = 4 * c.width + c.rowGap;
  GuardedBlock source(2 * static_cast<std::size_t>(stride), c.sourceOffset);
  FillPixels(source, rng, c.bias, c.protect);
  const std::vector<std::uint8_t> sourceBefore = source.Bytes();
  const std::uint8_t* row = source.data() + (c.direction < 0 ? stride : 0);
  const std::ptrdiff_t next = c.direction < 0 ? -stride : (c.direction > 0 ? stride : 0);

  const std::size_t outBytes = 4 * (static_cast<std::size_t>(c.width) + 2);
  GuardedBlock scalar(outBytes, c.outputOffset);
  GuardedBlock sse2(outBytes, c.outputOffset);
  FillBytes(scalar.data(), outBytes, rng);
  std::memcpy(sse2.data(), scalar.data(), outBytes);
  const KeyProtection protection{c.protect, KeyFromColour(kKeyColour)};

  ScalarKernels().scaling.verticalStep(row, next, c.weight, c.width, scalar.as<std::uint32_t>(),
                                       protection);
  Sse2Kernels().scaling.verticalStep(row, next, c.weight, c.width, sse2.as<std::uint32_t>(),
                                     protection);
  ASSERT_EQ(scalar.Bytes(), sse2.Bytes()) << c;
  ASSERT_TRUE(scalar.GuardsIntact()) << c;
  ASSERT_TRUE(sse2.GuardsIntact()) << c;
  ASSERT_TRUE(source.GuardsIntact()) << c;
  ASSERT_EQ(source.Bytes(), sourceBefore) << c;
}

TEST(ScalingKernelsVertical, Sse2MatchesScalar) {
  TestRng rng;
  for (std::int32_t width : Widths())
    for (Bias bias : kAllBiases)
      for (bool protect : {false, true})
        for (int direction : {-1, 1, 0}) {
          const VerticalCase c{width,
                               4 * rng.Range(0, 3),
                               direction,
                               RandomWeight(rng),
                               protect,
                               static_cast<std::size_t>(rng.Range(0, 15)),
                               static_cast<std::size_t>(4 * rng.Range(0, 3)),
                               bias};
          CheckVertical(c, rng);
        }
}

TEST(ScalingKernelsVertical, Sse2MatchesScalarForEverySpecialWeight) {
  TestRng rng(7);
  for (std::uint16_t weight : kSpecialWeights)
    for (bool protect : {false, true})
      for (std::int32_t width : {1, 3, 4, 5, 17, 64})
        CheckVertical({width, 0, -1, weight, protect, 3, 0, Bias::Ends}, rng);
}

// ---- Horizontal step -------------------------------------------------------

struct HorizontalCase {
  std::int32_t rowPixels;
  std::int32_t count;
  bool fromBuilder;  // a table as the scaling builds it, else a random walk
  bool protect;
  std::size_t tableOffset;
  std::size_t rowOffset;
  std::size_t outputOffset;
  Bias bias;
};

std::ostream& operator<<(std::ostream& out, const HorizontalCase& c) {
  return out << "row " << c.rowPixels << " count " << c.count << " built " << c.fromBuilder
             << " protect " << c.protect << " table offset " << c.tableOffset << " row offset "
             << c.rowOffset << " output offset " << c.outputOffset << " bias "
             << BiasName(c.bias);
}

// Entries that jump anywhere inside the row, forwards and back, with any weight.
void RandomWalk(ScaleTableEntry* table, std::int32_t count, std::int32_t rowPixels,
                TestRng& rng) {
  std::int32_t at = 0;
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int32_t ip = rng.Range(0, rowPixels - 1);
    const bool pair = ip < rowPixels - 1 && rng.Range(0, 3) != 0;
    const std::uint16_t weight = pair ? RandomWeight(rng) : 0;
    ScaleTableEntry& e = table[k];
    e.step = 4 * (ip - at);
    e.next = pair ? 4 : 0;
    for (std::uint16_t& w : e.weight) w = weight;
    at = ip + (pair ? 1 : 0);
  }
}

void CheckHorizontal(const HorizontalCase& c, TestRng& rng) {
  GuardedBlock row(4 * (static_cast<std::size_t>(c.rowPixels) + 2), c.rowOffset);
  FillPixels(row, rng, c.bias, c.protect);
  GuardedBlock table(sizeof(ScaleTableEntry) * c.count, c.tableOffset);
  auto* entries = table.as<ScaleTableEntry>();
  if (c.fromBuilder) {
    const std::int32_t b = c.count + rng.Range(0, 40);
    const ScaleTableKey key{c.rowPixels, b, rng.Range(0, b - c.count), c.count, 4};
    ASSERT_TRUE(BuildScaleTable(entries, key)) << c;
  } else {
    RandomWalk(entries, c.count, c.rowPixels, rng);
  }
  const std::vector<std::uint8_t> rowBefore = row.Bytes();
  const std::vector<std::uint8_t> tableBefore = table.Bytes();

  const std::size_t outBytes = 4 * static_cast<std::size_t>(c.count);
  GuardedBlock scalar(outBytes, c.outputOffset);
  GuardedBlock sse2(outBytes, c.outputOffset);
  const KeyProtection protection{c.protect, KeyFromColour(kKeyColour)};
  ScalarKernels().scaling.horizontalStep(row.as<std::uint32_t>(), entries, c.count, scalar.data(),
                                         protection);
  Sse2Kernels().scaling.horizontalStep(row.as<std::uint32_t>(), entries, c.count, sse2.data(),
                                       protection);
  ASSERT_EQ(scalar.Bytes(), sse2.Bytes()) << c;
  ASSERT_TRUE(scalar.GuardsIntact()) << c;
  ASSERT_TRUE(sse2.GuardsIntact()) << c;
  ASSERT_TRUE(row.GuardsIntact()) << c;
  ASSERT_EQ(row.Bytes(), rowBefore) << c;
  ASSERT_EQ(table.Bytes(), tableBefore) << c;
}

TEST(ScalingKernelsHorizontal, Sse2MatchesScalar) {
  TestRng rng;
  const std::vector<std::int32_t> widths = Widths();
  for (std::int32_t count : widths)
    for (Bias bias : kAllBiases)
      for (bool protect : {false, true})
        for (bool fromBuilder : {false, true}) {
          const std::int32_t rowPixels = widths[rng.Range(0, static_cast<int>(widths.size()) - 1)];
          const HorizontalCase c{rowPixels,
                                 count,
                                 fromBuilder,
                                 protect,
                                 static_cast<std::size_t>(8 * rng.Range(0, 1)),
                                 static_cast<std::size_t>(4 * rng.Range(0, 3)),
                                 static_cast<std::size_t>(rng.Range(0, 15)),
                                 bias};
          CheckHorizontal(c, rng);
        }
}

TEST(ScalingKernelsHorizontal, ZeroCountWritesNothing) {
  GuardedBlock row(8);
  GuardedBlock out(0, 5);
  for (const ScalingKernels* k : {&ScalarKernels().scaling, &Sse2Kernels().scaling}) {
    k->horizontalStep(row.as<std::uint32_t>(), nullptr, 0, out.data(), {true, 0});
    k->verticalStep(row.data(), 0, 100, 0, nullptr, {true, 0});
  }
  EXPECT_TRUE(out.GuardsIntact());
}

// ---- Whole scaling calls under both kernel choices ----------------------------

struct ScaleCase {
  Size srcSize;
  Rect srcRect;
  Size dstSize;
  Rect dstRect;
  bool protect;
  std::size_t srcOffset;
  std::size_t dstOffset;
  Bias bias;
};

std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

std::ostream& operator<<(std::ostream& out, const ScaleCase& c) {
  return out << "source " << c.srcSize.width << "x" << c.srcSize.height << " rect " << c.srcRect
             << " destination " << c.dstSize.width << "x" << c.dstSize.height << " rect "
             << c.dstRect << " protect " << c.protect << " offsets " << c.srcOffset << "/"
             << c.dstOffset << " bias " << BiasName(c.bias);
}

// An extent of 1 now and then, else up to `most`.
std::int32_t RandomExtent(TestRng& rng, std::int32_t most) {
  return rng.Range(0, 5) == 0 ? 1 : rng.Range(1, most);
}

// A rectangle of the given size placed so that it is often partly outside.
Rect RandomPlacement(TestRng& rng, Size within, std::int32_t width, std::int32_t height) {
  const std::int32_t left = rng.Range(-width / 2 - 1, within.width - width / 2);
  const std::int32_t top = rng.Range(-height / 2 - 1, within.height - height / 2);
  return {left, top, left + width, top + height};
}

ScaleCase RandomScaleCase(TestRng& rng, Bias bias) {
  ScaleCase c{};
  c.srcSize = {RandomExtent(rng, 48), RandomExtent(rng, 48)};
  c.dstSize = {RandomExtent(rng, 48), RandomExtent(rng, 48)};
  const bool wholeSource = rng.Range(0, 2) == 0;
  c.srcRect = wholeSource ? Rect{0, 0, c.srcSize.width, c.srcSize.height}
                          : RandomPlacement(rng, c.srcSize, RandomExtent(rng, c.srcSize.width),
                                            RandomExtent(rng, c.srcSize.height));
  c.dstRect = RandomPlacement(rng, c.dstSize, RandomExtent(rng, 90), RandomExtent(rng, 90));
  c.protect = rng.Range(0, 1) == 1;
  c.srcOffset = static_cast<std::size_t>(4 * rng.Range(0, 3));
  c.dstOffset = static_cast<std::size_t>(4 * rng.Range(0, 3));
  c.bias = bias;
  return c;
}

std::vector<std::uint8_t> ScaleWith(KernelChoice choice, const ScaleCase& c,
                                    GuardedBlock& source,
                                    const std::vector<std::uint8_t>& dstStart) {
  SetKernelChoice(choice);
  GuardedBlock destination(dstStart.size(), c.dstOffset);
  std::memcpy(destination.data(), dstStart.data(), dstStart.size());
  ScaledBlend blend;
  blend.Scale(ConstImageView{source.as<std::uint32_t>(), c.srcSize, c.srcRect},
              kScaleFormatBgraBottomUp,
              ImageView{destination.as<std::uint32_t>(), c.dstSize, c.dstRect},
              kScaleFormatBgraBottomUp, kScaleOpacityCopy, kKeyColour, c.protect);
  SetKernelChoice(KernelChoice::Best);
  EXPECT_TRUE(destination.GuardsIntact()) << c;
  return destination.Bytes();
}

TEST(ScalingKernelsScale, BothKernelChoicesScaleAlike) {
  TestRng rng(99);
  int changed = 0;
  for (int round = 0; round < 150; ++round)
    for (Bias bias : kAllBiases) {
      const ScaleCase c = RandomScaleCase(rng, bias);
      GuardedBlock source(4 * static_cast<std::size_t>(c.srcSize.width) * c.srcSize.height,
                          c.srcOffset);
      FillPixels(source, rng, bias, c.protect);
      const std::vector<std::uint8_t> sourceBefore = source.Bytes();
      std::vector<std::uint8_t> start(4 * static_cast<std::size_t>(c.dstSize.width) *
                                      c.dstSize.height);
      FillBytes(start.data(), start.size(), rng);

      const auto scalar = ScaleWith(KernelChoice::ScalarOnly, c, source, start);
      const auto best = ScaleWith(KernelChoice::Best, c, source, start);
      ASSERT_EQ(scalar, best) << c;
      ASSERT_TRUE(source.GuardsIntact()) << c;
      ASSERT_EQ(source.Bytes(), sourceBefore) << c;
      changed += scalar != start;
    }
  EXPECT_GT(changed, 400);  // most cases overlap their destinations
}

}  // namespace
}  // namespace kestrimo
