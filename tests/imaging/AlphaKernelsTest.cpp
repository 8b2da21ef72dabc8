// The SSE2 and AVX2 alpha and colour-key rows against their scalar references, at
// every width up to 64 and some longer rows, odd offsets, all biases, with
// key and near-key pixels mixed in.
#include "imaging/AlphaKernels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/Kernels.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::Bias;
using testing::BiasName;
using testing::FillBytes;
using testing::GuardedBlock;
using testing::kAllBiases;
using testing::TestRng;

std::vector<std::int32_t> TestWidths() {
  std::vector<std::int32_t> widths;
  for (std::int32_t w = 1; w <= 64; ++w) widths.push_back(w);
  for (std::int32_t w : {100, 333, 720}) widths.push_back(w);
  return widths;
}

// Replaces about a third of the pixels by the key (0x00RRGGBB) under some
// alpha, or by the key one bit off, or by an alpha-0 pixel.
void MixInKeys(std::uint8_t* row, std::int32_t count, std::uint32_t key, TestRng& rng) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint32_t alpha = std::uint32_t{rng.Byte()} << 24;
    switch (rng.Range(0, 8)) {
      case 0: StorePixel32(row + 4 * i, key | 0xFF000000u); break;
      case 1: StorePixel32(row + 4 * i, key | alpha); break;
      case 2: StorePixel32(row + 4 * i, (key ^ (1u << rng.Range(0, 23))) | 0xFF000000u); break;
      case 3: StorePixel32(row + 4 * i, LoadPixel32(row + 4 * i) & 0x00FFFFFF); break;
      default: break;
    }
  }
}

// One row call on both tables: `call(kernels, source, destination, width)`.
// The destination starts equal for both; the source is shared and must not
// change.
struct RowCase {
  std::int32_t width;
  std::size_t srcOffset;
  std::size_t dstOffset;
  Bias bias;
  std::uint32_t key;
};

template <typename Call>
void CompareRow(const RowCase& row, TestRng& rng, Call call) {
  const std::size_t bytes = static_cast<std::size_t>(row.width) * 4;
  GuardedBlock src(bytes, row.srcOffset), a(bytes, row.dstOffset), b(bytes, row.dstOffset);
  FillBytes(src.data(), bytes, rng, row.bias);
  FillBytes(a.data(), bytes, rng, row.bias);
  MixInKeys(src.data(), row.width, row.key, rng);
  MixInKeys(a.data(), row.width, row.key, rng);
  std::memcpy(b.data(), a.data(), bytes);
  const auto srcBefore = src.Bytes();
  const auto destBefore = a.Bytes();
  call(ScalarKernels().alpha, src.data(), a.data(), row.width);
  std::vector<const AlphaKernels*> twins{&Sse2Kernels().alpha};
  if (CpuHasAvx2()) twins.push_back(&Avx2Kernels().alpha);
  for (const AlphaKernels* twin : twins) {
    std::memcpy(b.data(), destBefore.data(), bytes);
    call(*twin, src.data(), b.data(), row.width);
    const char* level = twin == &Sse2Kernels().alpha ? "sse2" : "avx2";
    ASSERT_EQ(a.Bytes(), b.Bytes()) << level << " width " << row.width << " offsets "
                                    << row.srcOffset << "/" << row.dstOffset << " bias "
                                    << BiasName(row.bias) << " key " << std::hex << row.key;
    ASSERT_TRUE(src.GuardsIntact() && a.GuardsIntact() && b.GuardsIntact())
        << level << " width " << row.width;
    ASSERT_EQ(src.Bytes(), srcBefore) << level << " width " << row.width;
  }
}

class AlphaKernelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CpuHasSse2()) GTEST_SKIP() << "no SSE2";
  }
  // Runs `call` over every width, bias and a walk of offsets and keys.
  template <typename Call>
  void ForAllRows(Call call) {
    TestRng rng;
    int n = 0;
    for (std::int32_t width : TestWidths())
      for (Bias bias : kAllBiases) {
        const RowCase row{width, static_cast<std::size_t>(n % 16),
                          static_cast<std::size_t>((n * 7 + 3) % 16), bias,
                          n % 3 == 0 ? 0x000080FFu : rng.Next() & 0x00FFFFFF};
        ++n;
        CompareRow(row, rng, [&](const AlphaKernels& k, const std::uint8_t* s, std::uint8_t* d,
                                 std::int32_t w) { call(k, s, d, w, row.key); });
        if (HasFatalFailure()) return;
      }
  }
};

TEST_F(AlphaKernelsTest, TableInUseFollowsTheKernelChoice) {
  SetKernelChoice(KernelChoice::ScalarOnly);
  EXPECT_EQ(&KernelsInUse().alpha, &ScalarKernels().alpha);
  SetKernelChoice(KernelChoice::Sse2Only);
  EXPECT_EQ(&KernelsInUse().alpha, &Sse2Kernels().alpha);
  SetKernelChoice(KernelChoice::Best);
  EXPECT_EQ(&KernelsInUse().alpha, CpuHasAvx2() ? &Avx2Kernels().alpha : &Sse2Kernels().alpha);
}

TEST_F(AlphaKernelsTest, CopyAlphaToByte2) {
  ForAllRows([](const AlphaKernels& k, const std::uint8_t* s, std::uint8_t* d, std::int32_t w,
                std::uint32_t) { k.copyAlphaToByte2(s, d, w); });
}

TEST_F(AlphaKernelsTest, CopyAlphaToByte3) {
  ForAllRows([](const AlphaKernels& k, const std::uint8_t* s, std::uint8_t* d, std::int32_t w,
                std::uint32_t) { k.copyAlphaToByte3(s, d, w); });
}

TEST_F(AlphaKernelsTest, SetAlphaOutsideKey) {
  for (std::uint8_t alpha : {0, 1, 128, 255}) {
    ForAllRows([alpha](const AlphaKernels& k, const std::uint8_t*, std::uint8_t* d, std::int32_t w,
                       std::uint32_t key) { k.setAlphaOutsideKey(d, w, key, alpha); });
  }
}

TEST_F(AlphaKernelsTest, RecolourVisible) {
  ForAllRows([](const AlphaKernels& k, const std::uint8_t*, std::uint8_t* d, std::int32_t w,
                std::uint32_t key) { k.recolourVisible(d, w, key); });
}

TEST_F(AlphaKernelsTest, StampKey) {
  for (bool invert : {false, true}) {
    ForAllRows([invert](const AlphaKernels& k, const std::uint8_t* s, std::uint8_t* d,
                        std::int32_t w, std::uint32_t key) { k.stampKey(s, d, w, key | 0xFF000000u, invert); });
  }
}

}  // namespace
}  // namespace kestrimo
