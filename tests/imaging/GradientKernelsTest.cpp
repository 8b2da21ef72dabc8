// The SSE2 twins of the logo finder's row sums against their scalar
// references: every count up to 40 and long rows, odd offsets, bytes drawn
// from the ends of the range and from {0, 1, 127, 128, 250..255}, steps from
// 0 to 255, and counts that start near 255.
#include "imaging/GradientKernels.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/Kernels.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::Bias;
using testing::FillBytes;
using testing::GuardedBlock;
using testing::TestRng;

std::vector<std::int32_t> Counts() {
  std::vector<std::int32_t> counts;
  for (std::int32_t n = 0; n <= 40; ++n) counts.push_back(n);
  for (std::int32_t n : {255, 256, 721, 1201}) counts.push_back(n);
  return counts;
}

// Bytes of the edge set, or of the given bias.
void FillSamples(std::uint8_t* data, std::int32_t count, TestRng& rng, int kind) {
  static constexpr std::uint8_t kEdges[] = {0, 1, 127, 128, 250, 251, 252, 253, 254, 255};
  if (kind < 4) {
    FillBytes(data, static_cast<std::size_t>(count), rng, testing::kAllBiases[kind]);
    return;
  }
  for (std::int32_t i = 0; i < count; ++i) data[i] = kEdges[rng.Range(0, 9)];
}

struct Buffers {
  // Bytes at any offset; the 32-bit sums aligned, as in the statistics' arrays.
  Buffers(std::int32_t n, std::size_t offset)
      : from(n, offset), to(n, offset + 1), sums(4 * n, offset & ~std::size_t{3}),
        rising(n, offset), falling(n, offset + 3), values(4 * n, offset & ~std::size_t{3}),
        squares(4 * n, (offset + 4) & ~std::size_t{3}) {}
  GuardedBlock from, to, sums, rising, falling, values, squares;
  bool Intact() const {
    for (const GuardedBlock* b : {&from, &to, &sums, &rising, &falling, &values, &squares}) {
      if (!b->GuardsIntact()) return false;
    }
    return true;
  }
};

TEST(GradientKernels, Sse2TwinsEqualTheirReferences) {
  const GradientKernels& scalar = ScalarKernels().gradient;
  const GradientKernels& twin = Sse2Kernels().gradient;
  if (twin.sumSteps == scalar.sumSteps) GTEST_SKIP() << "no SSE2 on this processor";
  TestRng rng;
  for (std::int32_t n : Counts()) {
    for (int kind = 0; kind < 5; ++kind) {
      const std::size_t offset = static_cast<std::size_t>(rng.Range(0, 15));
      const std::int32_t step = kind == 4 ? rng.Range(250, 255) : rng.Range(0, 12) * (kind + 1);
      Buffers a(n, offset), b(n, offset);
      FillSamples(a.from.data(), n, rng, kind);
      FillSamples(a.to.data(), n, rng, kind);
      for (GuardedBlock* block : {&a.sums, &a.values, &a.squares}) FillBytes(block->data(), block->size(), rng);
      for (GuardedBlock* block : {&a.rising, &a.falling}) FillBytes(block->data(), block->size(), rng, Bias::High);
      b = a;
      scalar.sumSteps(a.from.data(), a.to.data(), n, step, a.sums.as<std::int32_t>(),
                      a.rising.data(), a.falling.data());
      twin.sumSteps(b.from.data(), b.to.data(), n, step, b.sums.as<std::int32_t>(),
                    b.rising.data(), b.falling.data());
      scalar.sumValues(a.from.data(), n, a.values.as<std::uint32_t>(),
                       kind % 2 ? nullptr : a.squares.as<std::uint32_t>());
      twin.sumValues(b.from.data(), n, b.values.as<std::uint32_t>(),
                     kind % 2 ? nullptr : b.squares.as<std::uint32_t>());
      const auto where = ::testing::Message() << "count " << n << " kind " << kind << " step " << step;
      EXPECT_EQ(a.sums.Bytes(), b.sums.Bytes()) << where;
      EXPECT_EQ(a.rising.Bytes(), b.rising.Bytes()) << where;
      EXPECT_EQ(a.falling.Bytes(), b.falling.Bytes()) << where;
      EXPECT_EQ(a.values.Bytes(), b.values.Bytes()) << where;
      EXPECT_EQ(a.squares.Bytes(), b.squares.Bytes()) << where;
      EXPECT_TRUE(a.Intact() && b.Intact()) << where;
    }
  }
}

}  // namespace
}  // namespace kestrimo
