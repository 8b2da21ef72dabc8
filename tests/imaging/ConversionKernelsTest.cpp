// The SSE2 and AVX2 conversion row routines against their scalar references: random
// rows of every width with odd starts, misaligned buffers and biased samples,
// exhaustive sweeps of the colour conversions and the blend, and whole
// ExtractArea / WriteBackArea calls on both paths.
#include "imaging/ConversionKernels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "imaging/CpuFeatures.h"
#include "imaging/FrameConversion.h"
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

struct ExtractCase {
  const char* name;
  ExtractRowFn ConversionKernels::*routine;
  bool yuy2;
};

constexpr ExtractCase kExtractCases[] = {
    {"yuy2ToYuv", &ConversionKernels::yuy2ToYuv, true},
    {"yuy2ToYuvAlpha", &ConversionKernels::yuy2ToYuvAlpha, true},
    {"yuy2ToBgrLuma", &ConversionKernels::yuy2ToBgrLuma, true},
    {"yuy2ToBgrAlpha", &ConversionKernels::yuy2ToBgrAlpha, true},
    {"bgrToYuv", &ConversionKernels::bgrToYuv, false},
    {"bgrToYuvAlpha", &ConversionKernels::bgrToYuvAlpha, false},
    {"bgrToBgrLuma", &ConversionKernels::bgrToBgrLuma, false},
    {"bgrToBgrAlpha", &ConversionKernels::bgrToBgrAlpha, false},
};

struct WriteBackCase {
  const char* name;
  WriteBackRowFn ConversionKernels::*routine;
  bool yuy2;
};

constexpr WriteBackCase kWriteBackCases[] = {
    {"yuvAlphaOverYuy2", &ConversionKernels::yuvAlphaOverYuy2, true},
    {"bgrAlphaOverYuy2", &ConversionKernels::bgrAlphaOverYuy2, true},
    {"bgrAlphaOverBgr", &ConversionKernels::bgrAlphaOverBgr, false},
};

std::vector<std::int32_t> Widths() {
  std::vector<std::int32_t> widths;
  for (std::int32_t w = 1; w <= 64; ++w) widths.push_back(w);
  for (std::int32_t w : {100, 333, 720}) widths.push_back(w);
  return widths;
}

// Frame bytes a row touches: whole 4:2:2 groups, or 3 bytes a pixel.
std::size_t FrameBytes(bool yuy2, std::int32_t count, bool oddStart) {
  if (!yuy2) return 3 * static_cast<std::size_t>(count);
  return 4 * static_cast<std::size_t>((count + (oddStart ? 1 : 0) + 1) / 2);
}

// Alpha byte `index` of each pixel in runs of 0 or 255 (now and then one
// other value), so that whole steps are clear or opaque: the write-backs
// take a shortcut there.
void FillAlphaRuns(std::uint8_t* pixels, std::int32_t count, int index, TestRng& rng) {
  for (std::int32_t i = 0; i < count;) {
    const std::int32_t run = rng.Range(1, 24);
    const std::uint8_t value = rng.Range(0, 1) != 0 ? 255 : 0;
    for (std::int32_t k = 0; k < run && i < count; ++k, ++i)
      pixels[4 * i + index] = rng.Range(0, 40) == 0 ? rng.Byte() : value;
  }
}

std::string Describe(const char* name, std::int32_t count, bool oddStart, Bias bias,
                     std::size_t frameOffset, std::size_t workOffset, std::int32_t p = -1) {
  std::string s = std::string(name) + " count " + std::to_string(count) + " oddStart " +
                  std::to_string(oddStart) + " bias " + BiasName(bias) + " frame offset " +
                  std::to_string(frameOffset) + " work offset " + std::to_string(workOffset);
  if (p >= 0) s += " p " + std::to_string(p);
  return s;
}

class ConversionKernelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CpuHasSse2()) GTEST_SKIP() << "no SSE2";
  }
  const ConversionKernels& scalar_ = ScalarKernels().conversion;
  const ConversionKernels& sse2_ = Sse2Kernels().conversion;
};

TEST_F(ConversionKernelsTest, TableInUseFollowsTheKernelChoice) {
  SetKernelChoice(KernelChoice::ScalarOnly);
  EXPECT_EQ(&KernelsInUse().conversion, &scalar_);
  SetKernelChoice(KernelChoice::Sse2Only);
  EXPECT_EQ(&KernelsInUse().conversion, &sse2_);
  SetKernelChoice(KernelChoice::Best);
  EXPECT_EQ(&KernelsInUse().conversion, CpuHasAvx2() ? &Avx2Kernels().conversion : &sse2_);
}

TEST_F(ConversionKernelsTest, ExtractRowsMatchScalar) {
  TestRng rng(0xC0117E47);
  for (const ExtractCase& c : kExtractCases)
    for (const std::int32_t count : Widths())
      for (const bool oddStart : {false, true}) {
        if (oddStart && !c.yuy2) continue;
        for (const Bias bias : kAllBiases) {
          const std::size_t frameOffset = rng.Range(0, 15);
          const std::size_t workOffset = rng.Range(0, 15);
          const std::size_t frameBytes = FrameBytes(c.yuy2, count, oddStart);
          const std::size_t workBytes = 4 * static_cast<std::size_t>(count);
          GuardedBlock frame(frameBytes, frameOffset);
          FillBytes(frame.data(), frameBytes, rng, bias);
          const std::vector<std::uint8_t> input = frame.Bytes();
          GuardedBlock want(workBytes, workOffset), got(workBytes, workOffset);
          FillBytes(want.data(), workBytes, rng);
          std::memcpy(got.data(), want.data(), workBytes);

          (scalar_.*c.routine)(frame.data(), want.data(), count, oddStart);
          (sse2_.*c.routine)(frame.data(), got.data(), count, oddStart);
          const auto params = [&] {
            return Describe(c.name, count, oddStart, bias, frameOffset, workOffset);
          };
          ASSERT_EQ(frame.Bytes(), input) << params();
          ASSERT_TRUE(want.GuardsIntact()) << "scalar " << params();
          ASSERT_TRUE(got.GuardsIntact()) << "sse2 " << params();
          ASSERT_EQ(got.Bytes(), want.Bytes()) << params();
          if (!CpuHasAvx2()) continue;
          GuardedBlock wide(workBytes, workOffset);
          FillBytes(wide.data(), workBytes, rng);
          (Avx2Kernels().conversion.*c.routine)(frame.data(), wide.data(), count, oddStart);
          ASSERT_EQ(frame.Bytes(), input) << "avx2 " << params();
          ASSERT_TRUE(wide.GuardsIntact()) << "avx2 " << params();
          ASSERT_EQ(wide.Bytes(), want.Bytes()) << "avx2 " << params();
        }
      }
}

TEST_F(ConversionKernelsTest, WriteBackRowsMatchScalar) {
  TestRng rng(0xB1E4D);
  const std::int32_t fixedScales[] = {0, 1, 2, 128, 153, 255, 256};
  int round = 0;
  for (const WriteBackCase& c : kWriteBackCases)
    for (const std::int32_t count : Widths())
      for (const bool oddStart : {false, true}) {
        if (oddStart && !c.yuy2) continue;
        for (const Bias bias : kAllBiases) {
          const std::int32_t p = (++round % 3 == 0) ? rng.Range(0, 256) : fixedScales[round % 7];
          const std::size_t frameOffset = rng.Range(0, 15);
          const std::size_t srcOffset = rng.Range(0, 15);
          const std::size_t frameBytes = FrameBytes(c.yuy2, count, oddStart);
          const std::size_t srcBytes = 4 * static_cast<std::size_t>(count);
          GuardedBlock source(srcBytes, srcOffset);
          FillBytes(source.data(), srcBytes, rng, bias);
          const int alphaByte = c.routine == &ConversionKernels::yuvAlphaOverYuy2 ? 2 : 3;
          if (round % 2 == 0) FillAlphaRuns(source.data(), count, alphaByte, rng);
          const std::vector<std::uint8_t> input = source.Bytes();
          GuardedBlock want(frameBytes, frameOffset), got(frameBytes, frameOffset);
          FillBytes(want.data(), frameBytes, rng, bias);
          const std::vector<std::uint8_t> frameBefore = want.Bytes();
          std::memcpy(got.data(), want.data(), frameBytes);

          (scalar_.*c.routine)(want.data(), source.data(), count, oddStart, p);
          (sse2_.*c.routine)(got.data(), source.data(), count, oddStart, p);
          const auto params = [&] {
            return Describe(c.name, count, oddStart, bias, frameOffset, srcOffset, p);
          };
          ASSERT_EQ(source.Bytes(), input) << params();
          ASSERT_TRUE(want.GuardsIntact()) << "scalar " << params();
          ASSERT_TRUE(got.GuardsIntact()) << "sse2 " << params();
          ASSERT_EQ(got.Bytes(), want.Bytes()) << params();
          if (!CpuHasAvx2()) continue;
          GuardedBlock wide(frameBytes, frameOffset);
          std::memcpy(wide.data(), frameBefore.data(), frameBytes);
          (Avx2Kernels().conversion.*c.routine)(wide.data(), source.data(), count, oddStart, p);
          ASSERT_EQ(source.Bytes(), input) << "avx2 " << params();
          ASSERT_TRUE(wide.GuardsIntact()) << "avx2 " << params();
          ASSERT_EQ(wide.Bytes(), want.Bytes()) << "avx2 " << params();
        }
      }
}

struct SeparateAlphaCase {
  const char* name;
  SeparateAlphaWriteBackRowFn ConversionKernels::*routine;
  WriteBackRowFn ConversionKernels::*ownAlpha;  // the same blend, alpha in the source
  int alphaByte;                                // where that one keeps it
  bool yuy2;
};

constexpr SeparateAlphaCase kSeparateAlphaCases[] = {
    {"yuvOverYuy2SeparateAlpha", &ConversionKernels::yuvOverYuy2SeparateAlpha,
     &ConversionKernels::yuvAlphaOverYuy2, 2, true},
    {"bgrOverBgrSeparateAlpha", &ConversionKernels::bgrOverBgrSeparateAlpha,
     &ConversionKernels::bgrAlphaOverBgr, 3, false},
};

// The alpha copy folded into the write-back: every level gives what the
// scalar reference gives, and that is the write-back of the source with the
// alpha copied into it. Source, alpha and frame sit at their own offsets.
TEST_F(ConversionKernelsTest, SeparateAlphaWriteBackRowsMatchScalar) {
  TestRng rng(0xA1FA5E9);
  const std::int32_t fixedScales[] = {0, 1, 2, 128, 153, 255, 256, 256};
  std::vector<const ConversionKernels*> levels{&sse2_};
  if (CpuHasAvx2()) levels.push_back(&Avx2Kernels().conversion);
  int round = 0;
  for (const SeparateAlphaCase& c : kSeparateAlphaCases)
    for (const std::int32_t count : Widths())
      for (const bool oddStart : {false, true}) {
        if (oddStart && !c.yuy2) continue;
        for (const Bias bias : testing::kEdgeBiases) {
          const std::int32_t p = fixedScales[++round % 8];
          const std::size_t offsets[] = {static_cast<std::size_t>(rng.Range(0, 15)),
                                         static_cast<std::size_t>(rng.Range(0, 15)),
                                         static_cast<std::size_t>(rng.Range(0, 15))};
          const std::size_t frameBytes = FrameBytes(c.yuy2, count, oddStart);
          const std::size_t pixelBytes = 4 * static_cast<std::size_t>(count);
          GuardedBlock source(pixelBytes, offsets[0]), alpha(pixelBytes, offsets[1]);
          FillBytes(source.data(), pixelBytes, rng, bias);
          FillBytes(alpha.data(), pixelBytes, rng, bias);
          if (round % 2 == 0) FillAlphaRuns(alpha.data(), count, 3, rng);
          const std::vector<std::uint8_t> sourceIn = source.Bytes(), alphaIn = alpha.Bytes();
          GuardedBlock want(frameBytes, offsets[2]), copied(frameBytes, offsets[2]);
          FillBytes(want.data(), frameBytes, rng, bias);
          const std::vector<std::uint8_t> frameIn = want.Bytes();
          std::memcpy(copied.data(), frameIn.data(), frameBytes);
          const auto params = [&] {
            return Describe(c.name, count, oddStart, bias, offsets[2], offsets[0], p) +
                   " alpha offset " + std::to_string(offsets[1]);
          };

          (scalar_.*c.routine)(want.data(), source.data(), alpha.data(), count, oddStart, p);
          std::vector<std::uint8_t> merged = sourceIn;
          for (std::int32_t i = 0; i < count; ++i) merged[4 * i + c.alphaByte] = alphaIn[4 * i + 3];
          (scalar_.*c.ownAlpha)(copied.data(), merged.data(), count, oddStart, p);
          ASSERT_TRUE(want.GuardsIntact()) << "scalar " << params();
          ASSERT_EQ(want.Bytes(), copied.Bytes()) << "alpha copied first, " << params();
          for (const ConversionKernels* level : levels) {
            const char* name = level == &sse2_ ? "sse2 " : "avx2 ";
            GuardedBlock got(frameBytes, offsets[2]);
            std::memcpy(got.data(), frameIn.data(), frameBytes);
            (level->*c.routine)(got.data(), source.data(), alpha.data(), count, oddStart, p);
            ASSERT_EQ(source.Bytes(), sourceIn) << name << params();
            ASSERT_EQ(alpha.Bytes(), alphaIn) << name << params();
            ASSERT_TRUE(source.GuardsIntact() && alpha.GuardsIntact()) << name << params();
            ASSERT_TRUE(got.GuardsIntact()) << name << params();
            ASSERT_EQ(got.Bytes(), want.Bytes()) << name << params();
          }
        }
      }
}

TEST_F(ConversionKernelsTest, ZeroCountTouchesNothing) {
  GuardedBlock frame(8), work(16);
  for (const ExtractCase& c : kExtractCases) {
    (sse2_.*c.routine)(frame.data(), work.data(), 0, true);
    (scalar_.*c.routine)(frame.data(), work.data(), 0, true);
  }
  for (const WriteBackCase& c : kWriteBackCases) {
    (sse2_.*c.routine)(frame.data(), work.data(), 0, true, 256);
    (scalar_.*c.routine)(frame.data(), work.data(), 0, true, 256);
    if (CpuHasAvx2())
      (Avx2Kernels().conversion.*c.routine)(frame.data(), work.data(), 0, true, 256);
  }
  EXPECT_TRUE(frame.GuardsIntact());
  EXPECT_TRUE(work.GuardsIntact());
}

#ifndef _WIN32
// One readable and writable page between two inaccessible ones: a row placed
// against either edge faults on any access past its own bytes.
class FencedPage {
 public:
  FencedPage() {
    page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* map = mmap(nullptr, 3 * page_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) return;
    base_ = static_cast<std::uint8_t*>(map);
    if (mprotect(base_ + page_, page_, PROT_READ | PROT_WRITE) != 0) Release();
  }
  ~FencedPage() { Release(); }
  bool ok() const { return base_ != nullptr; }
  std::uint8_t* Start() { return base_ + page_; }
  std::uint8_t* EndMinus(std::size_t bytes) { return base_ + 2 * page_ - bytes; }

 private:
  void Release() {
    if (base_ != nullptr) munmap(base_, 3 * page_);
    base_ = nullptr;
  }
  std::uint8_t* base_ = nullptr;
  std::size_t page_ = 0;
};

// Rows against the edges of inaccessible pages: the row ends (masked or
// copied) never touch a byte outside the row's own source and frame bytes.
TEST_F(ConversionKernelsTest, WriteBackRowsStayWithinTheirBytes) {
  FencedPage sourcePage, framePage;
  ASSERT_TRUE(sourcePage.ok() && framePage.ok());
  TestRng rng(0xFE4CE);
  std::vector<const ConversionKernels*> tables{&scalar_, &sse2_};
  if (CpuHasAvx2()) tables.push_back(&Avx2Kernels().conversion);
  for (const ConversionKernels* table : tables)
    for (const WriteBackCase& c : kWriteBackCases)
      for (std::int32_t count = 1; count <= 40; ++count)
        for (const bool oddStart : {false, true})
          for (const bool atEnd : {false, true}) {
            const std::size_t srcBytes = 4 * static_cast<std::size_t>(count);
            const std::size_t frameBytes = FrameBytes(c.yuy2, count, oddStart);
            std::uint8_t* src = atEnd ? sourcePage.EndMinus(srcBytes) : sourcePage.Start();
            std::uint8_t* frame = atEnd ? framePage.EndMinus(frameBytes) : framePage.Start();
            FillBytes(src, srcBytes, rng);
            FillBytes(frame, frameBytes, rng);
            (table->*c.routine)(frame, src, count, oddStart, 256);
            // The separate alpha row against the same edge as the source.
            for (const SeparateAlphaCase& a : kSeparateAlphaCases)
              if (a.yuy2 == c.yuy2 && c.routine == a.ownAlpha)
                (table->*a.routine)(frame, src, src, count, oddStart, 256);
          }
}
#endif

// ---- Exhaustive sweeps of the arithmetic

// Every B, G, R: one row of 256 blue values per (G, R).
TEST_F(ConversionKernelsTest, BgrToYuvAgreesForEveryColour) {
  std::vector<std::uint8_t> frame(3 * 256), want(4 * 256), got(4 * 256);
  for (const auto routine : {&ConversionKernels::bgrToYuv, &ConversionKernels::bgrToBgrLuma})
    for (int g = 0; g < 256; ++g)
      for (int r = 0; r < 256; ++r) {
        for (int b = 0; b < 256; ++b) {
          frame[3 * b] = static_cast<std::uint8_t>(b);
          frame[3 * b + 1] = static_cast<std::uint8_t>(g);
          frame[3 * b + 2] = static_cast<std::uint8_t>(r);
        }
        (scalar_.*routine)(frame.data(), want.data(), 256, false);
        (sse2_.*routine)(frame.data(), got.data(), 256, false);
        ASSERT_EQ(got, want) << "G " << g << " R " << r;
      }
}

// Every Y, U, V: one row of 256 groups (U = 0..255) per (Y, V).
TEST_F(ConversionKernelsTest, Yuy2ToBgrAgreesForEverySample) {
  std::vector<std::uint8_t> frame(4 * 256), want(8 * 256), got(8 * 256);
  for (int y = 0; y < 256; ++y)
    for (int v = 0; v < 256; ++v) {
      for (int u = 0; u < 256; ++u) {
        frame[4 * u] = static_cast<std::uint8_t>(y);
        frame[4 * u + 1] = static_cast<std::uint8_t>(u);
        frame[4 * u + 2] = static_cast<std::uint8_t>(y ^ u);
        frame[4 * u + 3] = static_cast<std::uint8_t>(v);
      }
      scalar_.yuy2ToBgrLuma(frame.data(), want.data(), 512, false);
      sse2_.yuy2ToBgrLuma(frame.data(), got.data(), 512, false);
      ASSERT_EQ(got, want) << "Y " << y << " V " << v;
    }
}

// Every source S, frame D and alpha A at a few opacities: one row of 256
// sources per (A, D).
TEST_F(ConversionKernelsTest, BlendAgreesForEveryTriple) {
  std::vector<std::uint8_t> source(4 * 256), want(3 * 256), got(3 * 256);
  for (const std::int32_t percent : {100, 60, 33, 1})
    for (int a = 0; a < 256; ++a)
      for (int d = 0; d < 256; ++d) {
        for (int s = 0; s < 256; ++s) {
          source[4 * s] = static_cast<std::uint8_t>(s);
          source[4 * s + 1] = static_cast<std::uint8_t>(255 - s);
          source[4 * s + 2] = static_cast<std::uint8_t>(s ^ 0xA5);
          source[4 * s + 3] = static_cast<std::uint8_t>(a);
        }
        std::memset(want.data(), d, want.size());
        std::memset(got.data(), d, got.size());
        const std::int32_t p = OpacityScale(percent);
        scalar_.bgrAlphaOverBgr(want.data(), source.data(), 256, false, p);
        sse2_.bgrAlphaOverBgr(got.data(), source.data(), 256, false, p);
        ASSERT_EQ(got, want) << "opacity " << percent << " A " << a << " D " << d;
        if (!CpuHasAvx2()) continue;
        std::memset(got.data(), d, got.size());
        Avx2Kernels().conversion.bgrAlphaOverBgr(got.data(), source.data(), 256, false, p);
        ASSERT_EQ(got, want) << "avx2 opacity " << percent << " A " << a << " D " << d;
      }
}

// ---- Whole operations on both paths

struct AreaCall {
  std::int32_t mode, width, height;
  Point position;
  Size alloc;
  Rect rect;
  std::int32_t layout, opacity;
  std::size_t frameOffset, workOffset;

  std::string Describe() const {
    return "mode " + std::to_string(mode) + " frame " + std::to_string(width) + "x" +
           std::to_string(height) + " at " + std::to_string(position.x) + "," +
           std::to_string(position.y) + " alloc " + std::to_string(alloc.width) + "x" +
           std::to_string(alloc.height) + " rect " + std::to_string(rect.left) + "," +
           std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom) + " layout " + std::to_string(layout) + " opacity " +
           std::to_string(opacity) + " offsets " + std::to_string(frameOffset) + "/" +
           std::to_string(workOffset);
  }
};

AreaCall RandomCall(TestRng& rng, const std::int32_t* layouts, int layoutCount) {
  AreaCall c{};
  c.mode = rng.Range(0, 1);
  c.width = rng.Range(1, 90);
  c.height = rng.Range(1, 12);
  c.alloc = {rng.Range(1, 70), rng.Range(1, 12)};
  c.rect.left = rng.Range(-3, c.alloc.width - 1);
  c.rect.top = rng.Range(-2, c.alloc.height - 1);
  c.rect.right = c.rect.left + rng.Range(0, c.alloc.width + 4);
  c.rect.bottom = c.rect.top + rng.Range(0, c.alloc.height + 3);
  c.position = {rng.Range(-12, c.width), rng.Range(-4, c.height)};
  c.layout = layouts[rng.Range(0, layoutCount - 1)];
  c.opacity = rng.Range(-10, 110);
  c.frameOffset = rng.Range(0, 15);
  c.workOffset = 4 * static_cast<std::size_t>(rng.Range(0, 3));
  return c;
}

std::size_t FrameSize(const AreaCall& c) {
  return static_cast<std::size_t>((c.mode == kFrameModeBgr ? 3 : 2) * c.width * c.height);
}

FrameGeometry GeometryOf(const AreaCall& c) {
  FrameGeometry g;
  g.SetFrameFormat(c.width, c.height, c.mode);
  return g;
}

class WholeAreaTest : public ConversionKernelsTest {
 protected:
  void TearDown() override { SetKernelChoice(KernelChoice::Best); }
};

TEST_F(WholeAreaTest, ExtractAreaMatchesScalar) {
  TestRng rng(0xE7AC7);
  const std::int32_t layouts[] = {kLayoutYuv, kLayoutYuvAlpha, kLayoutBgrLuma, kLayoutBgrAlpha};
  int written = 0;
  for (int i = 0; i < 3000; ++i) {
    const AreaCall c = RandomCall(rng, layouts, 4);
    const Bias bias = kAllBiases[i % 4];
    GuardedBlock frame(FrameSize(c), c.frameOffset);
    FillBytes(frame.data(), frame.size(), rng, bias);
    const std::vector<std::uint8_t> input = frame.Bytes();
    const std::size_t workBytes = 4 * static_cast<std::size_t>(c.alloc.width * c.alloc.height);
    GuardedBlock want(workBytes, c.workOffset), got(workBytes, c.workOffset);
    FillBytes(want.data(), workBytes, rng);
    std::memcpy(got.data(), want.data(), workBytes);
    const std::vector<std::uint8_t> before = want.Bytes();
    const FrameGeometry geometry = GeometryOf(c);

    SetKernelChoice(KernelChoice::ScalarOnly);
    ExtractArea(frame.data(), geometry, c.position,
                ImageView{want.as<std::uint32_t>(), c.alloc, c.rect}, c.layout);
    SetKernelChoice(KernelChoice::Best);
    ExtractArea(frame.data(), geometry, c.position,
                ImageView{got.as<std::uint32_t>(), c.alloc, c.rect}, c.layout);
    ASSERT_EQ(frame.Bytes(), input) << c.Describe();
    ASSERT_TRUE(want.GuardsIntact()) << "scalar " << c.Describe();
    ASSERT_TRUE(got.GuardsIntact()) << "best " << c.Describe();
    ASSERT_EQ(got.Bytes(), want.Bytes()) << c.Describe();
    written += want.Bytes() != before;
  }
  EXPECT_GT(written, 1000);  // the random areas do overlap often enough
}

TEST_F(WholeAreaTest, WriteBackAreaMatchesScalar) {
  TestRng rng(0x3B4C6);
  // 9 over BGR frames is refused; both paths must leave the frame alone.
  const std::int32_t layouts[] = {kLayoutYuvAlpha, kLayoutBgrAlpha, kLayoutBgrAlpha};
  int written = 0;
  for (int i = 0; i < 3000; ++i) {
    const AreaCall c = RandomCall(rng, layouts, 3);
    const Bias bias = kAllBiases[i % 4];
    const std::size_t workBytes = 4 * static_cast<std::size_t>(c.alloc.width * c.alloc.height);
    GuardedBlock source(workBytes, c.workOffset);
    FillBytes(source.data(), workBytes, rng, bias);
    const std::vector<std::uint8_t> input = source.Bytes();
    GuardedBlock want(FrameSize(c), c.frameOffset), got(FrameSize(c), c.frameOffset);
    FillBytes(want.data(), want.size(), rng, bias);
    std::memcpy(got.data(), want.data(), want.size());
    const std::vector<std::uint8_t> before = want.Bytes();
    const FrameGeometry geometry = GeometryOf(c);

    const ConstImageView view{source.as<std::uint32_t>(), c.alloc, c.rect};
    SetKernelChoice(KernelChoice::ScalarOnly);
    WriteBackArea(want.data(), geometry, c.position, view, c.layout, c.opacity);
    SetKernelChoice(KernelChoice::Best);
    WriteBackArea(got.data(), geometry, c.position, view, c.layout, c.opacity);
    ASSERT_EQ(source.Bytes(), input) << c.Describe();
    ASSERT_TRUE(want.GuardsIntact()) << "scalar " << c.Describe();
    ASSERT_TRUE(got.GuardsIntact()) << "best " << c.Describe();
    ASSERT_EQ(got.Bytes(), want.Bytes()) << c.Describe();
    written += want.Bytes() != before;
  }
  EXPECT_GT(written, 1000);
}

}  // namespace
}  // namespace kestrimo
