// The blur kernel's weights, exp(-e² / (2 s²)) rounded to single precision,
// computed in 64-bit fixed point: no double-precision arithmetic, so the
// weights are the same on every target and processor.
#pragma once

#include <cstdint>

namespace kestrimo {

// For 0 <= e < 65536 and s >= 0.1 (or +inf, which gives 1). Arguments
// e² / (2 s²) up to 64 are exact to about 2^-56, so the result is the float
// nearest to the true value unless that lies within a hair of a tie; larger
// arguments give 0 (the kernel stops long before: its cut-off is below 50).
float GaussianWeight(std::int32_t e, float s);

}  // namespace kestrimo
