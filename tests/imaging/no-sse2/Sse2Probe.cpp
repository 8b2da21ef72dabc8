// Runs SSE instructions ("sse") or one SSE2 instruction ("sse2", a 64-bit
// integer add on XMM registers) and prints the result: a processor without
// SSE2 must run the first and stop on the second with SIGILL.
#include <emmintrin.h>

#include <cstdio>
#include <cstring>

namespace {

// Read at run time, so that the compiler cannot fold the instructions away.
volatile int input = 2;

float SseSum(int n) {
  __m128 v = _mm_set1_ps(static_cast<float>(n));
  v = _mm_add_ps(v, _mm_mul_ps(v, v));
  return _mm_cvtss_f32(v);
}

__attribute__((target("sse2"))) int Sse2Sum(int n) {
  __m128i v = _mm_cvtsi32_si128(n);
  v = _mm_add_epi64(v, v);
  return _mm_cvtsi128_si32(v);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "sse") == 0) {
    std::printf("%g\n", static_cast<double>(SseSum(input)));
  } else if (argc == 2 && std::strcmp(argv[1], "sse2") == 0) {
    std::printf("%d\n", Sse2Sum(input));
  } else {
    std::fprintf(stderr, "usage: %s sse|sse2\n", argv[0]);
    return 2;
  }
  return 0;
}
