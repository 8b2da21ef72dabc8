#include "tools/kestrimo-host/PngEncoder.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "tools/kestrimo-host/Checksums.h"
#include "tools/kestrimo-host/Deflate.h"

namespace kestrimo {
namespace {

constexpr std::size_t kBytesPerPixel = 3;
constexpr std::size_t kMaxIdatBytes = std::size_t{1} << 20;
constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

enum Filter : std::uint8_t { kNone = 0, kSub = 1, kUp = 2 };

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type, const std::uint8_t* data,
              std::size_t count) {
  PutBigEndian32(out, static_cast<std::uint32_t>(count));
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data, data + count);
  PutBigEndian32(out, Crc32(out.data() + start, out.size() - start));
}

// The byte of `row` filtered with `filter`; `above` is null on the first row.
std::uint8_t Filtered(Filter filter, const std::uint8_t* row, const std::uint8_t* above, std::size_t i) {
  const std::uint8_t left = i >= kBytesPerPixel ? row[i - kBytesPerPixel] : 0;
  const std::uint8_t up = above != nullptr ? above[i] : 0;
  switch (filter) {
    case kSub: return static_cast<std::uint8_t>(row[i] - left);
    case kUp: return static_cast<std::uint8_t>(row[i] - up);
    default: return row[i];
  }
}

// The usual heuristic: the filter whose bytes, read as signed, sum smallest.
Filter ChooseFilter(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes) {
  Filter best = kNone;
  std::uint64_t bestSum = UINT64_MAX;
  for (Filter filter : {kNone, kSub, kUp}) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < bytes; ++i)
      sum += static_cast<std::uint64_t>(std::abs(static_cast<std::int8_t>(Filtered(filter, row, above, i))));
    if (sum < bestSum) {
      best = filter;
      bestSum = sum;
    }
  }
  return best;
}

// The rows with their filter bytes, as the zlib stream of a PNG holds them.
std::vector<std::uint8_t> FilterRows(const RgbView& image) {
  const std::size_t rowBytes = kBytesPerPixel * static_cast<std::size_t>(image.width);
  std::vector<std::uint8_t> filtered;
  filtered.reserve((rowBytes + 1) * static_cast<std::size_t>(image.height));
  const std::uint8_t* above = nullptr;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = image.pixels + static_cast<std::size_t>(y) * image.stride;
    const Filter filter = ChooseFilter(row, above, rowBytes);
    filtered.push_back(filter);
    for (std::size_t i = 0; i < rowBytes; ++i) filtered.push_back(Filtered(filter, row, above, i));
    above = row;
  }
  return filtered;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const RgbView& image) {
  if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) return {};
  std::vector<std::uint8_t> png(std::begin(kSignature), std::end(kSignature));
  std::vector<std::uint8_t> header;
  PutBigEndian32(header, static_cast<std::uint32_t>(image.width));
  PutBigEndian32(header, static_cast<std::uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, standard filters, no interlace
  PutChunk(png, "IHDR", header.data(), header.size());

  const std::vector<std::uint8_t> filtered = FilterRows(image);
  const std::vector<std::uint8_t> stream = ZlibCompress(filtered.data(), filtered.size());
  for (std::size_t at = 0; at < stream.size(); at += kMaxIdatBytes)
    PutChunk(png, "IDAT", stream.data() + at, std::min(kMaxIdatBytes, stream.size() - at));
  PutChunk(png, "IEND", nullptr, 0);
  return png;
}

}  // namespace kestrimo
