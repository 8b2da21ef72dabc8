#include "tools/kestrimo-host/detect/LogoStatistics.h"

#include <cmath>
#include <cstddef>

namespace kestrimo {

void LogoStatistics::Reset(int width, int height) {
  width_ = width;
  height_ = height;
  samples_ = 0;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  sum_.assign(count, 0);
  sumOfSquares_.assign(count, 0);
  sumOfChanges_.assign(count, 0);
  previous_.assign(count, 0);
}

void LogoStatistics::Add(const std::uint8_t* luma) {
  if (samples_ >= kMaxSamples) return;
  const std::size_t count = sum_.size();
  std::uint32_t* sum = sum_.data();
  std::uint32_t* squares = sumOfSquares_.data();
  std::uint32_t* changes = sumOfChanges_.data();
  std::uint8_t* previous = previous_.data();
  const std::uint32_t counted = samples_ > 0 ? 1 : 0;  // the first plane has no predecessor
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t v = luma[i];
    sum[i] += v;
    squares[i] += v * v;
    const std::uint32_t p = previous[i];
    changes[i] += counted * (v > p ? v - p : p - v);
    previous[i] = luma[i];
  }
  ++samples_;
}

std::vector<float> LogoStatistics::Deviations() const {
  std::vector<float> result(sum_.size(), 0.0f);
  if (samples_ < 2) return result;
  const double n = samples_;
  for (std::size_t i = 0; i < result.size(); ++i) {
    const double mean = sum_[i] / n;
    const double variance = sumOfSquares_[i] / n - mean * mean;
    result[i] = variance > 0.0 ? static_cast<float>(std::sqrt(variance)) : 0.0f;
  }
  return result;
}

std::vector<float> LogoStatistics::Means() const {
  std::vector<float> result(sum_.size(), 0.0f);
  if (samples_ < 1) return result;
  for (std::size_t i = 0; i < result.size(); ++i) {
    result[i] = static_cast<float>(sum_[i] / static_cast<double>(samples_));
  }
  return result;
}

std::vector<float> LogoStatistics::Changes() const {
  std::vector<float> result(sumOfChanges_.size(), 0.0f);
  if (samples_ < 2) return result;
  const double steps = samples_ - 1;
  for (std::size_t i = 0; i < result.size(); ++i) {
    result[i] = static_cast<float>(sumOfChanges_[i] / steps);
  }
  return result;
}

}  // namespace kestrimo
