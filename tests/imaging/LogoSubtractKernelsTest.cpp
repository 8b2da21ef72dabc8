// The SSE2 and AVX2 logo subtraction rows against the scalar reference: every
// length up to 64 and long runs, odd offsets, samples at the edge values,
// coefficients from the plausible range and from the extremes of 16 bits.
#include "imaging/LogoSubtractKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/Kernels.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::GuardedBlock;
using testing::TestRng;

constexpr std::uint8_t kEdgeSamples[] = {0, 1, 127, 128, 250, 251, 252, 253, 254, 255};

std::vector<std::int32_t> TestLengths() {
  std::vector<std::int32_t> lengths;
  for (std::int32_t n = 0; n <= 64; ++n) lengths.push_back(n);
  for (std::int32_t n : {100, 333, 721, 1199, 1200}) lengths.push_back(n);
  return lengths;
}

void FillSamples(std::uint8_t* samples, std::int32_t count, TestRng& rng) {
  for (std::int32_t i = 0; i < count; ++i)
    samples[i] = rng.Range(0, 2) == 0 ? kEdgeSamples[rng.Range(0, 9)] : rng.Byte();
}

// Plausible pairs (opacity below 15/16, any colour), the identity, and any
// 16-bit values at all, which must give the same clamped bytes too.
SubtractCoefficient RandomCoefficient(TestRng& rng) {
  switch (rng.Range(0, 3)) {
    case 0: return SubtractPair(kSubtractUnitGain, 0);
    case 1: {
      const std::int32_t through = rng.Range(17, 255);  // 1 - opacity, of 255
      const std::int32_t colour = rng.Range(0, 255);
      return SubtractPair(4096 * 255 / through, -16 * colour * (255 - through) / through);
    }
    case 2: {
      const std::int16_t extremes[] = {-32768, -1, 0, 1, 32767};
      return {extremes[rng.Range(0, 4)], extremes[rng.Range(0, 4)]};
    }
    default:
      return {static_cast<std::int16_t>(rng.Next()), static_cast<std::int16_t>(rng.Next())};
  }
}

TEST(LogoSubtractKernelsTest, TwinsEqualTheReference) {
  TestRng rng;
  std::vector<const LogoSubtractKernels*> twins{&Sse2Kernels().logoSubtract};
  if (CpuHasAvx2()) twins.push_back(&Avx2Kernels().logoSubtract);
  for (const std::int32_t count : TestLengths()) {
    for (std::size_t sampleOffset = 0; sampleOffset < 4; ++sampleOffset) {
      const std::size_t coefficientOffset = 4 * (sampleOffset % 3);
      const std::size_t bytes = static_cast<std::size_t>(count);
      GuardedBlock reference(bytes, sampleOffset), twinSamples(bytes, sampleOffset);
      GuardedBlock coefficients(4 * bytes, coefficientOffset);
      FillSamples(reference.data(), count, rng);
      auto* c = coefficients.as<SubtractCoefficient>();
      for (std::int32_t i = 0; i < count; ++i) c[i] = RandomCoefficient(rng);
      const auto before = reference.Bytes();
      const auto coefficientsBefore = coefficients.Bytes();
      ScalarKernels().logoSubtract.subtractRow(reference.data(), c, count);
      for (const LogoSubtractKernels* twin : twins) {
        std::copy(before.begin(), before.end(), twinSamples.data());  // length 0 included
        twin->subtractRow(twinSamples.data(), c, count);
        const char* level = twin == &Sse2Kernels().logoSubtract ? "sse2" : "avx2";
        ASSERT_EQ(reference.Bytes(), twinSamples.Bytes())
            << level << " length " << count << " offsets " << sampleOffset << "/" << coefficientOffset;
        ASSERT_TRUE(reference.GuardsIntact() && twinSamples.GuardsIntact() &&
                    coefficients.GuardsIntact())
            << level << " length " << count;
        ASSERT_EQ(coefficients.Bytes(), coefficientsBefore) << level;
      }
    }
  }
}

// What the reference computes: (s - a L) / (1 - a), rounded and clamped.
// Near opaque the gain and the offset pass 16 bits, and the stored pairs
// hold them still.
TEST(LogoSubtractKernelsTest, ReferenceTakesTheLogoOut) {
  struct Case {
    std::uint8_t sample;
    SubtractCoefficient c;
    std::uint8_t clean;
  } cases[] = {
      {150, SubtractPair(8192, -16 * 200), 100},      // a 1/2, L 200: (150 - 100) * 2
      {77, SubtractPair(kSubtractUnitGain, 0), 77},   // identity
      {255, SubtractPair(8192, 0), 255},              // clamped above
      {10, SubtractPair(8192, -16 * 200), 0},         // clamped below
      {200, SubtractPair(5461, -16 * 50), 217},       // a 1/4, L 150: 266.67 - 50 = 216.67
      {242, SubtractPair(49737, -45462), 97},         // a 234/255, L 255, picture 100
      {20, SubtractPair(49737, 0), 243},              // a 234/255, L 0, picture 242.9
  };
  for (const Case& k : cases) {
    std::uint8_t s = k.sample;
    ScalarKernels().logoSubtract.subtractRow(&s, &k.c, 1);
    EXPECT_EQ(s, k.clean) << int{k.sample} << " gain " << k.c.gain << " offset " << k.c.offset;
  }
}

}  // namespace
}  // namespace kestrimo
