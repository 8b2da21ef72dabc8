// Logo model files made from a fuzz input: mostly valid ones (the form the
// logo search writes, and the other headers and row orders the reader takes)
// at odd sizes and extreme opacities, sometimes hostile ones (a valid file
// with one header field broken or cut short, or raw bytes).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

namespace kestrimo::fuzzing {

// The bytes of one model file, chosen by the input.
std::string AnyModelFile(FuzzedDataProvider& input);

}  // namespace kestrimo::fuzzing
