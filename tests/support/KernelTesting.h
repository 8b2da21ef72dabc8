// Tools for proving a SIMD kernel equal to its scalar reference: a fixed-seed
// random source, biased fills, and buffers with guard bytes on both sides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kestrimo::testing {

class TestRng {
 public:
  explicit TestRng(std::uint64_t seed = 0x5EED1234ABCDull) : state_(seed) {}
  std::uint32_t Next() {  // splitmix64, upper half
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
  }
  // Uniform in [low, high].
  int Range(int low, int high) {
    return low + static_cast<int>(Next() % static_cast<std::uint32_t>(high - low + 1));
  }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Next() >> 24); }

 private:
  std::uint64_t state_;
};

// How sample bytes are drawn: uniformly, or crowded at the ends of the range
// where saturation and rounding faults show; Edges draws from
// {0, 1, 127, 128, 250..255}, the signed-unsigned turn included.
enum class Bias { Uniform, Low, High, Ends, Edges };
constexpr Bias kAllBiases[] = {Bias::Uniform, Bias::Low, Bias::High, Bias::Ends};
constexpr Bias kEdgeBiases[] = {Bias::Uniform, Bias::Low, Bias::High, Bias::Ends, Bias::Edges};
const char* BiasName(Bias bias);

void FillBytes(void* data, std::size_t size, TestRng& rng, Bias bias = Bias::Uniform);

// A block of `size` bytes starting `offset` bytes after a 16-byte boundary,
// with guard bytes before and after. The guards hold a known pattern; call
// GuardsIntact() after each kernel call.
class GuardedBlock {
 public:
  GuardedBlock(std::size_t size, std::size_t offset = 0);
  std::uint8_t* data() { return storage_.data() + start_; }
  const std::uint8_t* data() const { return storage_.data() + start_; }
  std::size_t size() const { return size_; }
  template <typename T>
  T* as() { return reinterpret_cast<T*>(data()); }
  bool GuardsIntact() const;
  std::vector<std::uint8_t> Bytes() const { return {data(), data() + size_}; }

 private:
  static constexpr std::size_t kGuard = 64;
  std::vector<std::uint8_t> storage_;
  std::size_t start_ = 0;
  std::size_t size_ = 0;
};

}  // namespace kestrimo::testing
