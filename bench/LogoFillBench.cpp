// The logo fill over a whole area with an elliptic mask inset by 3 pixels:
// row pass and column pass, scalar runs against their SSE2 twins.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/LogoFill.h"
#include "mask/FrameGeometry.h"
#include "mask/ImageBuffer.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kInset = 3;

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

void BuildSpans(ImageBuffer& rows, ImageBuffer& columns, std::int32_t width, std::int32_t height) {
  rows.Resize(width, height, 25, 25);
  columns.Resize(width, height, 25, 25);
  for (std::int32_t y = 0; y < height; ++y) {
    std::vector<bool> line(width);
    for (std::int32_t x = 0; x < width; ++x) line[x] = InEllipse(x, y, width, height);
    const auto cells = SpanLine(line);
    for (std::size_t i = 0; i < cells.size(); ++i)
      *rows.PixelAt(static_cast<std::int32_t>(i), y) = static_cast<std::uint32_t>(cells[i]);
  }
  for (std::int32_t x = 0; x < width; ++x) {
    std::vector<bool> line(height);
    for (std::int32_t y = 0; y < height; ++y) line[y] = InEllipse(x, y, width, height);
    const auto cells = SpanLine(line);
    for (std::size_t i = 0; i < cells.size(); ++i)
      *columns.PixelAt(x, static_cast<std::int32_t>(i)) = static_cast<std::uint32_t>(cells[i]);
  }
}

enum class Pass { Rows, Columns };

void FillArea(benchmark::State& state, std::int32_t width, std::int32_t height, Pass pass,
              KernelChoice choice) {
  SetKernelChoice(choice);
  ImageBuffer work, rows, columns;
  work.Resize(width, height, 25, 25);
  std::uint32_t seed = 12345;
  for (std::int64_t i = 0; i < std::int64_t{work.allocWidth} * work.allocHeight; ++i)
    work.pixels[i] = seed = seed * 1664525u + 1013904223u;
  BuildSpans(rows, columns, width, height);
  const ImageBuffer& spans = pass == Pass::Rows ? rows : columns;
  const auto* cells = reinterpret_cast<const std::int32_t*>(spans.pixels);
  const Size workSize{work.allocWidth, work.allocHeight};
  const Size spanSize{spans.allocWidth, spans.allocHeight};
  for (auto _ : state) {
    if (pass == Pass::Rows)
      FillRows(work.pixels, workSize, work.rect, cells, spanSize, kFrameModeYuy2);
    else
      FillColumns(work.pixels, workSize, work.rect, cells, spanSize, kFrameModeYuy2);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
  SetKernelChoice(KernelChoice::Best);
}

const bool registered = [] {
  struct Area {
    std::int32_t width, height;
  };
  for (Area area : {Area{100, 70}, Area{400, 200}})
    for (Pass pass : {Pass::Rows, Pass::Columns}) {
      const std::string prefix = std::string("LogoFill/") +
                                 (pass == Pass::Rows ? "rows/" : "columns/") +
                                 std::to_string(area.width) + "x" + std::to_string(area.height);
      benchmark::RegisterBenchmark((prefix + "/scalar").c_str(), FillArea, area.width,
                                   area.height, pass, KernelChoice::ScalarOnly);
      benchmark::RegisterBenchmark((prefix + "/sse2").c_str(), FillArea, area.width, area.height,
                                   pass, KernelChoice::Sse2Only);
    }
  return true;
}();

}  // namespace
}  // namespace kestrimo
