// The SSE2 and AVX2 motion passes against the scalar references: every
// length up to 64 and long rows, blocks of every width up to 64 and the
// largest block, odd offsets and strides, bytes at the edge values (the
// largest differences), guard bytes around every buffer and inputs left
// as they were.
#include "imaging/MotionKernels.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/Kernels.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::GuardedBlock;
using testing::TestRng;

std::vector<std::int32_t> TestLengths() {
  std::vector<std::int32_t> lengths;
  for (std::int32_t n = 0; n <= 64; ++n) lengths.push_back(n);
  for (std::int32_t n : {100, 333, 721, 1920}) lengths.push_back(n);
  return lengths;
}

std::uint8_t TestByte(TestRng& rng) {
  constexpr std::uint8_t kEdges[] = {0, 1, 127, 128, 254, 255};
  return rng.Range(0, 2) == 0 ? kEdges[rng.Range(0, 5)] : rng.Byte();
}

void Fill(GuardedBlock& block, TestRng& rng) {
  for (std::size_t i = 0; i < block.size(); ++i) block.data()[i] = TestByte(rng);
}

std::vector<std::pair<const char*, const MotionKernels*>> Twins() {
  std::vector<std::pair<const char*, const MotionKernels*>> twins{{"sse2", &Sse2Kernels().motion}};
  if (CpuHasAvx2()) twins.push_back({"avx2", &Avx2Kernels().motion});
  return twins;
}

// Key samples every 2 bytes (YUY2, which the twins take), every 3 (BGR)
// and one byte apart; and halved rows.
TEST(MotionKernelsTest, KeyAndHalvedRowsEqualTheReference) {
  TestRng rng;
  for (const std::int32_t count : TestLengths()) {
    const std::size_t n = static_cast<std::size_t>(count);
    for (const std::int32_t step : {2, 3, 1, 0}) {  // 0: the halving pass
      const bool halving = step == 0;
      GuardedBlock above(halving ? 2 * n : n * static_cast<std::size_t>(step), n % 3);
      GuardedBlock below(2 * n, 1);
      Fill(above, rng);
      Fill(below, rng);
      const auto before = above.Bytes();
      const auto run = [&](const MotionKernels& k, GuardedBlock& out) {
        if (halving)
          k.halveRow(above.data(), below.data(), count, out.data());
        else
          k.keyRow(above.data(), step, count, out.data());
      };
      GuardedBlock reference(n, 0);
      run(ScalarKernels().motion, reference);
      for (const auto& [level, twin] : Twins()) {
        GuardedBlock out(n, 3);
        run(*twin, out);
        const std::string what = std::string(level) + (halving ? " halving" : " step ") +
                                 std::to_string(step) + " length " + std::to_string(count);
        ASSERT_EQ(out.Bytes(), reference.Bytes()) << what;
        ASSERT_TRUE(out.GuardsIntact()) << what;
      }
      ASSERT_TRUE(above.GuardsIntact() && below.GuardsIntact());
      ASSERT_EQ(above.Bytes(), before);
    }
  }
}

// Sums of absolute and squared differences over blocks of every width up
// to 64 and 1 to 17 rows, in planes of odd strides, and the largest
// blocks: all 255 against all 0, where every lane holds its most.
TEST(MotionKernelsTest, BlockSumsEqualTheReference) {
  TestRng rng;
  struct Shape {
    std::int32_t width, rows;
  };
  std::vector<Shape> shapes;
  for (std::int32_t width = 0; width <= 64; ++width) shapes.push_back({width, 1 + width % 17});
  for (const std::int32_t rows : {1, 2, 15, 16, 17}) shapes.push_back({16, rows});
  shapes.push_back({256, kMotionMaxBlockPixels / 256});
  shapes.push_back({4096, kMotionMaxBlockPixels / 4096});
  for (const bool extreme : {false, true}) {
    for (const Shape shape : shapes) {
      const std::int32_t aStride = shape.width + rng.Range(0, 5);
      const std::int32_t bStride = shape.width + 1 + rng.Range(0, 40);
      GuardedBlock a(static_cast<std::size_t>(aStride) * static_cast<std::size_t>(shape.rows), 1);
      GuardedBlock b(static_cast<std::size_t>(bStride) * static_cast<std::size_t>(shape.rows), 6);
      Fill(a, rng);
      Fill(b, rng);
      if (extreme) {
        for (std::size_t i = 0; i < a.size(); ++i) a.data()[i] = 255;
        for (std::size_t i = 0; i < b.size(); ++i) b.data()[i] = 0;
      }
      const auto beforeA = a.Bytes(), beforeB = b.Bytes();
      const auto run = [&](const MotionKernels& k) {
        return std::pair{k.blockSad(a.data(), aStride, b.data(), bStride, shape.width, shape.rows),
                         k.blockSsd(a.data(), aStride, b.data(), bStride, shape.width, shape.rows)};
      };
      const auto reference = run(ScalarKernels().motion);
      for (const auto& [level, twin] : Twins()) {
        const auto sums = run(*twin);
        const std::string what = std::string(level) + " width " + std::to_string(shape.width) +
                                 " rows " + std::to_string(shape.rows) + " strides " +
                                 std::to_string(aStride) + "/" + std::to_string(bStride);
        ASSERT_EQ(sums.first, reference.first) << what << " (absolute)";
        ASSERT_EQ(sums.second, reference.second) << what << " (squared)";
      }
      ASSERT_TRUE(a.GuardsIntact() && b.GuardsIntact());
      ASSERT_EQ(a.Bytes(), beforeA);
      ASSERT_EQ(b.Bytes(), beforeB);
    }
  }
}

}  // namespace
}  // namespace kestrimo
