#include "platform/PictureDecoder.h"

#include <windows.h>

#include <atomic>
#include <climits>
#include <string>

namespace kestrimo {
namespace {

std::atomic<bool> fallbackForced{false};

// The imaging library's flat functions, declared here and resolved by name:
// the plug-in must not import gdiplus.dll, so that its absence only selects
// the bitmap loader.
using GpStatus = int;
constexpr GpStatus kOk = 0;

struct StartupInput {
  UINT32 gdiplusVersion;
  void* debugEventCallback;
  BOOL suppressBackgroundThread;
  BOOL suppressExternalCodecs;
};

// The time dimension of multi-frame pictures.
constexpr GUID kTimeDimension = {
    0x6AEDBD6D, 0x3FB5, 0x418A, {0x83, 0xA6, 0x7F, 0x45, 0x22, 0x9D, 0xC8, 0x72}};

constexpr INT kPixelFormat32bppRGB = 0x00022009;
constexpr int kCompositingModeSourceCopy = 1;
constexpr int kCompositingQualityAssumeLinear = 4;
constexpr int kInterpolationModeNearestNeighbor = 5;
constexpr int kPixelOffsetModeHalf = 4;
constexpr int kSmoothingModeNone = 3;

struct GdiplusApi {
  GpStatus(WINAPI* Startup)(ULONG_PTR*, const StartupInput*, void*) = nullptr;
  void(WINAPI* Shutdown)(ULONG_PTR) = nullptr;
  GpStatus(WINAPI* CreateBitmapFromFile)(const WCHAR*, void**) = nullptr;
  GpStatus(WINAPI* GetImageWidth)(void*, UINT*) = nullptr;
  GpStatus(WINAPI* GetImageHeight)(void*, UINT*) = nullptr;
  GpStatus(WINAPI* ImageGetFrameCount)(void*, const GUID*, UINT*) = nullptr;
  GpStatus(WINAPI* ImageSelectActiveFrame)(void*, const GUID*, UINT) = nullptr;
  GpStatus(WINAPI* CreateBitmapFromScan0)(INT, INT, INT, INT, BYTE*, void**) = nullptr;
  GpStatus(WINAPI* GetImageGraphicsContext)(void*, void**) = nullptr;
  GpStatus(WINAPI* DisposeImage)(void*) = nullptr;
  GpStatus(WINAPI* SetCompositingMode)(void*, int) = nullptr;
  GpStatus(WINAPI* SetCompositingQuality)(void*, int) = nullptr;
  GpStatus(WINAPI* SetInterpolationMode)(void*, int) = nullptr;
  GpStatus(WINAPI* SetPixelOffsetMode)(void*, int) = nullptr;
  GpStatus(WINAPI* SetSmoothingMode)(void*, int) = nullptr;
  GpStatus(WINAPI* DrawImageRectI)(void*, void*, INT, INT, INT, INT) = nullptr;
  GpStatus(WINAPI* DeleteGraphics)(void*) = nullptr;
  bool complete = false;
};

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return function != nullptr;
}

GdiplusApi LoadGdiplus() {
  GdiplusApi api;
  HMODULE module = LoadLibraryA("gdiplus.dll");
  if (module == nullptr) return api;
  api.complete =
      Resolve(module, "GdiplusStartup", api.Startup) &&
      Resolve(module, "GdiplusShutdown", api.Shutdown) &&
      Resolve(module, "GdipCreateBitmapFromFile", api.CreateBitmapFromFile) &&
      Resolve(module, "GdipGetImageWidth", api.GetImageWidth) &&
      Resolve(module, "GdipGetImageHeight", api.GetImageHeight) &&
      Resolve(module, "GdipImageGetFrameCount", api.ImageGetFrameCount) &&
      Resolve(module, "GdipImageSelectActiveFrame", api.ImageSelectActiveFrame) &&
      Resolve(module, "GdipCreateBitmapFromScan0", api.CreateBitmapFromScan0) &&
      Resolve(module, "GdipGetImageGraphicsContext", api.GetImageGraphicsContext) &&
      Resolve(module, "GdipDisposeImage", api.DisposeImage) &&
      Resolve(module, "GdipSetCompositingMode", api.SetCompositingMode) &&
      Resolve(module, "GdipSetCompositingQuality", api.SetCompositingQuality) &&
      Resolve(module, "GdipSetInterpolationMode", api.SetInterpolationMode) &&
      Resolve(module, "GdipSetPixelOffsetMode", api.SetPixelOffsetMode) &&
      Resolve(module, "GdipSetSmoothingMode", api.SetSmoothingMode) &&
      Resolve(module, "GdipDrawImageRectI", api.DrawImageRectI) &&
      Resolve(module, "GdipDeleteGraphics", api.DeleteGraphics);
  // The library stays loaded for the rest of the process once it is complete.
  if (!api.complete) FreeLibrary(module);
  return api;
}

// The library's functions, looked up on first use; null when it is missing
// or lacks a function.
const GdiplusApi* Gdiplus() {
  static const GdiplusApi api = LoadGdiplus();
  return api.complete ? &api : nullptr;
}

// Starts the imaging library for its own lifetime. Unavailable when the
// library is missing or refuses to start; it is then not shut down either.
class GdiplusSession {
 public:
  explicit GdiplusSession(const GdiplusApi* api) {
    if (api == nullptr) return;
    const StartupInput input{1, nullptr, FALSE, FALSE};
    if (api->Startup(&token_, &input, nullptr) == kOk) api_ = api;
  }
  ~GdiplusSession() {
    if (api_ != nullptr) api_->Shutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  const GdiplusApi* Api() const { return api_; }

 private:
  const GdiplusApi* api_ = nullptr;
  ULONG_PTR token_ = 0;
};

// The name in UTF-16, converted from the ANSI code page; empty on failure.
std::wstring Widen(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.c_str(), -1, wide.data(), length) !=
      length)
    return {};
  wide.resize(static_cast<std::size_t>(length) - 1);
  return wide;
}

std::int32_t ToInt32(UINT value) {
  return value > static_cast<UINT>(INT_MAX) ? 0 : static_cast<std::int32_t>(value);
}

bool TargetUsable(const PictureTarget& target) {
  return target.surface != nullptr && target.pixels != nullptr &&
         target.width > 0 && target.height > 0 && target.width <= target.allocWidth &&
         target.height <= target.allocHeight;
}

}  // namespace

struct PictureDecoder::State {
  explicit State(const GdiplusApi* api) : session(api) {}
  ~State() { Close(); }

  void Close() {
    if (image != nullptr) session.Api()->DisposeImage(image);
    if (bitmap != nullptr) DeleteObject(bitmap);
    image = nullptr;
    bitmap = nullptr;
  }

  bool DrawImage(const PictureTarget& target) const;
  bool DrawBitmap(const PictureTarget& target) const;

  GdiplusSession session;
  void* image = nullptr;     // picture of the imaging library
  HBITMAP bitmap = nullptr;  // picture of the bitmap loader
};

PictureDecoder::PictureDecoder()
    : state_(std::make_unique<State>(fallbackForced.load() ? nullptr : Gdiplus())) {}

PictureDecoder::~PictureDecoder() = default;

// The imaging library gives the same status for a damaged file as for
// memory running short, so a failure here is always laid to the file.
bool PictureDecoder::OutOfMemory() const { return false; }

bool PictureDecoder::UsesImagingLibrary() const { return state_->session.Api() != nullptr; }

bool PictureDecoder::Open(const std::string& fileName) {
  state_->Close();
  if (fileName.empty()) return false;
  if (const GdiplusApi* api = state_->session.Api()) {
    const std::wstring wide = Widen(fileName);
    if (wide.empty()) return false;
    void* image = nullptr;
    const GpStatus status = api->CreateBitmapFromFile(wide.c_str(), &image);
    if (image != nullptr && status != kOk) api->DisposeImage(image);
    if (image == nullptr || status != kOk) return false;
    state_->image = image;
    return true;
  }
  state_->bitmap = static_cast<HBITMAP>(
      LoadImageA(nullptr, fileName.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  return state_->bitmap != nullptr;
}

std::int32_t PictureDecoder::FrameCount() {
  if (state_->bitmap != nullptr) return 1;
  if (state_->image == nullptr) return 0;
  UINT count = 0;
  if (state_->session.Api()->ImageGetFrameCount(state_->image, &kTimeDimension, &count) != kOk)
    return 0;
  return ToInt32(count);
}

bool PictureDecoder::SelectFrame(std::int32_t index) {
  if (index < 0) return false;
  if (state_->bitmap != nullptr) return index == 0;
  if (state_->image == nullptr) return false;
  return state_->session.Api()->ImageSelectActiveFrame(state_->image, &kTimeDimension,
                                                       static_cast<UINT>(index)) == kOk;
}

Size PictureDecoder::ActiveSize() {
  if (state_->bitmap != nullptr) {
    BITMAP info{};
    if (GetObjectA(state_->bitmap, sizeof(info), &info) != sizeof(info)) return {};
    if (info.bmWidth <= 0 || info.bmHeight <= 0) return {};
    return {info.bmWidth, info.bmHeight};
  }
  if (state_->image == nullptr) return {};
  const GdiplusApi* api = state_->session.Api();
  UINT width = 0;
  UINT height = 0;
  if (api->GetImageWidth(state_->image, &width) != kOk ||
      api->GetImageHeight(state_->image, &height) != kOk)
    return {};
  return {ToInt32(width), ToInt32(height)};
}

bool PictureDecoder::Draw(const PictureTarget& target) {
  if (!TargetUsable(target)) return false;
  if (state_->bitmap != nullptr) return state_->DrawBitmap(target);
  if (state_->image != nullptr) return state_->DrawImage(target);
  return false;
}

// Wraps the frame's own pixels as a drawing surface and copies the active
// picture frame into it 1:1: source copy, no resampling, no smoothing. The
// surface is made from the first picture row's address and a negative
// stride, which every implementation of the library draws into in place (a
// surface made from the bitmap header may be a copy of the pixels). The
// wrapper is released only after the graphics object that draws into it.
bool PictureDecoder::State::DrawImage(const PictureTarget& target) const {
  const GdiplusApi* api = session.Api();
  const INT stride = target.allocWidth * 4;
  BYTE* firstRow = reinterpret_cast<BYTE*>(
      target.pixels + static_cast<std::ptrdiff_t>(target.allocWidth) * (target.allocHeight - 1));
  void* surface = nullptr;
  if (api->CreateBitmapFromScan0(target.allocWidth, target.allocHeight, -stride,
                                 kPixelFormat32bppRGB, firstRow, &surface) != kOk ||
      surface == nullptr)
    return false;
  bool drawn = false;
  void* graphics = nullptr;
  if (api->GetImageGraphicsContext(surface, &graphics) == kOk && graphics != nullptr) {
    api->SetCompositingMode(graphics, kCompositingModeSourceCopy);
    api->SetCompositingQuality(graphics, kCompositingQualityAssumeLinear);
    api->SetInterpolationMode(graphics, kInterpolationModeNearestNeighbor);
    api->SetPixelOffsetMode(graphics, kPixelOffsetModeHalf);
    api->SetSmoothingMode(graphics, kSmoothingModeNone);
    drawn = api->DrawImageRectI(graphics, image, 0, 0, target.width, target.height) == kOk;
    api->DeleteGraphics(graphics);
  }
  api->DisposeImage(surface);
  return drawn;
}

// Copies the loaded bitmap into the frame's bitmap with a block transfer.
bool PictureDecoder::State::DrawBitmap(const PictureTarget& target) const {
  HBITMAP frame = static_cast<HBITMAP>(target.surface->Handle());
  if (frame == nullptr) return false;
  HDC source = CreateCompatibleDC(nullptr);
  HDC destination = CreateCompatibleDC(nullptr);
  bool drawn = false;
  if (source != nullptr && destination != nullptr) {
    HGDIOBJ oldSource = SelectObject(source, bitmap);
    HGDIOBJ oldDestination = SelectObject(destination, frame);
    if (oldSource != nullptr && oldDestination != nullptr)
      drawn = BitBlt(destination, 0, 0, target.width, target.height, source, 0, 0, SRCCOPY) != 0;
    if (oldSource != nullptr) SelectObject(source, oldSource);
    if (oldDestination != nullptr) SelectObject(destination, oldDestination);
  }
  GdiFlush();
  if (source != nullptr) DeleteDC(source);
  if (destination != nullptr) DeleteDC(destination);
  return drawn;
}

void ForcePictureFallbackForTesting(bool force) { fallbackForced.store(force); }

}  // namespace kestrimo
