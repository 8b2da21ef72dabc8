#include "mask/DibImage.h"

#include <new>

#include "base/AlignedMemory.h"
#include "base/CapacityRule.h"

namespace kestrimo {

DibImage::~DibImage() { ClearFrames(); }

bool DibImage::AddFrame() {
  auto* holder = new (std::nothrow) DibSection();
  auto* frameHeader = new (std::nothrow) DibHeader();
  bool added = holder != nullptr && frameHeader != nullptr;
  if (added) {
    try {
      Frame frame;
      frame.bitmap = holder;
      frame.header = frameHeader;
      frames_.push_back(frame);
    } catch (const std::bad_alloc&) {
      added = false;
    }
  }
  if (!added) {
    delete holder;
    delete frameHeader;
    return false;
  }
  SelectFrame(FrameCount() - 1);
  return true;
}

void DibImage::SelectFrame(std::int32_t i) {
  if (i < 0 || i >= FrameCount()) return;
  const Frame& frame = frames_[static_cast<std::size_t>(i)];
  bitmap = frame.bitmap;
  header = frame.header;
  pixels = frame.pixels;
  allocWidth = frame.allocWidth;
  allocHeight = frame.allocHeight;
  rect = frame.rect;
  selected = i;
}

void DibImage::StoreSelected() {
  if (selected < 0 || selected >= FrameCount()) return;
  Frame& frame = frames_[static_cast<std::size_t>(selected)];
  frame.pixels = pixels;
  frame.allocWidth = allocWidth;
  frame.allocHeight = allocHeight;
  frame.rect = rect;
}

void DibImage::CreateDib(std::int32_t w, std::int32_t h, std::int32_t g, std::int32_t s) {
  if (frames_.empty() && !AddFrame()) return;
  if (w < 0 || h < 0) {
    ReleaseDib();
    return;
  }
  const bool reuse = pixels != nullptr && CapacityFits(w, allocWidth, g, s) &&
                     CapacityFits(h, allocHeight, g, s);
  if (!reuse) {
    ReleaseDib();
    MakeBitmap(GrownCapacity(w, g), GrownCapacity(h, g));
  }
  // Without a bitmap the rectangle stays empty, so loops over it read nothing.
  rect = pixels != nullptr ? Rect{0, 0, w, h} : Rect{};
  StoreSelected();
}

void DibImage::MakeBitmap(std::int32_t capacityWidth, std::int32_t capacityHeight) {
  const auto bytes = BlockBytes(capacityWidth, capacityHeight, sizeof(std::uint32_t));
  if (!bytes || *bytes == 0 || bitmap == nullptr || header == nullptr) return;
  *header = DibHeader{};
  header->biSize = 40;
  header->biWidth = capacityWidth;
  header->biHeight = capacityHeight;
  header->biPlanes = 1;
  header->biBitCount = 32;
  pixels = bitmap->Create(*header);
  if (pixels == nullptr) return;
  allocWidth = capacityWidth;
  allocHeight = capacityHeight;
}

void DibImage::ReleaseDib() {
  if (pixels == nullptr) return;
  if (bitmap != nullptr) bitmap->Release();
  pixels = nullptr;
  allocWidth = 0;
  allocHeight = 0;
  rect = Rect{};
  // The record must not keep the address of the deleted block.
  StoreSelected();
}

void DibImage::ClearFrames() {
  if (frames_.empty()) return;
  for (std::int32_t i = 0; i < FrameCount(); ++i) {
    SelectFrame(i);
    ReleaseDib();
    delete bitmap;
    delete header;
  }
  std::vector<Frame>().swap(frames_);
  bitmap = nullptr;
  header = nullptr;
  selected = 0;
}

void DibImage::SetAlphaAll(std::uint8_t alpha) {
  const std::uint32_t alphaBits = std::uint32_t{alpha} << 24;
  for (const Frame& frame : frames_) {
    if (frame.pixels == nullptr) continue;
    Rect area;
    if (!IntersectRect(area, frame.rect, Rect{0, 0, frame.allocWidth, frame.allocHeight}))
      continue;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
      std::uint32_t* row = frame.pixels +
                           static_cast<std::ptrdiff_t>(frame.allocWidth) *
                               (frame.allocHeight - 1 - y);
      for (std::int32_t x = area.left; x < area.right; ++x)
        row[x] = (row[x] & 0x00FFFFFFu) | alphaBits;
    }
  }
}

std::uint32_t DibImage::GetPixelColor(std::int32_t x, std::int32_t y) const {
  if (pixels == nullptr || x < 0 || y < 0 || x >= allocWidth || y >= allocHeight) return 0;
  const std::uint32_t p =
      pixels[x + static_cast<std::ptrdiff_t>(allocWidth) * (allocHeight - 1 - y)];
  const std::uint32_t b = p & 0xFF;
  const std::uint32_t g = (p >> 8) & 0xFF;
  const std::uint32_t r = (p >> 16) & 0xFF;
  return (p & 0xFF000000u) | (b << 16) | (g << 8) | r;
}

}  // namespace kestrimo
