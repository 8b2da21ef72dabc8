#include "bench/frame/InpaintPeer.h"

#include <algorithm>
#include <cmath>

#include <opencv2/core.hpp>
#include <opencv2/photo.hpp>

namespace kestrimo::bench {

struct InpaintPeer::Images {
  cv::Mat picture;  // whole frame, 3 channels, top-down
  cv::Rect window;  // the area plus margin, clipped to the frame
  cv::Mat mask;     // window-sized, 255 where pixels are rebuilt
  cv::Mat result;   // window-sized
};

InpaintPeer::InpaintPeer() : images_(std::make_unique<Images>()) { cv::setNumThreads(1); }
InpaintPeer::~InpaintPeer() = default;

void InpaintPeer::Load(const PackedFrame& frame, const Area& rebuilt) {
  mode_ = frame.mode;
  Images& m = *images_;
  m.picture.create(frame.height, frame.width, CV_8UC3);
  if (frame.mode == FrameMode::Yuy2) {
    const PlanarFrame yuv = ToPlanar(frame, Subsampling::Yuv444);
    for (int y = 0; y < frame.height; ++y) {
      auto* row = m.picture.ptr<cv::Vec3b>(y);
      for (int x = 0; x < frame.width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * frame.width + x;
        row[x] = cv::Vec3b(yuv.planes[0][i], yuv.planes[1][i], yuv.planes[2][i]);
      }
    }
  } else {
    for (int y = 0; y < frame.height; ++y)
      std::copy_n(frame.Row(y), frame.Stride(), m.picture.ptr<std::uint8_t>(y));
  }
  const cv::Rect inner(rebuilt.x, rebuilt.y, rebuilt.width, rebuilt.height);
  const cv::Rect wide(inner.x - kMargin - 1, inner.y - kMargin - 1, inner.width + 2 * kMargin + 2,
                      inner.height + 2 * kMargin + 2);
  m.window = wide & cv::Rect(0, 0, frame.width, frame.height);
  m.mask = cv::Mat::zeros(m.window.height, m.window.width, CV_8UC1);
  m.mask(cv::Rect(inner.x - m.window.x, inner.y - m.window.y, inner.width, inner.height)) = 255;
  m.result.create(m.window.height, m.window.width, CV_8UC3);
}

void InpaintPeer::Run() {
  Images& m = *images_;
  cv::inpaint(m.picture(m.window), m.mask, m.result, kRadius, cv::INPAINT_TELEA);
}

std::vector<std::uint8_t> InpaintPeer::ResultLuma() const {
  const Images& m = *images_;
  cv::Mat whole = m.picture.clone();
  m.result.copyTo(whole(m.window));
  std::vector<std::uint8_t> luma(static_cast<std::size_t>(whole.rows) * whole.cols);
  for (int y = 0; y < whole.rows; ++y) {
    const auto* row = whole.ptr<cv::Vec3b>(y);
    for (int x = 0; x < whole.cols; ++x) {
      std::uint8_t value = row[x][0];
      if (mode_ == FrameMode::Bgr24) {
        const double b = row[x][0], g = row[x][1], r = row[x][2];
        value = static_cast<std::uint8_t>(
            std::lround(16.0 + (65.481 * r + 128.553 * g + 24.966 * b) / 255.0));
      }
      luma[static_cast<std::size_t>(y) * whole.cols + x] = value;
    }
  }
  return luma;
}

}  // namespace kestrimo::bench
