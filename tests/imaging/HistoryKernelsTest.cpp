// The SSE2 (and AVX2 set's) history passes against the scalar references:
// rows of every length up to 40 and a long one, ages with no history
// nowhere, somewhere and everywhere (and ages at the limit), source points
// inside and outside the rows, on whole pixels and between them, missing
// rows, guard bytes around every output.
#include "imaging/HistoryKernels.h"

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

std::vector<std::pair<const char*, const HistoryKernels*>> Twins() {
  std::vector<std::pair<const char*, const HistoryKernels*>> twins{{"sse2", &Sse2Kernels().history}};
  if (CpuHasAvx2()) twins.push_back({"avx2", &Avx2Kernels().history});
  return twins;
}

// Ages: kNoHistory with the given chance in 4, else young or near the limit.
void FillAges(std::uint8_t* ages, std::size_t n, TestRng& rng, int noneIn4) {
  for (std::size_t i = 0; i < n; ++i)
    ages[i] = rng.Range(0, 3) < noneIn4 ? kNoHistory
                                        : static_cast<std::uint8_t>(rng.Range(0, 1) ? rng.Range(0, 5)
                                                                                    : rng.Range(95, 120));
}

TEST(HistoryKernelsTest, MixRowEqualsTheReference) {
  TestRng rng;
  const HistoryKernels& scalar = ScalarKernels().history;
  for (std::int32_t count = 0; count <= 41; ++count) {
    const std::int32_t n = count == 41 ? 333 : count;
    for (int noneIn4 = 0; noneIn4 <= 4; ++noneIn4) {
      SCOPED_TRACE("count " + std::to_string(n) + " none " + std::to_string(noneIn4));
      std::vector<std::uint8_t> ageRows[3];
      for (auto& row : ageRows) {
        row.resize(static_cast<std::size_t>(n) + 2);
        FillAges(row.data(), row.size(), rng, noneIn4);
      }
      const std::uint8_t* const ages[3] = {ageRows[0].data() + 1, ageRows[1].data() + 1,
                                           ageRows[2].data() + 1};
      GuardedBlock history(4 * static_cast<std::size_t>(n), 4), work(4 * static_cast<std::size_t>(n), 8);
      testing::FillBytes(history.data(), history.size(), rng, testing::Bias::Ends);
      testing::FillBytes(work.data(), work.size(), rng, testing::Bias::Ends);
      const auto start = work.Bytes();
      scalar.mixRow(history.as<std::uint32_t>(), ages, n, work.as<std::uint32_t>());
      const auto want = work.Bytes();
      for (const auto& [name, twin] : Twins()) {
        std::copy(start.begin(), start.end(), work.data());
        twin->mixRow(history.as<std::uint32_t>(), ages, n, work.as<std::uint32_t>());
        EXPECT_EQ(work.Bytes(), want) << name;
        EXPECT_TRUE(work.GuardsIntact()) << name;
      }
    }
  }
}

// A hidden pixel that no point of the history reached keeps the frame's own
// bytes (the logo) in the history: however many neighbours hold a value,
// the fill stays there.
TEST(HistoryKernelsTest, MixRowLeavesAPixelWithoutAValueOfItsOwn) {
  constexpr std::int32_t kCount = 10, kLost = 5;  // a whole SSE2 block and a tail
  std::vector<std::uint8_t> rows[3];
  for (auto& row : rows) row.assign(kCount + 2, 0);
  rows[1][1 + kLost] = kNoHistory;
  const std::uint8_t* const ages[3] = {rows[0].data() + 1, rows[1].data() + 1, rows[2].data() + 1};
  const std::vector<std::uint32_t> history(kCount, 0xF0F0F0F0u);
  auto sets = Twins();
  sets.insert(sets.begin(), {"scalar", &ScalarKernels().history});
  for (const auto& [name, kernels] : sets) {
    std::vector<std::uint32_t> work(kCount, 0x10101010u);
    kernels->mixRow(history.data(), ages, kCount, work.data());
    EXPECT_EQ(work[kLost], 0x10101010u) << name;
    EXPECT_NE(work[kLost - 1], 0x10101010u) << name;
  }
}

TEST(HistoryKernelsTest, CarryRowEqualsTheReference) {
  TestRng rng;
  const HistoryKernels& scalar = ScalarKernels().history;
  for (int trial = 0; trial < 3000; ++trial) {
    const std::int32_t width = rng.Range(2, 90), count = trial % 50 == 0 ? 400 : rng.Range(0, 60);
    std::vector<std::uint32_t> above(width), below(width);
    for (auto* row : {&above, &below})
      testing::FillBytes(row->data(), 4 * row->size(), rng, testing::Bias::Ends);
    std::vector<std::uint8_t> aboveAges(width), belowAges(width), hidden(count);
    const int noneIn4 = rng.Range(0, 4);
    FillAges(aboveAges.data(), aboveAges.size(), rng, noneIn4);
    FillAges(belowAges.data(), belowAges.size(), rng, noneIn4);
    for (auto& h : hidden) h = rng.Range(0, 5) != 0;
    HistorySource s{};
    const int missing = rng.Range(0, 9);
    s.above = missing == 1 ? nullptr : above.data();
    s.below = missing == 2 ? nullptr : below.data();
    s.aboveAges = aboveAges.data();
    s.belowAges = belowAges.data();
    s.down = rng.Range(0, 3) == 0 ? 0 : rng.Range(0, 255);
    s.width = width;
    // Zooms about 3 % each way, whole and fractional; sources from before
    // the row's start to past its end.
    const std::int32_t zoom = rng.Range(0, 3) == 0 ? 65536 : rng.Range(63500, 67600);
    s.step = 2 * zoom;
    s.start = zoom * rng.Range(-2 * count, 2);
    s.origin = rng.Range(-4 * 256, (width + 4) * 256);
    if (rng.Range(0, 3) == 0) s.origin &= ~255;
    const std::int32_t maxAge = rng.Range(0, 3) == 0 ? 100 : rng.Range(1, 254);
    SCOPED_TRACE("trial " + std::to_string(trial));
    GuardedBlock values(4 * static_cast<std::size_t>(count), 4), ages(count, 3);
    testing::FillBytes(values.data(), values.size(), rng);
    testing::FillBytes(ages.data(), ages.size(), rng);
    const auto startValues = values.Bytes(), startAges = ages.Bytes();
    scalar.carryRow(s, hidden.data(), count, maxAge, values.as<std::uint32_t>(), ages.data());
    const auto wantValues = values.Bytes(), wantAges = ages.Bytes();
    for (const auto& [name, twin] : Twins()) {
      std::copy(startValues.begin(), startValues.end(), values.data());
      std::copy(startAges.begin(), startAges.end(), ages.data());
      twin->carryRow(s, hidden.data(), count, maxAge, values.as<std::uint32_t>(), ages.data());
      ASSERT_EQ(values.Bytes(), wantValues) << name;
      ASSERT_EQ(ages.Bytes(), wantAges) << name;
      EXPECT_TRUE(values.GuardsIntact() && ages.GuardsIntact()) << name;
    }
  }
}

}  // namespace
}  // namespace kestrimo
