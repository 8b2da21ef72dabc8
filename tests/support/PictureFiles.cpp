#include "tests/support/PictureFiles.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace kestrimo::testing {
namespace {

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Put32Be(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

std::uint32_t Crc32(const std::string& bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const std::string& bytes) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
  Put32Be(png, static_cast<std::uint32_t>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  png += typed;
  Put32Be(png, Crc32(typed));
}

// A zlib stream of stored deflate blocks.
std::string StoredZlib(const std::string& raw) {
  std::string out = "\x78\x01";
  std::size_t at = 0;
  do {
    const std::size_t length = std::min<std::size_t>(raw.size() - at, 65535);
    const bool last = at + length == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    Put16(out, static_cast<std::uint32_t>(length));
    Put16(out, static_cast<std::uint32_t>(~length & 0xFFFF));
    out.append(raw, at, length);
    at += length;
  } while (at < raw.size());
  Put32Be(out, Adler32(raw));
  return out;
}

std::uint32_t Key(const Rgba& p) { return p.r | (p.g << 8) | (p.b << 16); }

// Packs codes of `width` bits, least significant bit first.
class BitWriter {
 public:
  void Put(std::uint32_t code, int width) {
    bits_ |= code << count_;
    count_ += width;
    while (count_ >= 8) {
      bytes_ += static_cast<char>(bits_ & 0xFF);
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  std::string Finish() {
    if (count_ > 0) bytes_ += static_cast<char>(bits_ & 0xFF);
    return bytes_;
  }

 private:
  std::uint32_t bits_ = 0;
  int count_ = 0;
  std::string bytes_;
};

// LZW codes of 8-bit indices as a GIF decoder reads them: the code width
// grows with the table, and a clear code starts a new table once it holds
// 4096 entries.
std::string LzwEncode(const std::vector<std::uint8_t>& indices) {
  constexpr int kClear = 256, kEnd = 257, kFirst = 258, kLimit = 4096;
  std::vector<std::int16_t> table(std::size_t{kLimit} * 256, -1);  // (prefix, index) -> code
  BitWriter writer;
  int width = 9;
  int next = kFirst;
  writer.Put(kClear, width);
  int prefix = -1;
  for (std::uint8_t index : indices) {
    if (prefix < 0) {
      prefix = index;
      continue;
    }
    const std::size_t slot = static_cast<std::size_t>(prefix) * 256 + index;
    if (table[slot] >= 0) {
      prefix = table[slot];
      continue;
    }
    writer.Put(static_cast<std::uint32_t>(prefix), width);
    if (next == kLimit) {
      writer.Put(kClear, width);
      std::fill(table.begin(), table.end(), std::int16_t{-1});
      width = 9;
      next = kFirst;
    } else {
      if (next == (1 << width)) ++width;
      table[slot] = static_cast<std::int16_t>(next++);
    }
    prefix = index;
  }
  if (prefix >= 0) {
    writer.Put(static_cast<std::uint32_t>(prefix), width);
    // The decoder adds an entry for this code too, which may widen the next.
    if (next == (1 << width) && width < 12) ++width;
  }
  writer.Put(kEnd, width);
  return writer.Finish();
}

void PutSubBlocks(std::string& out, const std::string& data) {
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t length = std::min<std::size_t>(255, data.size() - at);
    out += static_cast<char>(length);
    out.append(data, at, length);
  }
  out += '\0';
}

}  // namespace

Picture PatternPicture(int width, int height, int seed, int colours) {
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t n = static_cast<std::uint32_t>((x * 7 + y * 13 + seed * 31) % colours);
      const std::uint32_t h = (n + 1u + static_cast<std::uint32_t>(seed)) * 2654435761u;
      picture.At(x, y) = Rgba{static_cast<std::uint8_t>(h >> 24), static_cast<std::uint8_t>(h >> 16),
                              static_cast<std::uint8_t>(n), 255};
    }
  }
  return picture;
}

std::string EncodeBmp(const Picture& picture, int bitsPerPixel) {
  const int bytesPerPixel = bitsPerPixel / 8;
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(picture.width) * bytesPerPixel + 3) & ~3u;
  const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(picture.height);
  std::string out = "BM";
  Put32(out, 54 + dataBytes);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(picture.width));
  Put32(out, static_cast<std::uint32_t>(picture.height));
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(bitsPerPixel));
  for (int i = 0; i < 6; ++i) Put32(out, 0);  // BI_RGB, sizes, resolution, palette
  for (int y = picture.height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < picture.width; ++x) {
      const Rgba& p = picture.At(x, y);
      row += static_cast<char>(p.b);
      row += static_cast<char>(p.g);
      row += static_cast<char>(p.r);
      if (bytesPerPixel == 4) row += static_cast<char>(p.a);
    }
    row.resize(rowBytes, '\0');
    out += row;
  }
  return out;
}

std::string EncodePng(const Picture& picture, bool withAlpha) {
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  Put32Be(header, static_cast<std::uint32_t>(picture.width));
  Put32Be(header, static_cast<std::uint32_t>(picture.height));
  header += '\x08';                      // bit depth
  header += withAlpha ? '\x06' : '\x02';  // RGBA or RGB
  header += std::string(3, '\0');        // deflate, adaptive filtering, not interlaced
  PutChunk(png, "IHDR", header);
  std::string raw;
  for (int y = 0; y < picture.height; ++y) {
    raw += '\0';  // filter: none
    for (int x = 0; x < picture.width; ++x) {
      const Rgba& p = picture.At(x, y);
      raw += static_cast<char>(p.r);
      raw += static_cast<char>(p.g);
      raw += static_cast<char>(p.b);
      if (withAlpha) raw += static_cast<char>(p.a);
    }
  }
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", "");
  return png;
}

std::string EncodeGif(int screenWidth, int screenHeight, const std::vector<GifFrame>& frames) {
  std::map<std::uint32_t, std::uint8_t> palette;
  std::array<Rgba, 256> table{};
  for (const GifFrame& frame : frames) {
    for (const Rgba& p : frame.picture.pixels) {
      if (palette.count(Key(p))) continue;
      if (palette.size() == 256) throw std::invalid_argument("more than 256 colours");
      table[palette.size()] = p;
      palette.emplace(Key(p), static_cast<std::uint8_t>(palette.size()));
    }
  }
  std::string out = "GIF89a";
  Put16(out, static_cast<std::uint32_t>(screenWidth));
  Put16(out, static_cast<std::uint32_t>(screenHeight));
  out += '\xF7';  // global table of 256 entries, 8-bit colour resolution
  out += '\0';    // background index
  out += '\0';    // aspect ratio
  for (const Rgba& p : table) {
    out += static_cast<char>(p.r);
    out += static_cast<char>(p.g);
    out += static_cast<char>(p.b);
  }
  for (const GifFrame& frame : frames) {
    std::vector<std::uint8_t> indices;
    indices.reserve(frame.picture.pixels.size());
    for (const Rgba& p : frame.picture.pixels) indices.push_back(palette.at(Key(p)));
    const std::string codes = LzwEncode(indices);
    for (int copy = 0; copy < frame.repeat; ++copy) {
      out += "\x21\xF9\x04\x04";  // graphic control: do not dispose, no transparency
      Put16(out, 10);             // delay, 1/100 s
      out += std::string(2, '\0');
      out += '\x2C';
      Put16(out, static_cast<std::uint32_t>(frame.left));
      Put16(out, static_cast<std::uint32_t>(frame.top));
      Put16(out, static_cast<std::uint32_t>(frame.picture.width));
      Put16(out, static_cast<std::uint32_t>(frame.picture.height));
      out += '\0';    // no local table, not interlaced
      out += '\x08';  // minimum code size
      PutSubBlocks(out, codes);
    }
  }
  out += '\x3B';
  return out;
}

PictureFolder::PictureFolder() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("kestrimo-pictures-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

PictureFolder::~PictureFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string PictureFolder::PathOf(const std::string& name) const {
  return path_.string() + static_cast<char>(std::filesystem::path::preferred_separator) + name;
}

// Written through the C library so that the name's bytes are taken in the
// ANSI code page, as the loader takes them.
std::string PictureFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string fileName = PathOf(name);
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot create " + fileName);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) throw std::runtime_error("cannot write " + fileName);
  return fileName;
}

}  // namespace kestrimo::testing
