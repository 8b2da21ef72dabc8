// The kernel sets: each level lays its twins over every family of the set
// below it (a family left out of the upgrade would silently keep the lower
// routines, and the twin tests would compare a routine with itself).
#include "imaging/Kernels.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/CpuFeatures.h"

namespace kestrimo {
namespace {

// A set's routines in member order, as addresses.
std::vector<std::uintptr_t> Routines(const Kernels& set) {
  static_assert(sizeof(Kernels) % sizeof(void (*)()) == 0, "routines only");
  std::vector<std::uintptr_t> routines(sizeof(Kernels) / sizeof(void (*)()));
  std::memcpy(routines.data(), &set, sizeof(Kernels));
  return routines;
}

struct Family {
  const char* name;
  std::size_t offset, size;
  bool hasAvx2;
};

const Family kFamilies[] = {
    {"alpha", offsetof(Kernels, alpha), sizeof(AlphaKernels), true},
    {"blur", offsetof(Kernels, blur), sizeof(BlurKernels), true},
    {"conversion", offsetof(Kernels, conversion), sizeof(ConversionKernels), true},
    {"gradient", offsetof(Kernels, gradient), sizeof(GradientKernels), false},
    {"logoFill", offsetof(Kernels, logoFill), sizeof(LogoFillKernels), true},
    {"scaling", offsetof(Kernels, scaling), sizeof(ScalingKernels), false},

    // Taking a blended logo out of frame samples.
    {"logoSubtract", offsetof(Kernels, logoSubtract), sizeof(LogoSubtractKernels), true},
    // Telling whether a frame shows a known logo.
    {"logoPresence", offsetof(Kernels, logoPresence), sizeof(LogoPresenceKernels), true},
    // Following the camera from one frame to the next.
    {"motion", offsetof(Kernels, motion), sizeof(MotionKernels), true},
    // Rebuilding a logo's pixels from earlier frames.
    {"history", offsetof(Kernels, history), sizeof(HistoryKernels), false},
};

TEST(Kernels, FamiliesCoverTheSet) {
  std::size_t total = 0;
  for (const Family& f : kFamilies) total += f.size;
  EXPECT_EQ(total, sizeof(Kernels));
}

TEST(Kernels, Sse2ReplacesEveryRoutineAndAvx2SomeOfEachFamily) {
  if (!CpuHasSse2()) GTEST_SKIP() << "no SSE2";
  const auto scalar = Routines(ScalarKernels());
  const auto sse2 = Routines(Sse2Kernels());
  const auto avx2 = Routines(Avx2Kernels());
  const std::size_t width = sizeof(void (*)());
  for (const Family& f : kFamilies) {
    int replacedByAvx2 = 0;
    for (std::size_t i = f.offset / width; i < (f.offset + f.size) / width; ++i) {
      EXPECT_NE(sse2[i], scalar[i]) << f.name << " routine " << i;
      replacedByAvx2 += avx2[i] != sse2[i];
    }
    if (CpuHasAvx2()) {
      EXPECT_EQ(replacedByAvx2 > 0, f.hasAvx2) << f.name;
    }
  }
}

TEST(Kernels, SetInUseFollowsTheKernelChoice) {
  const struct {
    KernelChoice choice;
    const Kernels& expected;
  } cases[] = {{KernelChoice::ScalarOnly, ScalarKernels()},
               {KernelChoice::Sse2Only, Sse2Kernels()},
               {KernelChoice::Best, Avx2Kernels()}};
  for (const auto& c : cases) {
    SetKernelChoice(c.choice);
    EXPECT_EQ(&KernelsInUse(), &c.expected);
  }
  SetKernelChoice(KernelChoice::Best);
}

// Where the test run says the processor lacks SSE2 (an emulated one), CPUID
// must say so too; without SSE2 every choice gives the scalar set.
TEST(Kernels, ProcessorWithoutSse2GetsTheScalarSet) {
  if (std::getenv("KESTRIMO_CPU_WITHOUT_SSE2") != nullptr) {
    EXPECT_FALSE(CpuHasSse2());
    EXPECT_FALSE(CpuHasAvx2());
  }
  if (CpuHasSse2()) GTEST_SKIP() << "the processor has SSE2";
  for (KernelChoice choice : {KernelChoice::ScalarOnly, KernelChoice::Sse2Only, KernelChoice::Best}) {
    SetKernelChoice(choice);
    EXPECT_EQ(&KernelsInUse(), &ScalarKernels());
  }
  SetKernelChoice(KernelChoice::Best);
}

}  // namespace
}  // namespace kestrimo
