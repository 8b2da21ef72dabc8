#include "imaging/BlurKernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/BlurFilter.h"
#include "imaging/CpuFeatures.h"
#include "imaging/Kernels.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::Bias;
using testing::BiasName;
using testing::GuardedBlock;
using testing::kAllBiases;
using testing::TestRng;

// How the random kernel weights are drawn.
enum class Weights { Gaussian, Random, Wild };
const char* WeightsName(Weights w) {
  return w == Weights::Gaussian ? "gaussian" : w == Weights::Random ? "random" : "wild";
}

float RandomFloat(TestRng& rng, float low, float high) {
  return low + (high - low) * static_cast<float>(rng.Next() >> 8) / 16777216.0f;
}

// Kernels are kept as plain floats (four per entry) and copied into aligned
// guarded blocks for each call: a vector of over-aligned entries is not
// reliably 16-byte aligned by the 32-bit Windows heap.
using KernelFloats = std::vector<float>;

GuardedBlock AlignedCopy(const void* data, std::size_t bytes) {
  GuardedBlock block(bytes, 0);
  std::memcpy(block.data(), data, bytes);
  return block;
}

// Gaussian: a real kernel for a random width (radius then follows the width).
// Random: positive weights summing to about 1. Wild: large weights of both
// signs, which drive the sums past both saturation limits.
KernelFloats MakeKernel(TestRng& rng, Weights kind, std::int32_t& radius) {
  KernelFloats kernel(256 * 4, 0.0f);
  if (kind == Weights::Gaussian) {
    GuardedBlock block(256 * sizeof(BlurEntry), 0);
    BlurEntry* data = block.as<BlurEntry>();
    std::int32_t capacity = 256;
    float cached = 0.0f;
    BlurFilter::BuildKernel(data, capacity, cached, radius, RandomFloat(rng, 0.0f, 6.0f));
    std::memcpy(kernel.data(), block.data(), block.size());
    return kernel;
  }
  for (std::int32_t j = 0; j <= radius; ++j)
    for (int c = 0; c < 4; ++c)
      kernel[4 * j + c] = kind == Weights::Wild
                              ? RandomFloat(rng, -300.0f, 300.0f)
                              : RandomFloat(rng, 0.0f, 2.0f) / (2 * radius + 1);
  return kernel;
}

struct LineCase {
  std::int32_t count;
  std::int32_t radius;
  std::ptrdiff_t stride;
  std::size_t offset;
  Bias bias;
  Weights weights;
};

std::ostream& operator<<(std::ostream& out, const LineCase& c) {
  return out << "count " << c.count << " radius " << c.radius << " stride " << c.stride
             << " offset " << c.offset << " bias " << BiasName(c.bias) << " weights "
             << WeightsName(c.weights);
}

struct LineRun {
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint8_t> buffer;
};

// Runs one implementation on its own guarded copies of the inputs.
LineRun RunLine(BlurLineFn fn, const LineCase& c, const std::vector<std::uint8_t>& pixels,
                const KernelFloats& kernel) {
  const std::ptrdiff_t step = c.stride < 0 ? -c.stride : c.stride;
  GuardedBlock block(pixels.size(), c.offset);
  std::memcpy(block.data(), pixels.data(), pixels.size());
  GuardedBlock line(std::size_t(c.count + 2 * c.radius) * sizeof(BlurEntry), 0);
  GuardedBlock weights = AlignedCopy(kernel.data(), kernel.size() * sizeof(float));
  auto* first = reinterpret_cast<std::uint32_t*>(block.data());
  if (c.stride < 0) first += step * (c.count - 1);
  fn(first, c.stride, c.count, weights.as<BlurEntry>(), c.radius, line.as<BlurEntry>());
  EXPECT_TRUE(block.GuardsIntact()) << c;
  EXPECT_TRUE(line.GuardsIntact()) << c;
  EXPECT_TRUE(weights.GuardsIntact()) << c;
  EXPECT_EQ(std::memcmp(weights.data(), kernel.data(), weights.size()), 0) << c;
  // Pixels between the line's pixels are not touched.
  for (std::size_t p = 0; p < pixels.size() / 4; ++p) {
    if (p % step == 0) continue;
    EXPECT_EQ(std::memcmp(block.data() + 4 * p, pixels.data() + 4 * p, 4), 0) << c << " @" << p;
  }
  return {block.Bytes(), line.Bytes()};
}

void CompareLine(const LineCase& c, TestRng& rng) {
  std::int32_t radius = c.radius;
  const KernelFloats kernel = MakeKernel(rng, c.weights, radius);
  LineCase actual = c;
  actual.radius = radius;
  const std::ptrdiff_t step = c.stride < 0 ? -c.stride : c.stride;
  std::vector<std::uint8_t> pixels(std::size_t((c.count - 1) * step + 1) * 4);
  testing::FillBytes(pixels.data(), pixels.size(), rng, c.bias);
  const LineRun scalar = RunLine(ScalarKernels().blur.blurLine, actual, pixels, kernel);
  const LineRun sse2 = RunLine(Sse2Kernels().blur.blurLine, actual, pixels, kernel);
  ASSERT_EQ(scalar.pixels, sse2.pixels) << actual;
  ASSERT_EQ(scalar.buffer, sse2.buffer) << actual;
  if (!CpuHasAvx2()) return;
  const LineRun avx2 = RunLine(Avx2Kernels().blur.blurLine, actual, pixels, kernel);
  ASSERT_EQ(scalar.pixels, avx2.pixels) << actual << " (avx2)";
  ASSERT_EQ(scalar.buffer, avx2.buffer) << actual << " (avx2)";
}

// The tables that this processor can run, scalar first.
std::vector<const BlurKernels*> RunnableTables() {
  std::vector<const BlurKernels*> tables{&ScalarKernels().blur};
  if (CpuHasSse2()) tables.push_back(&Sse2Kernels().blur);
  if (CpuHasAvx2()) tables.push_back(&Avx2Kernels().blur);
  return tables;
}

class BlurLineStep : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CpuHasSse2()) GTEST_SKIP() << "no SSE2";
  }
  TestRng rng;
};

TEST_F(BlurLineStep, SmallLinesAllRadiiMatchScalar) {
  int n = 0;
  for (std::int32_t count = 1; count <= 64; ++count)
    for (std::int32_t radius = 0; radius <= 30; ++radius)
      for (std::ptrdiff_t stride : {1, 3, -5}) {
        const LineCase c{count, radius, stride, std::size_t(n % 16), kAllBiases[n % 4],
                         n % 5 == 0 ? Weights::Wild : Weights::Random};
        ++n;
        CompareLine(c, rng);
        if (HasFatalFailure()) return;
      }
}

TEST_F(BlurLineStep, LongLinesAndLargeRadiiMatchScalar) {
  int n = 0;
  for (std::int32_t count : {100, 333, 720, 1001})
    for (std::int32_t radius : {0, 1, 21, 64, 128, 255})
      for (std::ptrdiff_t stride : {1, 37, -40})
        for (Bias bias : kAllBiases) {
          const LineCase c{count, radius, stride, std::size_t(3 * n % 16), bias,
                           n % 3 == 0 ? Weights::Wild : Weights::Random};
          ++n;
          CompareLine(c, rng);
          if (HasFatalFailure()) return;
        }
}

TEST_F(BlurLineStep, GaussianKernelsMatchScalar) {
  for (int n = 0; n < 400; ++n) {
    const LineCase c{rng.Range(1, 200), 0, n % 2 ? 1 : -rng.Range(1, 9), std::size_t(n % 16),
                     kAllBiases[n % 4], Weights::Gaussian};
    CompareLine(c, rng);
    if (HasFatalFailure()) return;
  }
}

// ---- The column step: blocks of neighbouring columns against the line step
// run down each column.

struct ColumnsCase {
  std::int32_t width, count, radius, pitch;  // pitch: pixels per image row
  bool upward;                               // rows run toward lower addresses
  std::int32_t blocks;                       // buffer capacity in column blocks
  std::size_t offset;
  Bias bias;
  Weights weights;
};

std::ostream& operator<<(std::ostream& out, const ColumnsCase& c) {
  return out << "width " << c.width << " count " << c.count << " radius " << c.radius
             << " pitch " << c.pitch << " upward " << c.upward << " blocks " << c.blocks
             << " offset " << c.offset << " bias " << BiasName(c.bias) << " weights "
             << WeightsName(c.weights);
}

std::int32_t Capacity(const ColumnsCase& c) { return (c.count + 2 * c.radius) * c.blocks; }

// The image is `count` rows of `pitch` pixels; the columns start at pixel 1
// of the first row (or of the last, going upward), so pixels on both sides of
// the columns show stray writes.
std::uint32_t* ColumnsTop(GuardedBlock& image, const ColumnsCase& c) {
  auto* pixels = image.as<std::uint32_t>() + 1;
  return c.upward ? pixels + std::ptrdiff_t{c.pitch} * (c.count - 1) : pixels;
}

std::vector<std::uint8_t> RunColumns(BlurColumnsFn fn, const ColumnsCase& c,
                                     const std::vector<std::uint8_t>& pixels,
                                     const KernelFloats& kernel) {
  GuardedBlock image(pixels.size(), c.offset);
  std::memcpy(image.data(), pixels.data(), pixels.size());
  GuardedBlock buffer(std::size_t(Capacity(c)) * sizeof(BlurEntry), 0);
  GuardedBlock weights = AlignedCopy(kernel.data(), kernel.size() * sizeof(float));
  const std::ptrdiff_t down = c.upward ? -c.pitch : c.pitch;
  fn(ColumnsTop(image, c), down, c.width, c.count, weights.as<BlurEntry>(), c.radius,
     buffer.as<BlurEntry>(), Capacity(c));
  EXPECT_TRUE(image.GuardsIntact()) << c;
  EXPECT_TRUE(buffer.GuardsIntact()) << c;
  EXPECT_TRUE(weights.GuardsIntact()) << c;
  EXPECT_EQ(std::memcmp(weights.data(), kernel.data(), weights.size()), 0) << c;
  for (std::size_t p = 0; p < pixels.size() / 4; ++p) {
    const std::size_t column = p % std::size_t(c.pitch);
    if (column >= 1 && column <= std::size_t(c.width)) continue;
    EXPECT_EQ(std::memcmp(image.data() + 4 * p, pixels.data() + 4 * p, 4), 0) << c << " @" << p;
  }
  return image.Bytes();
}

// What the columns must become: the scalar line step down each column.
std::vector<std::uint8_t> LineByLine(const ColumnsCase& c, const std::vector<std::uint8_t>& pixels,
                                     const KernelFloats& kernel) {
  GuardedBlock image(pixels.size(), c.offset);
  std::memcpy(image.data(), pixels.data(), pixels.size());
  GuardedBlock line(std::size_t(c.count + 2 * c.radius) * sizeof(BlurEntry), 0);
  GuardedBlock weights = AlignedCopy(kernel.data(), kernel.size() * sizeof(float));
  const std::ptrdiff_t down = c.upward ? -c.pitch : c.pitch;
  for (std::int32_t x = 0; x < c.width; ++x)
    BlurLineScalar(ColumnsTop(image, c) + x, down, c.count, weights.as<BlurEntry>(), c.radius,
                   line.as<BlurEntry>());
  return image.Bytes();
}

void CompareColumns(const ColumnsCase& c, TestRng& rng) {
  std::int32_t radius = c.radius;
  const KernelFloats kernel = MakeKernel(rng, c.weights, radius);
  ColumnsCase actual = c;
  actual.radius = radius;
  std::vector<std::uint8_t> pixels(std::size_t(c.pitch) * c.count * 4);
  testing::FillBytes(pixels.data(), pixels.size(), rng, c.bias);
  const auto want = LineByLine(actual, pixels, kernel);
  const auto scalar = RunColumns(ScalarKernels().blur.blurColumns, actual, pixels, kernel);
  ASSERT_EQ(scalar, want) << actual << " (scalar)";
  const auto sse2 = RunColumns(Sse2Kernels().blur.blurColumns, actual, pixels, kernel);
  ASSERT_EQ(sse2, want) << actual << " (sse2)";
  if (!CpuHasAvx2()) return;
  const auto avx2 = RunColumns(Avx2Kernels().blur.blurColumns, actual, pixels, kernel);
  ASSERT_EQ(avx2, want) << actual << " (avx2)";
}

TEST_F(BlurLineStep, ColumnBlocksMatchTheLineStep) {
  int n = 0;
  for (std::int32_t width = 1; width <= 19; ++width)
    for (std::int32_t count : {1, 2, 7, 30, 64})
      for (std::int32_t radius : {0, 1, 4, 17, 40})
        for (std::int32_t blocks : {1, 3, 4, 5, 8, 9}) {
          const ColumnsCase c{width, count, radius, width + 2 + n % 5, n % 2 == 1, blocks,
                              std::size_t(n % 16), kAllBiases[n % 4],
                              n % 5 == 0 ? Weights::Wild : Weights::Random};
          ++n;
          CompareColumns(c, rng);
          if (HasFatalFailure()) return;
        }
}

TEST_F(BlurLineStep, WideAreasAndGaussianKernelsMatchTheLineStep) {
  for (int n = 0; n < 120; ++n) {
    const std::int32_t width = n % 4 == 0 ? rng.Range(100, 333) : rng.Range(1, 90);
    const ColumnsCase c{width, rng.Range(1, 120), 0, width + rng.Range(2, 9), n % 2 == 0,
                        n % 3 == 0 ? rng.Range(1, 9) : 8, std::size_t(n % 16),
                        kAllBiases[n % 4], Weights::Gaussian};
    CompareColumns(c, rng);
    if (HasFatalFailure()) return;
  }
}

TEST(BlurColumnStep, BufferTooSmallForOneColumnDoesNothing) {
  std::uint32_t pixels[6] = {1, 2, 3, 4, 5, 6};
  const float weights[8] = {0.5f, 0.5f, 0.5f, 0.5f, 0.25f, 0.25f, 0.25f, 0.25f};
  GuardedBlock kernel = AlignedCopy(weights, sizeof weights);
  GuardedBlock buffer(4 * sizeof(BlurEntry), 0);
  for (const BlurKernels* table : RunnableTables()) {
    // Three rows with radius 1 need five entries per column.
    table->blurColumns(pixels, 2, 2, 3, kernel.as<BlurEntry>(), 1, buffer.as<BlurEntry>(), 4);
    table->blurColumns(pixels, 2, 0, 3, kernel.as<BlurEntry>(), 1, buffer.as<BlurEntry>(), 40);
    table->blurColumns(pixels, 2, 2, 0, kernel.as<BlurEntry>(), 1, buffer.as<BlurEntry>(), 40);
    table->blurColumns(nullptr, 2, 2, 3, kernel.as<BlurEntry>(), 1, buffer.as<BlurEntry>(), 40);
    table->blurColumns(pixels, 2, 2, 3, kernel.as<BlurEntry>(), 1, nullptr, 40);
    EXPECT_TRUE(buffer.GuardsIntact());
    for (std::uint32_t p = 0; p < 6; ++p) EXPECT_EQ(pixels[p], p + 1);
  }
}

// Formula checks that both paths must pass: a single-weight kernel makes the
// rounding and saturation steps visible.
TEST(BlurLineFormula, RoundsHalvesToEvenAndSaturates) {
  struct Case {
    float weight;
    std::uint8_t in, out;
  } cases[] = {{0.5f, 1, 0},    {0.5f, 3, 2},    {0.5f, 5, 2},  {0.5f, 7, 4},
               {0.5f, 255, 128}, {-1.0f, 200, 0}, {2.0f, 200, 255}, {300.0f, 255, 255},
               {-300.0f, 255, 0},
               // Beyond the int32 range the conversion yields INT32_MIN, hence 0;
               // only absurd weights get there, and both paths must agree.
               {1e30f, 255, 0}};
  for (const BlurKernels* table : RunnableTables()) {
    for (const Case& c : cases) {
      const float weights[4] = {c.weight, c.weight, c.weight, c.weight};
      GuardedBlock kernel = AlignedCopy(weights, sizeof weights);
      GuardedBlock buffer(5 * sizeof(BlurEntry), 0);
      std::uint32_t pixels[5];
      std::memset(pixels, c.in, sizeof pixels);
      table->blurLine(pixels, 1, 5, kernel.as<BlurEntry>(), 0, buffer.as<BlurEntry>());
      for (std::uint32_t p : pixels)
        EXPECT_EQ(p, 0x01010101u * c.out) << c.weight << " x " << int(c.in);
    }
  }
}

TEST(BlurLineFormula, EndsAreReplicatedAndPairsSummedFirst) {
  // Line 10, 20, 30 with kernel {0.5, 0.25}: 0.5*10 + 0.25*(20+10) = 12.5 -> 12,
  // 0.5*20 + 0.25*(30+10) = 20, 0.5*30 + 0.25*(30+20) = 27.5 -> 28.
  for (const BlurKernels* table : RunnableTables()) {
    const float weights[8] = {0.5f, 0.5f, 0.5f, 0.5f, 0.25f, 0.25f, 0.25f, 0.25f};
    GuardedBlock kernel = AlignedCopy(weights, sizeof weights);
    GuardedBlock buffer(5 * sizeof(BlurEntry), 0);
    std::uint32_t pixels[3] = {0x0A0A0A0Au, 0x14141414u, 0x1E1E1E1Eu};
    table->blurLine(pixels, 1, 3, kernel.as<BlurEntry>(), 1, buffer.as<BlurEntry>());
    EXPECT_EQ(pixels[0], 0x0C0C0C0Cu);
    EXPECT_EQ(pixels[1], 0x14141414u);
    EXPECT_EQ(pixels[2], 0x1C1C1C1Cu);
  }
}

// Whole blurs under both kernel choices.
class ScalarChoice {
 public:
  explicit ScalarChoice(KernelChoice choice) { SetKernelChoice(choice); }
  ~ScalarChoice() { SetKernelChoice(KernelChoice::Best); }
};

std::vector<std::uint32_t> BlurWith(KernelChoice choice, const std::vector<std::uint32_t>& image,
                                    Size size, const Rect& rect, bool bottomUp, float wx,
                                    float wy, bool& guardsIntact) {
  ScalarChoice scope(choice);
  GuardedBlock block(image.size() * 4, 0);
  std::memcpy(block.data(), image.data(), image.size() * 4);
  BlurFilter filter;
  filter.ApplyBlur(ImageView{block.as<std::uint32_t>(), size, rect}, bottomUp, wx, wy);
  guardsIntact = block.GuardsIntact();
  std::vector<std::uint32_t> out(image.size());
  std::memcpy(out.data(), block.data(), image.size() * 4);
  return out;
}

TEST(BlurWholeImage, ScalarAndSse2AgreeOnRandomImages) {
  if (!CpuHasSse2()) GTEST_SKIP() << "no SSE2";
  TestRng rng;
  for (int n = 0; n < 300; ++n) {
    const Size size{rng.Range(1, 90), rng.Range(1, 70)};
    std::vector<std::uint32_t> image(std::size_t(size.width) * size.height);
    testing::FillBytes(image.data(), image.size() * 4, rng, kAllBiases[n % 4]);
    const std::int32_t left = rng.Range(-3, size.width - 1);
    const std::int32_t top = rng.Range(-3, size.height - 1);
    const Rect rect{left, top, rng.Range(left + 1, size.width + 3),
                    rng.Range(top + 1, size.height + 3)};
    const float wx = n % 7 == 0 ? 0.0f : RandomFloat(rng, 0.0f, 12.0f);
    const float wy = n % 3 == 0 ? wx : RandomFloat(rng, 0.0f, 12.0f);
    const bool bottomUp = n % 2 == 0;
    bool scalarGuards = false, sse2Guards = false, bestGuards = false;
    const auto scalar = BlurWith(KernelChoice::ScalarOnly, image, size, rect, bottomUp, wx, wy,
                                 scalarGuards);
    const auto sse2 =
        BlurWith(KernelChoice::Sse2Only, image, size, rect, bottomUp, wx, wy, sse2Guards);
    const auto best = BlurWith(KernelChoice::Best, image, size, rect, bottomUp, wx, wy, bestGuards);
    const auto where = ::testing::Message()
                       << size.width << "x" << size.height << " rect " << rect.left << ","
                       << rect.top << "," << rect.right << "," << rect.bottom << " widths " << wx
                       << "/" << wy << " bottomUp " << bottomUp;
    ASSERT_TRUE(scalarGuards && sse2Guards && bestGuards) << where;
    ASSERT_EQ(scalar, sse2) << where;
    ASSERT_EQ(scalar, best) << where << " (best)";
  }
}

TEST(BlurDispatch, EachChoiceSelectsItsLevel) {
  SetKernelChoice(KernelChoice::ScalarOnly);
  EXPECT_EQ(&KernelsInUse().blur, &ScalarKernels().blur);
  SetKernelChoice(KernelChoice::Sse2Only);
  EXPECT_EQ(&KernelsInUse().blur, CpuHasSse2() ? &Sse2Kernels().blur : &ScalarKernels().blur);
  SetKernelChoice(KernelChoice::Best);
  EXPECT_EQ(&KernelsInUse().blur, CpuHasAvx2()   ? &Avx2Kernels().blur
                                  : CpuHasSse2() ? &Sse2Kernels().blur
                                                 : &ScalarKernels().blur);
}

}  // namespace
}  // namespace kestrimo
