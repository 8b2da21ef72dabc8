// The logo fill over a whole area with an elliptic mask inset by 3 pixels:
// row pass and column pass, scalar runs against their SSE2 and AVX2 twins.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/LogoFill.h"
#include "base/FrameGeometry.h"
#include "base/ImageBuffer.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kInset = 3;

// The masks measured: an ellipse, whose neighbouring columns mostly differ,
// and a rectangle inset the same way, whose inner columns share their run.
enum class Shape { Ellipse, Rectangle };

bool InEllipse(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  const double rx = width / 2.0 - kInset, ry = height / 2.0 - kInset;
  const double dx = (x + 0.5 - width / 2.0) / rx, dy = (y + 0.5 - height / 2.0) / ry;
  return dx * dx + dy * dy <= 1.0;
}

// One line of a span list: each masked run becomes (skip, distance), then -1.
std::vector<std::int32_t> SpanLine(const std::vector<bool>& masked) {
  std::vector<std::int32_t> cells;
  std::int32_t cursor = 0;
  const auto length = static_cast<std::int32_t>(masked.size());
  for (std::int32_t i = 1; i + 1 < length; ++i) {
    if (!masked[i] || masked[i - 1]) continue;
    std::int32_t end = i;
    while (end < length && masked[end]) ++end;
    if (end == length) break;
    cells.insert(cells.end(), {i - 1 - cursor, end - i + 1});
    cursor = i = end;
  }
  cells.push_back(-1);
  return cells;
}

bool Masked(Shape shape, std::int32_t x, std::int32_t y, std::int32_t width,
            std::int32_t height) {
  if (shape == Shape::Ellipse) return InEllipse(x, y, width, height);
  return x >= kInset && x < width - kInset && y >= kInset && y < height - kInset;
}

void BuildSpans(ImageBuffer& rows, ImageBuffer& columns, std::int32_t width, std::int32_t height,
                Shape shape) {
  rows.Resize(width, height, 25, 25);
  columns.Resize(width, height, 25, 25);
  for (std::int32_t y = 0; y < height; ++y) {
    std::vector<bool> line(width);
    for (std::int32_t x = 0; x < width; ++x) line[x] = Masked(shape, x, y, width, height);
    const auto cells = SpanLine(line);
    for (std::size_t i = 0; i < cells.size(); ++i)
      *rows.PixelAt(static_cast<std::int32_t>(i), y) = static_cast<std::uint32_t>(cells[i]);
  }
  for (std::int32_t x = 0; x < width; ++x) {
    std::vector<bool> line(height);
    for (std::int32_t y = 0; y < height; ++y) line[y] = Masked(shape, x, y, width, height);
    const auto cells = SpanLine(line);
    for (std::size_t i = 0; i < cells.size(); ++i)
      *columns.PixelAt(x, static_cast<std::int32_t>(i)) = static_cast<std::uint32_t>(cells[i]);
  }
}

enum class Pass { Rows, Columns };

void FillArea(benchmark::State& state, std::int32_t width, std::int32_t height, Pass pass,
              Shape shape, KernelChoice choice) {
  SetKernelChoice(choice);
  ImageBuffer work, rows, columns;
  work.Resize(width, height, 25, 25);
  std::uint32_t seed = 12345;
  for (std::int64_t i = 0; i < std::int64_t{work.allocWidth} * work.allocHeight; ++i)
    work.pixels[i] = seed = seed * 1664525u + 1013904223u;
  BuildSpans(rows, columns, width, height, shape);
  const ImageBuffer& spans = pass == Pass::Rows ? rows : columns;
  for (auto _ : state) {
    if (pass == Pass::Rows)
      FillRows(work.View(), spans.View(), kFrameModeYuy2);
    else
      FillColumns(work.View(), spans.View(), kFrameModeYuy2);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
  SetKernelChoice(KernelChoice::Best);
}

const bool registered = [] {
  struct Area {
    std::int32_t width, height;
  };
  struct Kind {
    const char* name;
    Pass pass;
    Shape shape;
  };
  const Kind kinds[] = {{"rows/", Pass::Rows, Shape::Ellipse},
                        {"columns/", Pass::Columns, Shape::Ellipse},
                        {"columns_rect/", Pass::Columns, Shape::Rectangle}};
  for (Area area : {Area{100, 70}, Area{400, 200}})
    for (const Kind& kind : kinds) {
      const std::string prefix = std::string("LogoFill/") + kind.name +
                                 std::to_string(area.width) + "x" + std::to_string(area.height);
      const auto add = [&](const char* level, KernelChoice choice) {
        benchmark::RegisterBenchmark((prefix + level).c_str(), FillArea, area.width, area.height,
                                     kind.pass, kind.shape, choice);
      };
      add("/scalar", KernelChoice::ScalarOnly);
      add("/sse2", KernelChoice::Sse2Only);
      if (CpuHasAvx2()) add("/avx2", KernelChoice::Best);
    }
  return true;
}();

}  // namespace
}  // namespace kestrimo
