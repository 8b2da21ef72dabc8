#include "tools/kestrimo-host/PngEncoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/tools/TinyInflate.h"
#include "tools/kestrimo-host/Checksums.h"
#include "tools/kestrimo-host/Deflate.h"

namespace kestrimo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const char* text) { return Bytes(text, text + std::strlen(text)); }

Bytes Random(std::size_t count, unsigned seed, int levels = 256) {
  std::mt19937 random(seed);
  Bytes bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % levels);
  return bytes;
}

// CRC-32 bit by bit, independent of the table the encoder uses.
std::uint32_t SlowCrc(const std::uint8_t* data, std::size_t count) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < count; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::uint32_t BigEndian(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

TEST(Checksums, MatchTheirPublishedCheckValues) {
  const Bytes digits = Text("123456789");
  EXPECT_EQ(Crc32(digits.data(), digits.size()), 0xCBF43926u);
  const Bytes word = Text("Wikipedia");
  EXPECT_EQ(Adler32(word.data(), word.size()), 0x11E60398u);
  EXPECT_EQ(Crc32(nullptr, 0), 0u);
  EXPECT_EQ(Adler32(nullptr, 0), 1u);
}

TEST(Checksums, ContinueAcrossPiecesAndStayExactOnLongRunsOfHighBytes) {
  // 0xFF bytes make the Adler sums grow fastest: the reduction must come in time.
  const Bytes ones(200000, 0xFF);
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : ones) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  EXPECT_EQ(Adler32(ones.data(), ones.size()), (b << 16) | a);
  const Bytes data = Random(70001, 3);
  const std::uint32_t whole = Crc32(data.data(), data.size());
  EXPECT_EQ(whole, SlowCrc(data.data(), data.size()));
  EXPECT_EQ(Crc32(data.data() + 12345, data.size() - 12345, Crc32(data.data(), 12345)), whole);
  EXPECT_EQ(Adler32(data.data() + 9999, data.size() - 9999, Adler32(data.data(), 9999)),
            Adler32(data.data(), data.size()));
}

void ExpectRoundTrip(const Bytes& data, const std::string& what) {
  const Bytes stream = ZlibCompress(data.data(), data.size());
  ASSERT_GE(stream.size(), 6u) << what;
  EXPECT_EQ(stream[0], 0x78) << what;
  EXPECT_EQ((stream[0] * 256 + stream[1]) % 31, 0) << what;
  const auto back = testing::ZlibInflate(stream);
  ASSERT_TRUE(back.has_value()) << what << ": the stream does not decode";
  EXPECT_TRUE(*back == data) << what << ": " << back->size() << " bytes back of " << data.size();
}

TEST(Deflate, RoundTripsEdgeShapesOfInput) {
  ExpectRoundTrip({}, "empty");
  ExpectRoundTrip({0x42}, "one byte");
  ExpectRoundTrip({1, 2}, "two bytes, too short for a match");
  ExpectRoundTrip(Bytes(3, 7), "exactly the shortest match length");
  ExpectRoundTrip(Random(100000, 1), "incompressible");
  ExpectRoundTrip(Random(100000, 2, 3), "three symbols: many short matches");
  ExpectRoundTrip(Bytes(100000, 0), "one long run: overlapping matches at distance 1");
  ExpectRoundTrip(Bytes(259, 9), "a run one longer than the longest match");
  Bytes all(256 * 3);
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint8_t>(i);
  ExpectRoundTrip(all, "every literal, both code lengths");
}

TEST(Deflate, KeepsMatchesInsideTheWindow) {
  // A block repeated just inside and just beyond the 32 KB reach of a match.
  for (std::size_t gap : {32768 - 64, 32768 - 63, 32768 + 1}) {
    Bytes data = Random(gap, 4);
    const Bytes head(data.begin(), data.begin() + 64);
    data.insert(data.end(), head.begin(), head.end());
    ExpectRoundTrip(data, "repeat at distance " + std::to_string(gap));
  }
}

TEST(Deflate, CompressesRepetitiveData) {
  const Bytes data(1 << 20, 0x55);
  EXPECT_LT(ZlibCompress(data.data(), data.size()).size(), data.size() / 50);
}

struct Chunk {
  std::string type;
  Bytes data;
};

// Splits a PNG file into its chunks, checking the signature and every CRC.
std::vector<Chunk> Chunks(const Bytes& png) {
  static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<Chunk> chunks;
  EXPECT_TRUE(png.size() >= 8 && std::memcmp(png.data(), signature, 8) == 0);
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = BigEndian(png, at);
    if (at + 12 + length > png.size()) break;
    Chunk chunk{std::string(png.begin() + at + 4, png.begin() + at + 8),
                Bytes(png.begin() + at + 8, png.begin() + at + 8 + length)};
    EXPECT_EQ(BigEndian(png, at + 8 + length), SlowCrc(png.data() + at + 4, 4 + length))
        << "CRC of " << chunk.type;
    chunks.push_back(std::move(chunk));
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size()) << "bytes after the last whole chunk";
  return chunks;
}

std::uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// The pixels of an 8-bit RGB PNG, rows packed; every standard filter is undone.
Bytes DecodeRgb(const Bytes& png, int& width, int& height) {
  const std::vector<Chunk> chunks = Chunks(png);
  Bytes stream;
  for (const Chunk& chunk : chunks)
    if (chunk.type == "IDAT") stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
  if (chunks.empty() || chunks.front().type != "IHDR" || chunks.back().type != "IEND") return {};
  width = static_cast<int>(BigEndian(chunks.front().data, 0));
  height = static_cast<int>(BigEndian(chunks.front().data, 4));
  const auto raw = testing::ZlibInflate(stream);
  const std::size_t row = 3 * static_cast<std::size_t>(width);
  if (!raw || raw->size() != (row + 1) * height) return {};
  Bytes pixels(row * height);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t filter = (*raw)[y * (row + 1)];
    for (std::size_t i = 0; i < row; ++i) {
      const int a = i >= 3 ? pixels[y * row + i - 3] : 0;
      const int b = y > 0 ? pixels[(y - 1) * row + i] : 0;
      const int c = i >= 3 && y > 0 ? pixels[(y - 1) * row + i - 3] : 0;
      const int predictor = filter == 0 ? 0 : filter == 1 ? a : filter == 2 ? b
                          : filter == 3 ? (a + b) / 2 : Paeth(a, b, c);
      pixels[y * row + i] = static_cast<std::uint8_t>((*raw)[y * (row + 1) + 1 + i] + predictor);
    }
  }
  return pixels;
}

TEST(PngEncoder, WritesAHeaderForEightBitRgbAndEndsWithIend) {
  const Bytes pixels = {255, 0, 0, 0, 0, 255};  // red, blue
  const Bytes png = EncodePng({pixels.data(), 2, 1, 6});
  const std::vector<Chunk> chunks = Chunks(png);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].type, "IHDR");
  EXPECT_EQ(chunks[0].data, (Bytes{0, 0, 0, 2, 0, 0, 0, 1, 8, 2, 0, 0, 0}));
  EXPECT_EQ(chunks[1].type, "IDAT");
  EXPECT_EQ(chunks[2].type, "IEND");
  EXPECT_TRUE(chunks[2].data.empty());
  int width = 0, height = 0;
  EXPECT_EQ(DecodeRgb(png, width, height), pixels);
}

TEST(PngEncoder, RoundTripsPicturesWithPaddedRowsAndEveryFilterChoice) {
  // Smooth rows favour Sub, repeated rows Up, noise None; the stride skips padding.
  const int width = 37, height = 23;
  const std::size_t stride = 3 * width + 5;
  Bytes padded = Random(stride * height, 5);
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < 3 * width; ++i) {
      std::uint8_t& v = padded[y * stride + i];
      if (y % 3 == 0) v = static_cast<std::uint8_t>(i * 2);
      if (y % 3 == 1 && y > 0) v = padded[(y - 1) * stride + i];
    }
  }
  const Bytes png = EncodePng({padded.data(), width, height, stride});
  int w = 0, h = 0;
  const Bytes decoded = DecodeRgb(png, w, h);
  ASSERT_EQ(w, width);
  ASSERT_EQ(h, height);
  ASSERT_EQ(decoded.size(), 3u * width * height);
  for (int y = 0; y < height; ++y)
    ASSERT_EQ(0, std::memcmp(decoded.data() + 3 * width * y, padded.data() + stride * y, 3 * width))
        << "row " << y;
}

TEST(PngEncoder, SplitsLargeDataIntoSeveralIdatChunks) {
  const int width = 700, height = 700;  // noise: more than 1 MiB compressed
  const Bytes pixels = Random(3u * width * height, 6);
  const Bytes png = EncodePng({pixels.data(), width, height, 3u * width});
  int idats = 0;
  for (const Chunk& chunk : Chunks(png)) {
    if (chunk.type != "IDAT") continue;
    EXPECT_LE(chunk.data.size(), 1u << 20);
    ++idats;
  }
  EXPECT_GE(idats, 2);
  int w = 0, h = 0;
  EXPECT_TRUE(DecodeRgb(png, w, h) == pixels);
}

TEST(PngEncoder, GivesNothingForAPictureWithoutPixels) {
  const Bytes pixel = {1, 2, 3};
  EXPECT_TRUE(EncodePng({pixel.data(), 0, 1, 3}).empty());
  EXPECT_TRUE(EncodePng({pixel.data(), 1, 0, 3}).empty());
  EXPECT_TRUE(EncodePng({nullptr, 1, 1, 3}).empty());
}

}  // namespace
}  // namespace kestrimo
