#include "platform/PictureDecoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kestrimo {
namespace {

// The decoder's allocations, counted by the out-of-memory test hook of
// base/AlignedMemory like every pixel block. A failed reallocation leaves
// the old block to its owner, as realloc does. A failure is noted for the
// decode under way on this thread.
thread_local bool decoderMemoryShort = false;

void* NotedAllocation(void* block, std::size_t bytes) {
  if (block == nullptr && bytes != 0) decoderMemoryShort = true;
  return block;
}
void* DecoderMalloc(std::size_t bytes) {
  return NotedAllocation(AllocationFaultDue() ? nullptr : std::malloc(bytes), bytes);
}
void* DecoderRealloc(void* block, std::size_t bytes) {
  return NotedAllocation(AllocationFaultDue() ? nullptr : std::realloc(block, bytes), bytes);
}

}  // namespace
}  // namespace kestrimo

// The decoder is compiled into this file only, with its functions kept
// private to it, for the four formats the plug-in reads and no larger side
// than kMaxPictureSide.
#define STBI_MALLOC(bytes) ::kestrimo::DecoderMalloc(bytes)
#define STBI_REALLOC(block, bytes) ::kestrimo::DecoderRealloc(block, bytes)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_MAX_DIMENSIONS 16384
#include <stb/stb_image.h>

namespace kestrimo {
namespace {

static_assert(STBI_MAX_DIMENSIONS == kMaxPictureSide);

std::atomic<bool> fallbackForced{false};

// No picture within the pixel limit needs a larger file.
constexpr std::size_t kMaxPictureFileBytes = std::size_t{1} << 30;

using Bytes = std::vector<unsigned char>;

enum class Format { Unknown, Bmp, Png, Jpeg, Gif };

std::string NativePath(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

// Reads a whole regular file; false for anything else (a folder, a pipe, a
// file beyond the size limit) or on a read error.
bool ReadWholeFile(const std::string& path, Bytes& bytes) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
            static_cast<unsigned long long>(info.st_size) <= kMaxPictureFileBytes;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    ok = done == bytes.size();
  }
  close(fd);
  return ok;
}

bool StartsWith(const Bytes& bytes, const char* magic, std::size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

Format Sniff(const Bytes& bytes) {
  if (StartsWith(bytes, "BM", 2)) return Format::Bmp;
  if (StartsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) return Format::Png;
  if (StartsWith(bytes, "\xFF\xD8\xFF", 3)) return Format::Jpeg;
  if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6)) return Format::Gif;
  return Format::Unknown;
}

// True unless a Huffman table segment of a JPEG lists more than 256 codes in
// one table: the built-in decoder writes such lists past its tables before it
// checks them. The walk follows the markers as the decoder meets them: header
// segments by their lengths, the bytes between (entropy-coded data, junk) one
// by one up to the next marker.
bool JpegHuffmanTablesFit(const Bytes& file) {
  constexpr std::size_t kMaxCodes = 256;
  std::size_t at = 2;  // after the start-of-image marker
  while (at + 1 < file.size()) {
    if (file[at] != 0xFF || file[at + 1] == 0xFF) {
      ++at;  // data, or a fill byte before a marker
      continue;
    }
    const unsigned char marker = file[at + 1];
    if (marker == 0xD9) return true;  // end of image
    const bool standalone = marker == 0x00 || marker == 0x01 || marker == 0xD8 ||
                            (marker >= 0xD0 && marker <= 0xD7);
    if (standalone || at + 3 >= file.size()) {
      at += 2;
      continue;
    }
    const std::size_t length = (std::size_t{file[at + 2]} << 8) | file[at + 3];
    if (length < 2) return true;  // the decoder stops at such a segment
    const std::size_t end = std::min(file.size(), at + 2 + length);
    if (marker == 0xC4) {
      // The decoder reads a table's counts even where they run past the
      // segment (and reads zeros past the file's end).
      for (std::size_t table = at + 4; table < end;) {
        if ((file[table] >> 4) > 1 || (file[table] & 15) > 3) break;  // refused by the decoder
        std::size_t codes = 0;
        for (std::size_t i = table + 1; i <= table + 16 && i < file.size(); ++i) codes += file[i];
        if (codes > kMaxCodes) return false;
        table += 17 + codes;
      }
    }
    at += 2 + length;
  }
  return true;
}

// True when every chunk of a PNG, up to its end chunk, lies within the file.
// The built-in decoder grows its image-data buffer to a chunk's announced
// length before reading it, so a few bytes announcing 2 GiB would allocate it.
bool PngChunksWithinFile(const Bytes& file) {
  std::size_t at = 8;  // after the signature
  while (at + 12 <= file.size()) {
    const std::size_t length = (std::size_t{file[at]} << 24) | (std::size_t{file[at + 1]} << 16) |
                               (std::size_t{file[at + 2]} << 8) | file[at + 3];
    if (length > file.size() - at - 12) return false;
    if (std::memcmp(&file[at + 4], "IEND", 4) == 0) return true;
    at += 12 + length;
  }
  return false;  // cut short before its end chunk
}

std::uint32_t Le16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

// True when an uncompressed bitmap's file holds all the rows its header
// announces (the decoder would fill missing rows with zeros).
bool BitmapRowsPresent(const Bytes& file) {
  if (file.size() < 26) return false;
  const std::uint32_t offset = Le32(file, 10);
  const std::uint32_t headerSize = Le32(file, 14);
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::int64_t bitCount = 0;
  std::uint32_t compression = 0;
  if (headerSize == 12) {
    width = Le16(file, 18);
    height = Le16(file, 20);
    bitCount = Le16(file, 24);
  } else if (headerSize >= 40 && file.size() >= 54) {
    width = static_cast<std::int32_t>(Le32(file, 18));
    height = std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(Le32(file, 22))));
    bitCount = Le16(file, 28);
    compression = Le32(file, 30);
  } else {
    return false;
  }
  constexpr std::uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
  // The built-in decoder reads no other encoding, but takes a code it does not
  // know (read as a negative number) for uncompressed rows, which it would
  // make up out of zeros: refused here.
  if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields)
    return false;
  if (width <= 0 || width > kMaxPictureSide || height > kMaxPictureSide || bitCount > 32)
    return false;
  const std::int64_t rowBytes = (width * bitCount + 31) / 32 * 4;
  return std::int64_t{offset} + rowBytes * height <= static_cast<std::int64_t>(file.size());
}

// Skips a chain of GIF data sub-blocks; false when the file ends inside it.
bool SkipSubBlocks(const Bytes& file, std::size_t& at) {
  for (;;) {
    if (at >= file.size()) return false;
    const std::size_t length = file[at++];
    if (length == 0) return true;
    at += length;
  }
}

std::size_t ColourTableBytes(unsigned char flags) {
  return (flags & 0x80) ? std::size_t{3} << ((flags & 7) + 1) : 0;
}

// The number of images in a GIF stream; 0 when the file ends inside a block.
std::int64_t CountGifImages(const Bytes& file) {
  if (file.size() < 13) return 0;
  std::size_t at = 13 + ColourTableBytes(file[10]);
  std::int64_t images = 0;
  while (at < file.size()) {
    const unsigned char tag = file[at++];
    if (tag == 0x21) {  // extension: label, then sub-blocks
      ++at;
      if (!SkipSubBlocks(file, at)) return 0;
    } else if (tag == 0x2C) {  // image: descriptor, colour table, code size, data
      if (at + 9 > file.size()) return 0;
      at += 9 + ColourTableBytes(file[at + 8]) + 1;
      if (!SkipSubBlocks(file, at)) return 0;
      ++images;
    } else {
      break;  // the trailer, or bytes after the last block
    }
  }
  return images;
}

// Graphic controls whose image is to be replaced by the picture before it
// ("restore to previous") are read as "restore to background". The built-in
// decoder keeps the picture before it at the wrong place and reads before
// its own buffer from the third image on; without that picture the decoder
// itself falls back on the background.
void ReplaceRestoreToPrevious(Bytes& file) {
  constexpr unsigned char kDisposal = 0x1C, kRestorePrevious = 3 << 2, kRestoreBackground = 2 << 2;
  if (file.size() < 13) return;
  std::size_t at = 13 + ColourTableBytes(file[10]);
  while (at < file.size()) {
    const unsigned char tag = file[at++];
    if (tag == 0x21) {
      if (at + 2 < file.size() && file[at] == 0xF9 && file[at + 1] >= 1 &&
          (file[at + 2] & kDisposal) == kRestorePrevious) {
        file[at + 2] = static_cast<unsigned char>((file[at + 2] & ~kDisposal) | kRestoreBackground);
      }
      ++at;
      if (!SkipSubBlocks(file, at)) break;
    } else if (tag == 0x2C) {
      if (at + 9 > file.size()) break;
      at += 9 + ColourTableBytes(file[at + 8]) + 1;
      if (!SkipSubBlocks(file, at)) break;
    } else {
      break;
    }
  }
}

// Writes width x height RGBA pixels (top row first) as B, G, R, 255 into the
// bottom-up target.
void StoreFrame(const stbi_uc* rgba, const PictureTarget& target) {
  for (std::int32_t y = 0; y < target.height; ++y) {
    std::uint32_t* row =
        target.pixels + static_cast<std::ptrdiff_t>(target.allocWidth) * (target.allocHeight - 1 - y);
    const stbi_uc* source = rgba + static_cast<std::size_t>(y) * target.width * 4;
    for (std::int32_t x = 0; x < target.width; ++x, source += 4)
      row[x] = 0xFF000000u | (std::uint32_t{source[0]} << 16) | (std::uint32_t{source[1]} << 8) |
               source[2];
  }
}

}  // namespace

struct PictureDecoder::State {
  ~State() { Close(); }

  void Close() {
    stbi_image_free(frames);
    frames = nullptr;
    frameCount = 0;
    active = 0;
    file.clear();
    format = Format::Unknown;
    size = {};
  }

  bool Open(const std::string& fileName);
  bool DecodeSingle();
  bool DecodeAnimation();
  std::size_t FrameBytes() const {
    return static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height) * 4;
  }

  bool bitmapsOnly = false;
  Bytes file;
  Format format = Format::Unknown;
  Size size;
  std::int64_t gifImages = 0;
  stbi_uc* frames = nullptr;  // decoded RGBA frames, top row first, one after another
  std::int32_t frameCount = 0;
  std::int32_t active = 0;
  bool outOfMemory = false;
};

bool PictureDecoder::State::DecodeSingle() {
  int width = 0, height = 0, channels = 0;
  decoderMemoryShort = false;
  frames = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height,
                                 &channels, 4);
  outOfMemory = decoderMemoryShort;
  if (frames == nullptr) return false;
  if (width != size.width || height != size.height) return false;
  frameCount = 1;
  return true;
}

// Decodes every frame of a GIF at once, after checking that all of them
// together stay within the pixel limit.
bool PictureDecoder::State::DecodeAnimation() {
  if (gifImages * size.width * size.height > kMaxImagePixels) return false;
  ReplaceRestoreToPrevious(file);
  int width = 0, height = 0, layers = 0, channels = 0;
  decoderMemoryShort = false;
  frames = stbi_load_gif_from_memory(file.data(), static_cast<int>(file.size()), nullptr, &width,
                                     &height, &layers, &channels, 4);
  outOfMemory = decoderMemoryShort;
  if (frames == nullptr) return false;
  if (width != size.width || height != size.height || layers < 1) return false;
  frameCount = layers;
  return true;
}

PictureDecoder::PictureDecoder() : state_(std::make_unique<State>()) {
  state_->bitmapsOnly = fallbackForced.load();
}

PictureDecoder::~PictureDecoder() = default;

bool PictureDecoder::OutOfMemory() const { return state_->outOfMemory; }

bool PictureDecoder::UsesImagingLibrary() const { return !state_->bitmapsOnly; }

bool PictureDecoder::Open(const std::string& fileName) {
  decoderMemoryShort = false;
  const bool opened = state_->Open(fileName);
  state_->outOfMemory = !opened && decoderMemoryShort;
  return opened;
}

bool PictureDecoder::State::Open(const std::string& fileName) {
  State& s = *this;
  s.Close();
  if (fileName.empty() || !ReadWholeFile(NativePath(fileName), s.file)) return false;
  s.format = Sniff(s.file);
  if (s.format == Format::Unknown || (s.bitmapsOnly && s.format != Format::Bmp)) return false;
  if (s.format == Format::Jpeg && !JpegHuffmanTablesFit(s.file)) return false;
  if (s.format == Format::Png && !PngChunksWithinFile(s.file)) return false;
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(s.file.data(), static_cast<int>(s.file.size()), &width, &height,
                             &channels) ||
      !PictureSizeAllowed(width, height))
    return false;
  if (s.format == Format::Bmp && !BitmapRowsPresent(s.file)) return false;
  if (s.format == Format::Gif && (s.gifImages = CountGifImages(s.file)) == 0) return false;
  s.size = {width, height};
  return true;
}

std::int32_t PictureDecoder::FrameCount() {
  State& s = *state_;
  if (s.size.width == 0) return 0;
  if (s.format != Format::Gif || s.bitmapsOnly) return 1;
  if (s.frames == nullptr && !s.DecodeAnimation()) {
    s.Close();
    return 0;
  }
  return s.frameCount;
}

bool PictureDecoder::SelectFrame(std::int32_t index) {
  if (index < 0 || index >= FrameCount()) return false;
  state_->active = index;
  return true;
}

Size PictureDecoder::ActiveSize() { return state_->size; }

bool PictureDecoder::Draw(const PictureTarget& target) {
  State& s = *state_;
  if (target.pixels == nullptr || target.width != s.size.width ||
      target.height != s.size.height || target.width > target.allocWidth ||
      target.height > target.allocHeight || s.size.width == 0)
    return false;
  if (s.frames == nullptr && !s.DecodeSingle()) {
    s.Close();
    return false;
  }
  StoreFrame(s.frames + static_cast<std::size_t>(s.active) * s.FrameBytes(), target);
  return true;
}

void ForcePictureFallbackForTesting(bool force) { fallbackForced.store(force); }

}  // namespace kestrimo
