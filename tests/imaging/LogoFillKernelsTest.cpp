// The SSE2 and AVX2 fill runs against their scalar references: single runs at
// every misalignment and stride, and whole fills over span lists built from random
// masks, with guard bytes around every buffer.
#include "imaging/LogoFillKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/Kernels.h"
#include "imaging/LogoFill.h"
#include "base/FrameGeometry.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::Bias;
using testing::BiasName;
using testing::FillBytes;
using testing::GuardedBlock;
using testing::kAllBiases;
using testing::TestRng;

class LogoFillKernelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CpuHasSse2()) GTEST_SKIP() << "no SSE2";
  }
  void TearDown() override { SetKernelChoice(KernelChoice::Best); }
  // The SIMD tables this processor can run.
  static std::vector<const LogoFillKernels*> Twins() {
    std::vector<const LogoFillKernels*> twins{&Sse2Kernels().logoFill};
    if (CpuHasAvx2()) twins.push_back(&Avx2Kernels().logoFill);
    return twins;
  }
  static const char* Level(const LogoFillKernels* twin) {
    return twin == &Sse2Kernels().logoFill ? "sse2" : "avx2";
  }
  const LogoFillKernels& scalar = ScalarKernels().logoFill;
  const LogoFillKernels& sse2 = Sse2Kernels().logoFill;
};

TEST_F(LogoFillKernelsTest, TableInUseFollowsTheKernelChoice) {
  SetKernelChoice(KernelChoice::ScalarOnly);
  EXPECT_EQ(&KernelsInUse().logoFill, &scalar);
  SetKernelChoice(KernelChoice::Sse2Only);
  EXPECT_EQ(&KernelsInUse().logoFill, &sse2);
  SetKernelChoice(KernelChoice::Best);
  EXPECT_EQ(&KernelsInUse().logoFill, CpuHasAvx2() ? &Avx2Kernels().logoFill : &sse2);
}

std::vector<std::int32_t> TestDistances() {
  std::vector<std::int32_t> distances;
  for (std::int32_t d = 2; d <= 66; ++d) distances.push_back(d);
  for (std::int32_t d : {100, 255, 256, 333, 700, 720, 1500}) distances.push_back(d);
  return distances;
}

TEST_F(LogoFillKernelsTest, RowRunMatchesReference) {
  TestRng rng;
  int call = 0;
  for (std::int32_t distance : TestDistances()) {
    for (Bias bias : kAllBiases) {
      const std::size_t offset = static_cast<std::size_t>(call++ % 16);
      const std::size_t size = (static_cast<std::size_t>(distance) + 1) * 4;
      GuardedBlock a(size, offset), b(size, offset);
      FillBytes(a.data(), size, rng, bias);
      const auto before = a.Bytes();
      scalar.fillRowRun(a.data(), distance);
      const auto out = a.Bytes();
      for (const LogoFillKernels* twin : Twins()) {
        std::memcpy(b.data(), before.data(), size);
        twin->fillRowRun(b.data(), distance);
        ASSERT_EQ(out, b.Bytes()) << Level(twin) << " distance " << distance << " offset "
                                  << offset << " bias " << BiasName(bias);
        ASSERT_TRUE(a.GuardsIntact() && b.GuardsIntact()) << Level(twin) << " distance " << distance;
      }
      ASSERT_TRUE(std::equal(out.begin(), out.begin() + 4, before.begin()) &&
                  std::equal(out.end() - 4, out.end(), before.end() - 4))
          << "anchors changed, distance " << distance;
    }
  }
}

// Anchor bytes from the ends of the range and every length up to 1200, where
// the 16-bit accumulator saturates on the long runs.
TEST_F(LogoFillKernelsTest, RowRunMatchesReferenceAtTheExtremes) {
  TestRng rng;
  const std::uint8_t extremes[] = {0, 1, 127, 128, 254, 255};
  for (std::int32_t distance = 2; distance <= 1200; ++distance) {
    const std::size_t size = (static_cast<std::size_t>(distance) + 1) * 4;
    GuardedBlock a(size, 4), b(size, 4);
    std::memset(a.data(), 0, size);
    for (int c = 0; c < 4; ++c) {
      a.data()[c] = extremes[rng.Range(0, 5)];
      a.data()[size - 4 + c] = extremes[rng.Range(0, 5)];
    }
    const auto before = a.Bytes();
    scalar.fillRowRun(a.data(), distance);
    for (const LogoFillKernels* twin : Twins()) {
      std::memcpy(b.data(), before.data(), size);
      twin->fillRowRun(b.data(), distance);
      ASSERT_EQ(a.Bytes(), b.Bytes()) << Level(twin) << " distance " << distance;
      ASSERT_TRUE(a.GuardsIntact() && b.GuardsIntact()) << Level(twin) << " distance " << distance;
    }
  }
}

TEST_F(LogoFillKernelsTest, ColumnRunMatchesReference) {
  TestRng rng;
  int call = 0;
  for (std::int32_t distance : TestDistances()) {
    for (Bias bias : kAllBiases) {
      const std::size_t offset = static_cast<std::size_t>(call++ % 16);
      const std::ptrdiff_t pitch = 4 + rng.Range(0, 37);
      const std::ptrdiff_t stride = rng.Range(0, 1) != 0 ? pitch : -pitch;
      const std::size_t size = static_cast<std::size_t>(distance * pitch + 4);
      GuardedBlock a(size, offset), b(size, offset);
      FillBytes(a.data(), size, rng, bias);
      const auto before = a.Bytes();
      std::memcpy(b.data(), a.data(), size);
      const std::ptrdiff_t anchor = stride > 0 ? 0 : distance * pitch;
      scalar.blendColumnRun(a.data() + anchor, stride, distance);
      sse2.blendColumnRun(b.data() + anchor, stride, distance);
      const auto out = a.Bytes();
      ASSERT_EQ(out, b.Bytes()) << "distance " << distance << " stride " << stride
                                << " offset " << offset << " bias " << BiasName(bias);
      ASSERT_TRUE(a.GuardsIntact() && b.GuardsIntact()) << "distance " << distance;
      // Only the bytes of the distance - 1 inner column pixels may change.
      std::vector<bool> inner(size);
      for (std::int32_t k = 1; k < distance; ++k)
        for (int c = 0; c < 4; ++c) inner[static_cast<std::size_t>(anchor + k * stride + c)] = true;
      for (std::size_t i = 0; i < size; ++i) {
        if (!inner[i]) {
          ASSERT_EQ(out[i], before[i]) << "byte " << i << " distance " << distance;
        }
      }
    }
  }
}

// Neighbouring columns sharing a run, filled together, against the reference
// filling one column at a time: up to 21 columns, so that the eight-wide and
// four-wide steps and the single columns after them are all used.
TEST_F(LogoFillKernelsTest, ColumnGroupMatchesSingleColumns) {
  TestRng rng;
  int call = 0;
  for (std::int32_t distance : {2, 3, 4, 5, 9, 33, 66, 255, 720})
    for (std::int32_t columns = 1; columns <= 21; ++columns)
      for (Bias bias : kAllBiases) {
        const std::size_t offset = static_cast<std::size_t>(call++ % 16);
        const std::ptrdiff_t pitch = 4 * columns + 4 * rng.Range(0, 5) + rng.Range(0, 3);
        const std::ptrdiff_t stride = rng.Range(0, 1) != 0 ? pitch : -pitch;
        const std::size_t size = static_cast<std::size_t>(distance * pitch + 4 * columns);
        GuardedBlock a(size, offset), b(size, offset);
        FillBytes(a.data(), size, rng, bias);
        const auto before = a.Bytes();
        const std::ptrdiff_t anchor = stride > 0 ? 0 : distance * pitch;
        for (std::int32_t c = 0; c < columns; ++c)
          scalar.blendColumnRun(a.data() + anchor + 4 * c, stride, distance);
        for (const LogoFillKernels* twin : Twins()) {
          std::memcpy(b.data(), before.data(), size);
          twin->blendColumnRuns(b.data() + anchor, stride, distance, columns);
          const auto where = ::testing::Message()
                             << Level(twin) << " distance " << distance << " columns " << columns
                             << " stride " << stride << " offset " << offset << " bias "
                             << BiasName(bias);
          ASSERT_EQ(a.Bytes(), b.Bytes()) << where;
          ASSERT_TRUE(a.GuardsIntact() && b.GuardsIntact()) << where;
        }
      }
}

// Column groups on long runs with bytes from the ends of the range, where a
// 16-bit step that wraps instead of saturating shows (top anchor 253, bottom
// 255 over 500 rows, 8 columns, among them).
TEST_F(LogoFillKernelsTest, ColumnGroupMatchesSingleColumnsAtTheExtremes) {
  TestRng rng;
  const std::uint8_t extremes[] = {0, 1, 127, 128, 250, 251, 252, 253, 254, 255};
  for (std::int32_t distance : {256, 257, 380, 500, 511, 512, 720, 1023, 1200}) {
    for (std::int32_t columns : {8, 9, 16, 21}) {
      const std::ptrdiff_t stride = 4 * columns;
      const std::size_t size = static_cast<std::size_t>(distance * stride + 4 * columns);
      GuardedBlock a(size, 4), b(size, 4);
      for (std::size_t i = 0; i < size; ++i) a.data()[i] = extremes[rng.Range(0, 9)];
      if (distance == 500) {
        for (std::size_t c = 0; c < static_cast<std::size_t>(4 * columns); ++c) {
          a.data()[c] = 253;
          a.data()[static_cast<std::size_t>(distance * stride) + c] = 255;
        }
      }
      const auto before = a.Bytes();
      for (std::int32_t c = 0; c < columns; ++c) scalar.blendColumnRun(a.data() + 4 * c, stride, distance);
      for (const LogoFillKernels* twin : Twins()) {
        std::memcpy(b.data(), before.data(), size);
        twin->blendColumnRuns(b.data(), stride, distance, columns);
        ASSERT_EQ(a.Bytes(), b.Bytes()) << Level(twin) << " distance " << distance << " columns " << columns;
        ASSERT_TRUE(a.GuardsIntact() && b.GuardsIntact()) << Level(twin) << " distance " << distance;
      }
    }
  }
}

// Span lists as the mask rebuild makes them: per line, each run of masked
// pixels with an unmasked pixel on both sides becomes (skip, distance); runs
// touching the line's ends are left out; the first and last line are a bare
// -1. Cells after the -1 and outside the area hold junk.
class SpanListBuilder {
 public:
  SpanListBuilder(const std::vector<bool>& mask, int width, int height)
      : mask_(mask), width_(width), height_(height) {}

  void BuildRows(std::int32_t* cells, Size alloc, TestRng& rng) const {
    Junk(cells, alloc, rng);
    for (int y = 0; y < height_; ++y) {
      const auto line = Line(y, true);
      for (std::size_t x = 0; x < line.size(); ++x)
        cells[Index(alloc, static_cast<int>(x), y)] = line[x];
    }
  }
  void BuildColumns(std::int32_t* cells, Size alloc, TestRng& rng) const {
    Junk(cells, alloc, rng);
    for (int x = 0; x < width_; ++x) {
      const auto line = Line(x, false);
      for (std::size_t y = 0; y < line.size(); ++y)
        cells[Index(alloc, x, static_cast<int>(y))] = line[y];
    }
  }

 private:
  static std::size_t Index(Size alloc, int x, int y) {
    return static_cast<std::size_t>(alloc.height - 1 - y) * alloc.width + x;
  }
  static void Junk(std::int32_t* cells, Size alloc, TestRng& rng) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(alloc.width) * alloc.height; ++i)
      cells[i] = static_cast<std::int32_t>(rng.Next() % 64) - 8;
  }
  bool Masked(int line, int i, bool alongRows) const {
    const int x = alongRows ? i : line, y = alongRows ? line : i;
    return mask_[static_cast<std::size_t>(y) * width_ + x];
  }
  std::vector<std::int32_t> Line(int line, bool alongRows) const {
    const int lines = alongRows ? height_ : width_;
    const int length = alongRows ? width_ : height_;
    std::vector<std::int32_t> cells;
    if (line > 0 && line < lines - 1) {
      int cursor = 0;
      for (int i = 1; i < length - 1; ++i) {
        if (!Masked(line, i, alongRows) || Masked(line, i - 1, alongRows)) continue;
        int end = i;
        while (end < length && Masked(line, end, alongRows)) ++end;
        if (end == length) break;
        cells.push_back(i - 1 - cursor);
        cells.push_back(end - i + 1);
        cursor = end;
        i = end;
      }
    }
    cells.push_back(-1);
    return cells;
  }

  const std::vector<bool>& mask_;
  int width_;
  int height_;

  friend class WholeFillTest;
};

// An ellipse, random noise, a rectangle with a few stray pixels (columns
// share their runs in stretches broken by the strays), or bars hanging from
// one top edge, whose neighbouring columns differ only in where runs end.
std::vector<bool> RandomMask(int width, int height, TestRng& rng) {
  std::vector<bool> mask(static_cast<std::size_t>(width) * height);
  const int density = rng.Range(0, 100);
  const int shape = rng.Range(0, 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double dx = (x + 0.5) / width - 0.5, dy = (y + 0.5) / height - 0.5;
      bool masked = rng.Range(0, 99) < density;
      if (shape == 0) masked = dx * dx + dy * dy < 0.2;
      if (shape == 2) masked = (dx * dx < 0.1 && dy * dy < 0.1) || rng.Range(0, 99) < 2;
      if (shape == 3) masked = y >= height / 5 && y <= height / 5 + (x / 3 * 5) % (height / 2 + 1);
      mask[static_cast<std::size_t>(y) * width + x] = masked;
    }
  return mask;
}

struct FillCase {
  int width;
  int height;
  std::int32_t frameMode;
  Bias bias;
};

class WholeFillTest : public LogoFillKernelsTest {
 protected:
  // The rows by the scalar path, then each column on its own, its runs taken
  // straight from the mask: what grouping columns must reproduce.
  std::vector<std::uint8_t> ColumnByColumn(const SpanListBuilder& builder,
                                           std::vector<std::uint8_t> work, Size workAlloc,
                                           ConstImageView rowList, const FillCase& fill) {
    SetKernelChoice(KernelChoice::ScalarOnly);
    FillRows(ImageView{reinterpret_cast<std::uint32_t*>(work.data()), workAlloc,
                       Rect{0, 0, fill.width, fill.height}},
             rowList, fill.frameMode);
    const bool bottomUp = fill.frameMode == kFrameModeBgr;
    const std::ptrdiff_t pitch = std::ptrdiff_t{workAlloc.width} * 4;
    for (int x = 0; x < fill.width; ++x) {
      const auto cells = builder.Line(x, false);
      std::int32_t cursor = 0;
      for (std::size_t i = 0; i + 1 < cells.size(); i += 2) {
        const std::int32_t p0 = cursor + cells[i];
        const int row = bottomUp ? workAlloc.height - 1 - p0 : p0;
        scalar.blendColumnRun(work.data() + row * pitch + 4 * x, bottomUp ? -pitch : pitch,
                              cells[i + 1]);
        cursor = p0 + cells[i + 1];
      }
    }
    return work;
  }

  void Check(const FillCase& fill, TestRng& rng, int call) {
    const Size workAlloc{fill.width + rng.Range(0, 5), fill.height + rng.Range(0, 3)};
    const Size rowAlloc{fill.width + rng.Range(0, 2), fill.height + rng.Range(0, 2)};
    const Size columnAlloc{fill.width + rng.Range(0, 2), fill.height + rng.Range(0, 2)};
    const std::size_t offset = static_cast<std::size_t>(4 * (call % 4));
    const Rect rect{0, 0, fill.width, fill.height};
    const auto mask = RandomMask(fill.width, fill.height, rng);
    const SpanListBuilder builder(mask, fill.width, fill.height);

    const std::size_t workBytes = static_cast<std::size_t>(workAlloc.width) * workAlloc.height * 4;
    GuardedBlock rows(static_cast<std::size_t>(rowAlloc.width) * rowAlloc.height * 4, 8);
    GuardedBlock columns(static_cast<std::size_t>(columnAlloc.width) * columnAlloc.height * 4, 4);
    builder.BuildRows(rows.as<std::int32_t>(), rowAlloc, rng);
    builder.BuildColumns(columns.as<std::int32_t>(), columnAlloc, rng);
    const auto rowsBefore = rows.Bytes(), columnsBefore = columns.Bytes();
    const ConstImageView rowList{rows.as<std::uint32_t>(), rowAlloc, rect};
    const ConstImageView columnList{columns.as<std::uint32_t>(), columnAlloc, rect};

    GuardedBlock a(workBytes, offset), b(workBytes, offset), c(workBytes, offset);
    FillBytes(a.data(), workBytes, rng, fill.bias);
    const auto before = a.Bytes();
    std::memcpy(b.data(), a.data(), workBytes);
    std::memcpy(c.data(), a.data(), workBytes);
    for (auto [block, choice] : {std::pair{&a, KernelChoice::ScalarOnly},
                                 {&b, KernelChoice::Best}, {&c, KernelChoice::Sse2Only}}) {
      SetKernelChoice(choice);
      const ImageView work{block->as<std::uint32_t>(), workAlloc, rect};
      FillRows(work, rowList, fill.frameMode);
      FillColumns(work, columnList, fill.frameMode);
    }
    const auto out = a.Bytes();
    const auto where = ::testing::Message() << fill.width << "x" << fill.height << " mode "
                                            << fill.frameMode << " bias " << BiasName(fill.bias)
                                            << " alloc " << workAlloc.width << "x"
                                            << workAlloc.height;
    ASSERT_EQ(out, b.Bytes()) << where;
    ASSERT_EQ(out, c.Bytes()) << where << " (sse2)";
    ASSERT_EQ(out, ColumnByColumn(builder, before, workAlloc, rowList, fill))
        << where << " (column by column)";
    ASSERT_TRUE(a.GuardsIntact() && b.GuardsIntact() && c.GuardsIntact()) << where;
    ASSERT_TRUE(rows.GuardsIntact() && columns.GuardsIntact()) << where;
    ASSERT_EQ(rows.Bytes(), rowsBefore) << where;
    ASSERT_EQ(columns.Bytes(), columnsBefore) << where;
    // Unmasked pixels and everything outside the area keep their bytes.
    for (int row = 0; row < workAlloc.height; ++row)
      for (int x = 0; x < workAlloc.width; ++x) {
        const int y = fill.frameMode == kFrameModeBgr ? workAlloc.height - 1 - row : row;
        const bool masked = x < fill.width && y >= 0 && y < fill.height &&
                            mask[static_cast<std::size_t>(y) * fill.width + x];
        const std::size_t at = (static_cast<std::size_t>(row) * workAlloc.width + x) * 4;
        if (!masked) {
          ASSERT_TRUE(std::equal(out.begin() + at, out.begin() + at + 4, before.begin() + at))
              << where << " pixel " << x << "," << y;
        }
      }
  }
};

TEST_F(WholeFillTest, RandomMasksMatchReference) {
  TestRng rng;
  int call = 0;
  std::vector<std::pair<int, int>> sizes = {{1, 1}, {2, 2},   {3, 3},   {5, 4},  {17, 9},
                                            {64, 33}, {100, 70}, {333, 21}, {720, 8}, {7, 130}};
  for (int i = 0; i < 24; ++i) sizes.emplace_back(rng.Range(1, 64), rng.Range(1, 64));
  for (auto [width, height] : sizes)
    for (std::int32_t mode : {kFrameModeYuy2, kFrameModeBgr})
      for (Bias bias : kAllBiases) {
        Check({width, height, mode, bias}, rng, call++);
        if (HasFatalFailure()) return;
      }
}

}  // namespace
}  // namespace kestrimo
