#include "tools/kestrimo-host/Deflate.h"

#include <algorithm>
#include <array>

#include "tools/kestrimo-host/Checksums.h"

namespace kestrimo {
namespace {

constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 258;
constexpr std::size_t kWindow = 32768;
constexpr int kHashBits = 15;
constexpr std::size_t kNoPosition = SIZE_MAX;
constexpr int kEndOfBlock = 256;

// Lengths 3..258 and distances 1..32768: the first value of each code and
// the number of extra bits that follow it.
constexpr std::array<std::uint16_t, 29> kLengthBase = {
    3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
    35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {
    1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193,
    257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Writes bits least significant first, as deflate packs them.
class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void Put(std::uint32_t value, int count) {
    bits_ |= static_cast<std::uint64_t>(value) << count_;
    count_ += count;
    while (count_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
      count_ -= 8;
    }
  }

  // Huffman codes go most significant bit first.
  void PutCode(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    Put(reversed, length);
  }

  void Flush() {
    if (count_ > 0) out_.push_back(static_cast<std::uint8_t>(bits_));
    bits_ = 0;
    count_ = 0;
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::uint64_t bits_ = 0;
  int count_ = 0;
};

// The fixed literal/length code of a symbol 0..287.
void PutSymbol(BitWriter& bits, int symbol) {
  if (symbol < 144) return bits.PutCode(0x30 + symbol, 8);
  if (symbol < 256) return bits.PutCode(0x190 + (symbol - 144), 9);
  if (symbol < 280) return bits.PutCode(symbol - 256, 7);
  bits.PutCode(0xC0 + (symbol - 280), 8);
}

// Index of the last base not above value.
template <std::size_t N>
std::size_t CodeOf(const std::array<std::uint16_t, N>& bases, std::size_t value) {
  return static_cast<std::size_t>(std::upper_bound(bases.begin(), bases.end(), value) - bases.begin()) - 1;
}

void PutMatch(BitWriter& bits, std::size_t length, std::size_t distance) {
  const std::size_t l = CodeOf(kLengthBase, length);
  PutSymbol(bits, 257 + static_cast<int>(l));
  bits.Put(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
  const std::size_t d = CodeOf(kDistanceBase, distance);
  bits.PutCode(static_cast<std::uint32_t>(d), 5);
  bits.Put(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

std::size_t Hash(const std::uint8_t* p) {
  const std::uint32_t h = (static_cast<std::uint32_t>(p[0]) << 10) ^
                          (static_cast<std::uint32_t>(p[1]) << 5) ^ p[2];
  return (h ^ (h >> kHashBits)) & ((1u << kHashBits) - 1);
}

std::size_t MatchLength(const std::uint8_t* data, std::size_t from, std::size_t at, std::size_t limit) {
  std::size_t length = 0;
  while (length < limit && data[from + length] == data[at + length]) ++length;
  return length;
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace

std::vector<std::uint8_t> ZlibCompress(const std::uint8_t* data, std::size_t count) {
  std::vector<std::uint8_t> out = {0x78, 0x01};  // deflate, 32 KB window, no dictionary
  out.reserve(count / 2 + 64);
  BitWriter bits(out);
  bits.Put(1, 1);  // the last block
  bits.Put(1, 2);  // fixed Huffman codes
  std::vector<std::size_t> head(std::size_t{1} << kHashBits, kNoPosition);
  std::size_t i = 0;
  while (i < count) {
    std::size_t length = 0;
    std::size_t distance = 0;
    if (count - i >= kMinMatch) {
      const std::size_t slot = Hash(data + i);
      const std::size_t candidate = head[slot];
      head[slot] = i;
      if (candidate != kNoPosition && i - candidate <= kWindow) {
        length = MatchLength(data, candidate, i, std::min(kMaxMatch, count - i));
        distance = i - candidate;
      }
    }
    if (length < kMinMatch) {
      PutSymbol(bits, data[i++]);
      continue;
    }
    PutMatch(bits, length, distance);
    for (std::size_t k = i + 1; k < i + length && count - k >= kMinMatch; ++k) head[Hash(data + k)] = k;
    i += length;
  }
  PutSymbol(bits, kEndOfBlock);
  bits.Flush();
  PutBigEndian32(out, Adler32(data, count));
  return out;
}

}  // namespace kestrimo
