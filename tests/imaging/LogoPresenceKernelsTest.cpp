// The SSE2 and AVX2 presence passes against the scalar references: every
// length up to 64 and long runs up to the longest row, odd offsets, bytes
// at the edge values (the largest products and gradients), guard bytes
// around every buffer and inputs left as they were.
#include "imaging/LogoPresenceKernels.h"

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
  for (std::int32_t n : {100, 333, 721, 1199, kPresenceMaxRow}) lengths.push_back(n);
  return lengths;
}

std::uint8_t TestByte(TestRng& rng) {
  constexpr std::uint8_t kEdges[] = {0, 1, 127, 128, 254, 255};
  return rng.Range(0, 2) == 0 ? kEdges[rng.Range(0, 5)] : rng.Byte();
}

std::vector<std::pair<const char*, const LogoPresenceKernels*>> Twins() {
  std::vector<std::pair<const char*, const LogoPresenceKernels*>> twins{
      {"sse2", &Sse2Kernels().logoPresence}};
  if (CpuHasAvx2()) twins.push_back({"avx2", &Avx2Kernels().logoPresence});
  return twins;
}

// Key samples read where they lie: every 2 and 4 bytes (YUY2, which the
// twins take), every 3 and 4 (BGR), and one byte apart.
TEST(LogoPresenceKernelsTest, DifferenceRowsEqualTheReference) {
  TestRng rng;
  for (const auto [shownStep, fillStep] : {std::pair{2, 4}, std::pair{3, 4}, std::pair{1, 1}}) {
    for (const std::int32_t count : TestLengths()) {
      const std::size_t n = static_cast<std::size_t>(count);
      const std::size_t offset = static_cast<std::size_t>(count % 3);
      GuardedBlock inputs[4] = {GuardedBlock(n * static_cast<std::size_t>(shownStep), offset),
                                GuardedBlock(n * static_cast<std::size_t>(fillStep), offset + 1),
                                GuardedBlock(n, 0), GuardedBlock(n, 3)};
      for (GuardedBlock& input : inputs)
        for (std::size_t i = 0; i < input.size(); ++i) input.data()[i] = TestByte(rng);
      const auto before = inputs[0].Bytes();
      const auto run = [&](const LogoPresenceKernels& k, GuardedBlock& d, GuardedBlock& e) {
        k.differenceRow(inputs[0].data(), shownStep, inputs[1].data(), fillStep, inputs[2].data(),
                        inputs[3].data(), count, d.as<std::int16_t>(), e.as<std::int16_t>());
      };
      GuardedBlock d(2 * n, 2), e(2 * n, 0);
      run(ScalarKernels().logoPresence, d, e);
      for (const auto& [level, twin] : Twins()) {
        GuardedBlock twinD(2 * n, 0), twinE(2 * n, 2);
        run(*twin, twinD, twinE);
        const std::string what = std::string(level) + " steps " + std::to_string(shownStep) +
                                 "/" + std::to_string(fillStep) + " length " +
                                 std::to_string(count);
        ASSERT_EQ(twinD.Bytes(), d.Bytes()) << what;
        ASSERT_EQ(twinE.Bytes(), e.Bytes()) << what;
        ASSERT_TRUE(twinD.GuardsIntact() && twinE.GuardsIntact()) << what;
      }
      for (const GuardedBlock& input : inputs) ASSERT_TRUE(input.GuardsIntact());
      ASSERT_EQ(inputs[0].Bytes(), before);
    }
  }
}

// Rows of differences and expectations as the difference pass writes
// them (one column more on each side), from random and edge bytes.
TEST(LogoPresenceKernelsTest, GradientSumsEqualTheReference) {
  TestRng rng;
  for (const std::int32_t count : TestLengths()) {
    const std::size_t n = static_cast<std::size_t>(count) + 2;
    std::vector<GuardedBlock> rows;
    for (int r = 0; r < 6; ++r) {
      rows.emplace_back(2 * n, static_cast<std::size_t>(2 * (r % 2)));
      auto* values = rows.back().as<std::int16_t>();
      for (std::size_t i = 0; i < n; ++i) {
        const int s = TestByte(rng), w = TestByte(rng), a = TestByte(rng), l = TestByte(rng);
        values[i] = static_cast<std::int16_t>(r < 3 ? s - w : (a * (l - w)) >> 8);
      }
    }
    const std::vector<std::vector<std::uint8_t>> before = [&] {
      std::vector<std::vector<std::uint8_t>> bytes;
      for (const GuardedBlock& row : rows) bytes.push_back(row.Bytes());
      return bytes;
    }();
    const auto run = [&](const LogoPresenceKernels& k) {
      PresenceSums sums{7, -3};  // the sums are added to
      const auto at = [&](int r) { return rows[static_cast<std::size_t>(r)].as<std::int16_t>() + 1; };
      k.sumRow(at(0), at(1), at(2), at(3), at(4), at(5), count, &sums);
      return sums;
    };
    const PresenceSums reference = run(ScalarKernels().logoPresence);
    for (const auto& [level, twin] : Twins()) {
      const PresenceSums sums = run(*twin);
      ASSERT_EQ(sums.match, reference.match) << level << " length " << count;
      ASSERT_EQ(sums.energy, reference.energy) << level << " length " << count;
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
      ASSERT_TRUE(rows[r].GuardsIntact()) << "row " << r << " length " << count;
      ASSERT_EQ(rows[r].Bytes(), before[r]) << "row " << r << " length " << count;
    }
  }
}

}  // namespace
}  // namespace kestrimo
