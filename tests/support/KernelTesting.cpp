#include "tests/support/KernelTesting.h"

namespace kestrimo::testing {
namespace {
std::uint8_t GuardByte(std::size_t i) { return static_cast<std::uint8_t>(0xA5 ^ (i * 29)); }
}  // namespace

const char* BiasName(Bias bias) {
  switch (bias) {
    case Bias::Uniform: return "uniform";
    case Bias::Low: return "0/1";
    case Bias::High: return "254/255";
    case Bias::Ends: return "ends";
    case Bias::Edges: return "edges";
  }
  return "?";
}

void FillBytes(void* data, std::size_t size, TestRng& rng, Bias bias) {
  auto* bytes = static_cast<std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t r = rng.Byte();
    switch (bias) {
      case Bias::Uniform: bytes[i] = r; break;
      case Bias::Low: bytes[i] = r & 1; break;
      case Bias::High: bytes[i] = 254 + (r & 1); break;
      case Bias::Ends: bytes[i] = (r & 2) ? 255 - (r & 1) : (r & 1); break;
      case Bias::Edges: {
        static constexpr std::uint8_t kEdges[] = {0, 1, 127, 128, 250, 251, 252, 253, 254, 255};
        bytes[i] = kEdges[r % 10];
        break;
      }
    }
  }
}

GuardedBlock::GuardedBlock(std::size_t size, std::size_t offset)
    : storage_(size + 2 * kGuard + 32), size_(size) {
  const auto base = reinterpret_cast<std::uintptr_t>(storage_.data()) + kGuard;
  start_ = kGuard + ((16 - base % 16) % 16) + offset % 16;
  for (std::size_t i = 0; i < storage_.size(); ++i) storage_[i] = GuardByte(i);
}

bool GuardedBlock::GuardsIntact() const {
  for (std::size_t i = 0; i < start_; ++i)
    if (storage_[i] != GuardByte(i)) return false;
  for (std::size_t i = start_ + size_; i < storage_.size(); ++i)
    if (storage_[i] != GuardByte(i)) return false;
  return true;
}

}  // namespace kestrimo::testing
