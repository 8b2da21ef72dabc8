// Every kernel family's row routines in one set. The scalar set holds the
// references; the SSE2 set is the scalar one with the SSE2 twins laid over
// it, the AVX2 set the SSE2 one with the AVX2 twins laid over it. Each set is
// built once, on first use.
#pragma once

#include "imaging/AlphaKernels.h"
#include "imaging/BlurKernels.h"
#include "imaging/ConversionKernels.h"
#include "imaging/GradientKernels.h"
#include "imaging/LogoFillKernels.h"
#include "imaging/ScalingKernels.h"

// Taking a blended logo out of frame samples.
#include "imaging/LogoSubtractKernels.h"
// Telling whether a frame shows a known logo.
#include "imaging/LogoPresenceKernels.h"
// Following the camera from one frame to the next.
#include "imaging/MotionKernels.h"
// Rebuilding a logo's pixels from earlier frames.
#include "imaging/HistoryKernels.h"

namespace kestrimo {

struct Kernels {
  AlphaKernels alpha;
  BlurKernels blur;
  ConversionKernels conversion;
  GradientKernels gradient;
  LogoFillKernels logoFill;
  ScalingKernels scaling;

  // Taking a blended logo out of frame samples.
  LogoSubtractKernels logoSubtract;
  // Telling whether a frame shows a known logo.
  LogoPresenceKernels logoPresence;
  // Following the camera from one frame to the next.
  MotionKernels motion;
  // Rebuilding a logo's pixels from earlier frames.
  HistoryKernels history;
};

const Kernels& ScalarKernels();
// A processor without SSE2 gets the scalar set, one without AVX2 the SSE2
// set: the twins' objects are not even entered where they cannot run.
const Kernels& Sse2Kernels();
const Kernels& Avx2Kernels();

// The best set the processor and the kernel choice allow.
const Kernels& KernelsInUse();

}  // namespace kestrimo
