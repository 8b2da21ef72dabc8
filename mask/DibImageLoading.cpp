// DibImage::LoadFromFile: one 32-bit frame per picture frame, decoded by the
// platform's picture decoder, frame 0 selected, every pixel opaque.
#include <new>

#include "base/AlignedMemory.h"
#include "mask/DibImage.h"
#include "platform/PictureDecoder.h"

namespace kestrimo {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names whose last three characters are "gif", in any case, are decoded frame
// by frame; every other name gives one frame whatever the file holds.
bool NamesFramedPicture(const std::string& name) {
  if (name.size() < 3) return false;
  const char* tail = name.data() + name.size() - 3;
  return LowerAscii(tail[0]) == 'g' && LowerAscii(tail[1]) == 'i' && LowerAscii(tail[2]) == 'f';
}

// Gives the selected frame an exact bitmap of the decoder's active frame and
// draws that frame into it. The pixels are charged to budget first, so that a
// picture beyond the limits makes no bitmap at all.
bool DecodeActiveFrame(DibImage& image, PictureDecoder& decoder, std::int64_t& budget,
                       bool& outOfMemory) {
  const Size size = decoder.ActiveSize();
  if (!PictureSizeAllowed(size.width, size.height)) return false;
  const std::int64_t pixels = std::int64_t{size.width} * size.height;
  if (pixels > budget) return false;
  budget -= pixels;
  image.CreateDib(size.width, size.height, 0, 0);
  if (image.pixels == nullptr) {
    outOfMemory = true;
    return false;
  }
  const PictureTarget target{image.bitmap,      image.pixels, image.allocWidth,
                             image.allocHeight, size.width,   size.height};
  if (decoder.Draw(target)) return true;
  outOfMemory = decoder.OutOfMemory();
  return false;
}

bool DecodeEveryFrame(DibImage& image, PictureDecoder& decoder, std::int64_t& budget,
                      bool& outOfMemory) {
  const std::int32_t count = decoder.FrameCount();
  if (count < 1) {
    outOfMemory = decoder.OutOfMemory();
    return false;
  }
  // Frames share the picture's screen size: refuse too many before making any.
  const Size first = decoder.ActiveSize();
  if (std::int64_t{count} * first.width * first.height > budget) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    if (!image.AddFrame()) {
      outOfMemory = true;
      return false;
    }
    if (!decoder.SelectFrame(i) || !DecodeActiveFrame(image, decoder, budget, outOfMemory))
      return false;
  }
  return true;
}

// The imaging library runs for the life of the decoder, that is for this one
// load. Without it only the bitmap loader's single frame is read.
bool DecodePicture(DibImage& image, const std::string& fileName, bool& outOfMemory) {
  PictureDecoder decoder;
  if (!decoder.Open(fileName)) {
    outOfMemory = decoder.OutOfMemory();
    return false;
  }
  std::int64_t budget = kMaxImagePixels;  // all frames together
  if (decoder.UsesImagingLibrary() && NamesFramedPicture(fileName))
    return DecodeEveryFrame(image, decoder, budget, outOfMemory);
  return DecodeActiveFrame(image, decoder, budget, outOfMemory);
}

}  // namespace

bool DibImage::LoadFromFile(const std::string& fileName) {
  ClearFrames();
  loadOutOfMemory_ = false;
  if (fileName.empty()) return false;
  bool loaded = false;
  try {
    loaded = DecodePicture(*this, fileName, loadOutOfMemory_);
  } catch (const std::bad_alloc&) {
    loaded = false;
    loadOutOfMemory_ = true;
  }
  // A partly decoded picture leaves nothing behind.
  if (!loaded) {
    ClearFrames();
    return false;
  }
  // The drawing may leave any alpha (the source's, or none); the mask
  // compares whole pixels, alpha included, so every pixel is made opaque.
  SetAlphaAll(255);
  SelectFrame(0);
  return true;
}

}  // namespace kestrimo
