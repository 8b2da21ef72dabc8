#include "tests/tools/TinyInflate.h"

#include <cstddef>

namespace kestrimo::testing {
namespace {

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                   33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class BitReader {
 public:
  BitReader(const std::vector<std::uint8_t>& data, std::size_t start, std::size_t end)
      : data_(data), byte_(start), end_(end) {}

  bool Bit(int& bit) {
    if (byte_ >= end_) return false;
    bit = (data_[byte_] >> bit_) & 1;
    if (++bit_ == 8) {
      bit_ = 0;
      ++byte_;
    }
    return true;
  }

  // `count` bits, least significant first.
  bool Bits(int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
      int bit = 0;
      if (!Bit(bit)) return false;
      value |= bit << i;
    }
    return true;
  }

  // A Huffman code of `count` bits, most significant first, continuing `code`.
  bool Code(int count, int& code) {
    for (int i = 0; i < count; ++i) {
      int bit = 0;
      if (!Bit(bit)) return false;
      code = (code << 1) | bit;
    }
    return true;
  }

  void AlignToByte() {
    if (bit_ != 0) {
      bit_ = 0;
      ++byte_;
    }
  }
  std::size_t Byte() const { return byte_; }
  void Skip(std::size_t bytes) { byte_ += bytes; }

 private:
  const std::vector<std::uint8_t>& data_;
  std::size_t byte_;
  std::size_t end_;
  int bit_ = 0;
};

// Reads one symbol of the fixed literal/length code.
bool FixedSymbol(BitReader& in, int& symbol) {
  int code = 0;
  if (!in.Code(7, code)) return false;
  if (code <= 23) return symbol = 256 + code, true;
  if (!in.Code(1, code)) return false;
  if (code >= 0x30 && code <= 0xBF) return symbol = code - 0x30, true;
  if (code >= 0xC0 && code <= 0xC7) return symbol = 280 + code - 0xC0, true;
  if (!in.Code(1, code)) return false;
  if (code >= 0x190 && code <= 0x1FF) return symbol = 144 + code - 0x190, true;
  return false;
}

bool FixedBlock(BitReader& in, std::vector<std::uint8_t>& out) {
  for (;;) {
    int symbol = 0;
    if (!FixedSymbol(in, symbol)) return false;
    if (symbol < 256) {
      out.push_back(static_cast<std::uint8_t>(symbol));
      continue;
    }
    if (symbol == 256) return true;
    if (symbol > 285) return false;
    int extra = 0;
    if (!in.Bits(kLengthExtra[symbol - 257], extra)) return false;
    const int length = kLengthBase[symbol - 257] + extra;
    int d = 0;
    if (!in.Code(5, d) || d > 29 || !in.Bits(kDistanceExtra[d], extra)) return false;
    const std::size_t distance = static_cast<std::size_t>(kDistanceBase[d] + extra);
    if (distance > out.size()) return false;
    for (int i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
  }
}

bool StoredBlock(BitReader& in, const std::vector<std::uint8_t>& data, std::size_t end,
                 std::vector<std::uint8_t>& out) {
  in.AlignToByte();
  const std::size_t at = in.Byte();
  if (at + 4 > end) return false;
  const unsigned length = data[at] | (data[at + 1] << 8);
  const unsigned check = data[at + 2] | (data[at + 3] << 8);
  if ((length ^ 0xFFFF) != check || at + 4 + length > end) return false;
  out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at + 4),
             data.begin() + static_cast<std::ptrdiff_t>(at + 4 + length));
  in.Skip(4 + length);
  return true;
}

std::uint32_t Adler(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ZlibInflate(const std::vector<std::uint8_t>& stream) {
  if (stream.size() < 6 || (stream[0] & 0x0F) != 8 || (stream[0] * 256 + stream[1]) % 31 != 0 ||
      (stream[1] & 0x20) != 0)
    return std::nullopt;
  const std::size_t end = stream.size() - 4;
  BitReader in(stream, 2, end);
  std::vector<std::uint8_t> out;
  for (int last = 0; last == 0;) {
    int type = 0;
    if (!in.Bits(1, last) || !in.Bits(2, type)) return std::nullopt;
    const bool good = type == 0 ? StoredBlock(in, stream, end, out) : type == 1 && FixedBlock(in, out);
    if (!good) return std::nullopt;
  }
  const std::uint32_t stored = (std::uint32_t{stream[end]} << 24) | (stream[end + 1] << 16) |
                               (stream[end + 2] << 8) | stream[end + 3];
  if (stored != Adler(out)) return std::nullopt;
  return out;
}

}  // namespace kestrimo::testing
