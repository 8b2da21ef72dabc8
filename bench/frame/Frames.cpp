#include "bench/frame/Frames.h"

#include <algorithm>
#include <cmath>

namespace kestrimo::bench {
namespace {

std::uint8_t Clamp8(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

double Luma(double r, double g, double b) {
  return 16.0 + (65.481 * r + 128.553 * g + 24.966 * b) / 255.0;
}
double ChromaU(double r, double g, double b) {
  return 128.0 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255.0;
}
double ChromaV(double r, double g, double b) {
  return 128.0 + (112.0 * r - 93.786 * g - 18.214 * b) / 255.0;
}

}  // namespace

const char* Name(FrameMode mode) { return mode == FrameMode::Yuy2 ? "YUY2" : "BGR24"; }

std::uint8_t* PackedFrame::Row(int y) {
  const int memoryRow = mode == FrameMode::Bgr24 ? height - 1 - y : y;
  return bytes.data() + memoryRow * Stride();
}

const std::uint8_t* PackedFrame::Row(int y) const {
  return const_cast<PackedFrame*>(this)->Row(y);
}

PackedFrame ToYuy2(const RgbPicture& picture) {
  PackedFrame frame{picture.width & ~1, picture.height, FrameMode::Yuy2, {}};
  frame.bytes.resize(static_cast<std::size_t>(frame.Stride()) * frame.height);
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* in = picture.rgb.data() + static_cast<std::size_t>(y) * picture.width * 3;
    std::uint8_t* out = frame.Row(y);
    for (int x = 0; x < frame.width; x += 2, in += 6, out += 4) {
      const double r0 = in[0], g0 = in[1], b0 = in[2], r1 = in[3], g1 = in[4], b1 = in[5];
      out[0] = Clamp8(Luma(r0, g0, b0));
      out[1] = Clamp8((ChromaU(r0, g0, b0) + ChromaU(r1, g1, b1)) / 2);
      out[2] = Clamp8(Luma(r1, g1, b1));
      out[3] = Clamp8((ChromaV(r0, g0, b0) + ChromaV(r1, g1, b1)) / 2);
    }
  }
  return frame;
}

PackedFrame ToBgr24(const RgbPicture& picture) {
  PackedFrame frame{picture.width, picture.height, FrameMode::Bgr24, {}};
  frame.bytes.resize(static_cast<std::size_t>(frame.Stride()) * frame.height);
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* in = picture.rgb.data() + static_cast<std::size_t>(y) * picture.width * 3;
    std::uint8_t* out = frame.Row(y);
    for (int x = 0; x < frame.width; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  return frame;
}

int PlanarFrame::PlaneWidth(int plane) const {
  return plane == 0 ? width : (width + (1 << chromaShiftX) - 1) >> chromaShiftX;
}

int PlanarFrame::PlaneHeight(int plane) const {
  return plane == 0 ? height : (height + (1 << chromaShiftY) - 1) >> chromaShiftY;
}

namespace {

// Full-resolution Y, U, V of a frame: YUY2 chroma repeated per pixel pair.
void FullYuv(const PackedFrame& frame, std::vector<std::uint8_t> (&yuv)[3]) {
  const std::size_t count = static_cast<std::size_t>(frame.width) * frame.height;
  for (auto& plane : yuv) plane.assign(count, 0);
  for (int y = 0; y < frame.height; ++y) {
    const std::uint8_t* in = frame.Row(y);
    const std::size_t row = static_cast<std::size_t>(y) * frame.width;
    for (int x = 0; x < frame.width; ++x) {
      if (frame.mode == FrameMode::Yuy2) {
        const std::uint8_t* pair = in + (x & ~1) * 2;
        yuv[0][row + x] = in[x * 2];
        yuv[1][row + x] = pair[1];
        yuv[2][row + x] = pair[3];
      } else {
        const double b = in[x * 3], g = in[x * 3 + 1], r = in[x * 3 + 2];
        yuv[0][row + x] = Clamp8(Luma(r, g, b));
        yuv[1][row + x] = Clamp8(ChromaU(r, g, b));
        yuv[2][row + x] = Clamp8(ChromaV(r, g, b));
      }
    }
  }
}

}  // namespace

PlanarFrame ToPlanar(const PackedFrame& frame, Subsampling subsampling) {
  PlanarFrame planar;
  planar.width = frame.width;
  planar.height = frame.height;
  planar.chromaShiftX = subsampling == Subsampling::Yuv444 ? 0 : 1;
  planar.chromaShiftY = subsampling == Subsampling::Yuv420 ? 1 : 0;
  std::vector<std::uint8_t> full[3];
  FullYuv(frame, full);
  planar.planes[0] = full[0];
  for (int plane = 1; plane < 3; ++plane) {
    const int w = planar.PlaneWidth(plane), h = planar.PlaneHeight(plane);
    planar.planes[plane].assign(static_cast<std::size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        // Mean over the block of full-resolution samples this sample covers.
        int sum = 0, count = 0;
        for (int dy = 0; dy < (1 << planar.chromaShiftY); ++dy) {
          for (int dx = 0; dx < (1 << planar.chromaShiftX); ++dx) {
            const int sx = std::min((x << planar.chromaShiftX) + dx, frame.width - 1);
            const int sy = std::min((y << planar.chromaShiftY) + dy, frame.height - 1);
            sum += full[plane][static_cast<std::size_t>(sy) * frame.width + sx];
            ++count;
          }
        }
        planar.planes[plane][static_cast<std::size_t>(y) * w + x] =
            static_cast<std::uint8_t>((sum + count / 2) / count);
      }
    }
  }
  return planar;
}

std::vector<std::uint8_t> LumaOf(const PackedFrame& frame) {
  std::vector<std::uint8_t> full[3];
  FullYuv(frame, full);
  return full[0];
}

Area ChangedLumaBox(const PackedFrame& a, const PackedFrame& b) {
  int left = a.width, top = a.height, right = -1, bottom = -1;
  for (int y = 0; y < a.height; ++y) {
    const std::uint8_t* ra = a.Row(y);
    const std::uint8_t* rb = b.Row(y);
    for (long i = 0; i < a.Stride(); ++i) {
      if (ra[i] == rb[i] || (a.mode == FrameMode::Yuy2 && i % 2 == 1)) continue;
      const int x = static_cast<int>(i / a.BytesPerPixel());
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  return right < 0 ? Area{} : Area{left, top, right - left + 1, bottom - top + 1};
}

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, int width,
            const Area& area) {
  double sum = 0;
  long count = 0;
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      const double d = static_cast<double>(a[i]) - b[i];
      sum += d * d;
      ++count;
    }
  }
  if (count == 0) return 0;
  if (sum == 0) return 99.0;
  return 10.0 * std::log10(255.0 * 255.0 * count / sum);
}

}  // namespace kestrimo::bench
