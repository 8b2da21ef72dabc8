// A list of 32-bit bottom-up bitmaps (frames of a picture) that the
// platform's drawing and decoding functions can write into; one frame is
// selected. The public fields are a working copy of the selected frame's
// record: SelectFrame loads them, CreateDib and ReleaseDib store them back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/ImageView.h"
#include "base/Rect.h"
#include "platform/DibSection.h"

namespace kestrimo {

class DibImage {
 public:
  DibImage() = default;
  virtual ~DibImage();
  DibImage(const DibImage&) = delete;
  DibImage& operator=(const DibImage&) = delete;

  // Appends an empty frame and selects it; false when memory is short.
  bool AddFrame();
  // Selects frame i; an index outside the list changes nothing.
  void SelectFrame(std::int32_t i);
  // Gives the selected frame (frame 0 of an empty list is added first) a
  // bitmap for w x h pixels under the capacity rule, and rect {0, 0, w, h}.
  // A negative or absurd size, or a failed creation, leaves the frame
  // without pixels and with an empty rect.
  void CreateDib(std::int32_t w, std::int32_t h, std::int32_t g, std::int32_t s);
  // Deletes the selected frame's bitmap.
  void ReleaseDib();
  // Deletes every frame; the working fields are left empty.
  void ClearFrames();
  // Sets byte A of every pixel inside the rect of every frame.
  void SetAlphaAll(std::uint8_t alpha);
  // The selected frame's pixel (x, y) as R + G << 8 + B << 16 + A << 24;
  // 0 outside the allocation.
  std::uint32_t GetPixelColor(std::int32_t x, std::int32_t y) const;
  // Replaces every frame by the frames of a picture file (named in the ANSI
  // code page): one exact-size frame per picture frame when the name ends in
  // "gif" in any case and the imaging library decodes, else one frame; every
  // pixel opaque, frame 0 selected. False, with no frames left, when the
  // picture cannot be decoded whole.
  bool LoadFromFile(const std::string& fileName);
  // Whether the last LoadFromFile failed for want of memory, not because of
  // the file: the file may well load another time.
  bool LoadRanOutOfMemory() const { return loadOutOfMemory_; }
  std::int32_t FrameCount() const { return static_cast<std::int32_t>(frames_.size()); }
  // The selected frame's pixels, allocation and rectangle, for the passes.
  ImageView View() const { return {pixels, {allocWidth, allocHeight}, rect}; }

  DibSection* bitmap = nullptr;
  DibHeader* header = nullptr;
  std::uint32_t* pixels = nullptr;
  std::int32_t allocWidth = 0;
  std::int32_t allocHeight = 0;
  Rect rect;
  std::int32_t selected = 0;

 private:
  struct Frame {
    DibSection* bitmap = nullptr;
    DibHeader* header = nullptr;
    std::uint32_t* pixels = nullptr;
    std::int32_t allocWidth = 0;
    std::int32_t allocHeight = 0;
    Rect rect;
  };

  void StoreSelected();
  void MakeBitmap(std::int32_t capacityWidth, std::int32_t capacityHeight);

  std::vector<Frame> frames_;
  bool loadOutOfMemory_ = false;
};

}  // namespace kestrimo
