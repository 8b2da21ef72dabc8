#include "imaging/HistoryKernels.h"

namespace kestrimo {
namespace {

std::int32_t Byte(std::uint32_t pixel, int b) { return static_cast<std::int32_t>((pixel >> (8 * b)) & 0xFF); }

// One neighbour of a source point, counted when it holds a value.
struct Gather {
  std::int32_t weight = 0, oldest = 0;
  std::int32_t sums[4] = {};

  void Add(const std::uint32_t* row, const std::uint8_t* ages, std::int32_t x, std::int32_t width,
           std::int32_t w) {
    if (row == nullptr || w == 0 || x < 0 || x >= width || ages[x] == kNoHistory) return;
    weight += w;
    if (ages[x] > oldest) oldest = ages[x];
    for (int b = 0; b < 4; ++b) sums[b] += w * Byte(row[x], b);
  }
};

void CarryRow(const HistorySource& s, const std::uint8_t* hidden, std::int32_t count,
              std::int32_t maxAge, std::uint32_t* values, std::uint8_t* ages) {
  const std::int32_t up = 256 - s.down;
  for (std::int32_t i = 0; i < count; ++i) {
    if (hidden[i] == 0) continue;
    const std::int32_t position = s.origin + ((s.start + i * s.step) >> 9);
    const std::int32_t x = position >> 8, right = position & 255, left = 256 - right;
    Gather g;
    g.Add(s.above, s.aboveAges, x, s.width, left * up);
    g.Add(s.above, s.aboveAges, x + 1, s.width, right * up);
    g.Add(s.below, s.belowAges, x, s.width, left * s.down);
    g.Add(s.below, s.belowAges, x + 1, s.width, right * s.down);
    if (2 * g.weight < 65536 || g.oldest >= maxAge) {
      ages[i] = kNoHistory;
      continue;
    }
    std::uint32_t pixel = 0;
    for (int b = 0; b < 4; ++b)
      pixel |= static_cast<std::uint32_t>((g.sums[b] + g.weight / 2) / g.weight) << (8 * b);
    values[i] = pixel;
    ages[i] = static_cast<std::uint8_t>(g.oldest + 1);
  }
}

void MixRow(const std::uint32_t* history, const std::uint8_t* const ages[3], std::int32_t count,
            std::uint32_t* work) {
  for (std::int32_t i = 0; i < count; ++i) {
    if (ages[1][i] == kNoHistory) continue;  // nothing of its own to show
    std::int32_t n = 0;
    for (int r = 0; r < 3; ++r)
      for (std::int32_t j = i - 1; j <= i + 1; ++j) n += ages[r][j] != kNoHistory ? 1 : 0;
    if (n == 0) continue;
    std::uint32_t pixel = 0;
    for (int b = 0; b < 4; ++b) {
      const std::int32_t mixed = (Byte(history[i], b) * n + Byte(work[i], b) * (9 - n) + 4) / 9;
      pixel |= static_cast<std::uint32_t>(mixed) << (8 * b);
    }
    work[i] = pixel;
  }
}

}  // namespace

void FillScalar(HistoryKernels& kernels) { kernels = {CarryRow, MixRow}; }

void UpgradeToAvx2(HistoryKernels&) {}

}  // namespace kestrimo
