// The removal span lists of the frame mask's rows and columns.
#include "mask/MaskRebuild.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "mask/MaskLines.h"

namespace kestrimo {
using namespace mask_lines;

namespace {

// The key pixels of one row as bits, 64 columns a word.
void KeyBitsOfRow(const std::uint32_t* row, std::int32_t width, std::uint32_t key,
                  std::uint64_t* bits) {
  for (std::int32_t base = 0; base < width; base += 64) {
    const std::int32_t count = std::min(64, width - base);
    std::uint64_t word = 0;
    for (std::int32_t b = 0; b < count; ++b)
      word |= static_cast<std::uint64_t>(IsKey(row[base + b], key)) << b;
    bits[base / 64] = word;
  }
}

}  // namespace

// A row equal to the row before it (both inside the list rows) takes that
// row's list.
void MaskRebuild::BuildRowSpans(std::uint32_t colorKey) {
  const Rect area = FrameMask.rect;
  if (FrameMask.pixels == nullptr || RowSpans.pixels == nullptr) return;
  if (RowSpans.rect.Width() < area.Width() || RowSpans.rect.Height() < area.Height()) return;
  const std::uint32_t key = KeyFromColour(colorKey);
  const std::int32_t n = area.Width();
  std::int32_t previousLength = 0;  // entries of the list of the row before, 0 for none
  for (std::int32_t y = 0; y < area.Height(); ++y) {
    auto* cells = reinterpret_cast<std::int32_t*>(RowSpans.PixelAt(0, y));
    if (y == 0 || y == area.Height() - 1 || n < 2) {
      cells[0] = kEndOfList;
      previousLength = 0;
      continue;
    }
    const std::uint32_t* row = FrameMask.PixelAt(0, y);
    if (previousLength > 0 && SameLine(row, FrameMask.PixelAt(0, y - 1), n)) {
      std::memcpy(cells, RowSpans.PixelAt(0, y - 1),
                  static_cast<std::size_t>(previousLength) * sizeof *cells);
      continue;
    }
    std::int32_t length = 0;
    BuildLineSpans(n, key, [row](std::int32_t i) { return row[i]; },
                   [cells, &length](std::int32_t m) -> std::int32_t& {
                     length = m + 1;
                     return cells[m];
                   });
    previousLength = length;
  }
}

// Writes the pair of the run of column x that started at runStart and whose
// right anchor is row k; the cursor moves to k.
void MaskRebuild::EndColumnRun(std::int32_t x, std::int32_t k, std::int32_t& cursor,
                               std::int32_t& length, std::int32_t& runStart) {
  ColumnCell(x, length++) = runStart - 1 - cursor;
  ColumnCell(x, length++) = k - runStart + 1;
  runStart = -1;
  cursor = k;
}

// The lists of all columns at once, sweeping the rows in memory order. Each
// column keeps its cursor (-1 once its list is complete), its list length
// and the start of the run it is in (-1 while it looks for one). Below row
// 1 and above the last row, a column whose pixel is as key as the one above
// it keeps its state (a key pixel continues a run, a kept one the search), so
// only the columns whose key bit changed are visited, and a row equal to
// the one above it not at all; the last row closes every list.
void MaskRebuild::BuildColumnSpans(std::uint32_t colorKey) {
  const Rect area = FrameMask.rect;
  if (FrameMask.pixels == nullptr || ColumnSpans.pixels == nullptr) return;
  if (ColumnSpans.rect.Width() < area.Width() || ColumnSpans.rect.Height() < area.Height()) return;
  const std::uint32_t key = KeyFromColour(colorKey);
  const std::int32_t w = area.Width();
  const std::int32_t n = area.Height();
  if (w == 0 || n == 0) return;
  const std::int32_t words = (w + 63) / 64;
  std::int32_t* state = columnState_.Ensure(3 * w);
  std::uint64_t* bits = keyBits_.Ensure(2 * words);
  if (n < 3 || w < 3 || state == nullptr || bits == nullptr) {
    if (n >= 3 && w >= 3) return BuildColumnSpansOneByOne(key);
    for (std::int32_t x = 0; x < w; ++x) ColumnCell(x, 0) = kEndOfList;
    return;
  }
  std::int32_t* cursor = state;
  std::int32_t* length = state + w;
  std::int32_t* runStart = state + 2 * w;
  std::fill_n(cursor, w, 0);
  std::fill_n(length, w, 0);
  std::fill_n(runStart, w, -1);
  ColumnCell(0, 0) = kEndOfList;
  ColumnCell(w - 1, 0) = kEndOfList;
  std::uint64_t* above = bits;
  std::uint64_t* here = bits + words;
  std::fill_n(above, words, 0);  // row 0 never starts a run: as if kept
  for (std::int32_t t = 1; t < n - 1; ++t) {
    const std::uint32_t* row = FrameMask.PixelAt(0, t);
    if (t >= 2 && SameLine(row, FrameMask.PixelAt(0, t - 1), w)) continue;
    KeyBitsOfRow(row, w, key, here);
    for (std::int32_t i = 0; i < words; ++i) {
      for (std::uint64_t changed = here[i] ^ above[i]; changed != 0; changed &= changed - 1) {
        const std::int32_t x = 64 * i + std::countr_zero(changed);
        if (x == 0 || x == w - 1 || cursor[x] < 0) continue;
        if (runStart[x] < 0) {
          runStart[x] = t;  // a key pixel below a kept one starts a run
        } else {
          EndColumnRun(x, t, cursor[x], length[x], runStart[x]);
        }
      }
    }
    std::swap(above, here);
  }
  for (std::int32_t x = 1; x < w - 1; ++x) {  // the last row ends every list
    if (cursor[x] < 0) continue;
    if (runStart[x] >= 0) EndColumnRun(x, n - 1, cursor[x], length[x], runStart[x]);
    ColumnCell(x, length[x]) = kEndOfList;
  }
}

// Column by column, for when the sweep's state cannot be had.
void MaskRebuild::BuildColumnSpansOneByOne(std::uint32_t key) {
  const std::int32_t n = FrameMask.rect.Height();
  for (std::int32_t x = 0; x < FrameMask.rect.Width(); ++x) {
    auto cellAt = [this, x](std::int32_t m) -> std::int32_t& {
      return *reinterpret_cast<std::int32_t*>(ColumnSpans.PixelAt(x, m));
    };
    if (x == 0 || x == FrameMask.rect.Width() - 1 || n < 2) {
      cellAt(0) = kEndOfList;
      continue;
    }
    BuildLineSpans(n, key, [this, x](std::int32_t i) { return *FrameMask.PixelAt(x, i); }, cellAt);
  }
}

}  // namespace kestrimo
