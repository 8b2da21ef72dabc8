// A 32-bit host may call the entry points with the stack aligned to only
// 4 bytes. The calls below go through a thunk that leaves the stack pointer
// at 0, 4, 8 or 12 (mod 16) at the call; the entry points must realign
// before their SSE code spills to the stack, and give the same frames as
// with an aligned stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/HostRecords.h"
#include "platform/DynamicLibrary.h"
#include "platform/ModuleInfo.h"
#include "tests/integration/TestFrame.h"
#include "tests/reliability/ReliabilityOptions.h"
#include "tests/reliability/StressFixtures.h"

#if !defined(__i386__)
#error "the stack thunk is 32-bit x86 code"
#endif

// Calls fn(arg) with the stack pointer at `offset` (mod 16) at the call
// instruction; 0 is the aligned case. Returns what fn returns in eax.
extern "C" std::int32_t KestrimoCallWithStackOffset(const void* fn, void* arg, std::int32_t offset);
// Returns its caller's stack pointer at the call instruction.
extern "C" std::uint32_t KestrimoStackAtCall();

asm(R"(
    .text
    .globl _KestrimoCallWithStackOffset
_KestrimoCallWithStackOffset:
    pushl %ebp
    movl %esp, %ebp
    movl 8(%ebp), %eax
    movl 12(%ebp), %ecx
    movl 16(%ebp), %edx
    andl $-16, %esp
    subl $28, %esp
    addl %edx, %esp
    pushl %ecx
    call *%eax
    movl %ebp, %esp
    popl %ebp
    ret

    .globl _KestrimoStackAtCall
_KestrimoStackAtCall:
    leal 4(%esp), %eax
    ret
)");

namespace kestrimo::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kWidth = 352, kHeight = 288;
constexpr std::int32_t kOffsets[] = {0, 4, 8, 12};

std::int32_t KESTRIMO_CDECL HostKnowsAll(ChannelId) { return 1; }

template <typename Proc, typename Arg>
std::int32_t CallAt(std::int32_t offset, Proc proc, Arg* arg) {
  return KestrimoCallWithStackOffset(reinterpret_cast<const void*>(proc), arg, offset);
}

fs::path ProgramFolder() {
  std::string path = OwnModulePath();
  std::replace(path.begin(), path.end(), '\\', '/');
  return fs::path(path).parent_path();
}

// Processing on with both blurs, so frames run the removal chain's SSE code
// and every channel change rebuilds a blurred mask.
class PreparedSettings {
 public:
  PreparedSettings() : plugins_(ProgramFolder() / "Plugins") {
    madeFolder_ = fs::create_directory(plugins_);
    std::ofstream(plugins_ / "KRD_Kestrimo.ini", std::ios::binary)
        << "[DEFAULT]\r\nProcEnable=1\r\nScreenBlur=3\r\nEdgeBlur=2\r\nMaskPosX=176\r\n"
           "MaskPosY=144\r\nShowMask=0\r\n";
  }
  ~PreparedSettings() {
    std::error_code error;
    fs::remove(plugins_ / "KRD_Kestrimo.ini", error);
    if (madeFolder_) fs::remove(plugins_, error);
  }

 private:
  fs::path plugins_;
  bool madeFolder_ = false;
};

TEST(MisalignedStack, TheThunkReallyMisalignsTheStack) {
  for (std::int32_t offset : kOffsets)
    EXPECT_EQ(CallAt(offset, &KestrimoStackAtCall, static_cast<void*>(nullptr)) % 16,
              static_cast<std::uint32_t>(offset));
}

TEST(MisalignedStack, EntryPointsRealignAndProcessFramesAsWithAnAlignedStack) {
  PreparedSettings settings;
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(Options().library)) << library.Error();
  auto describe = reinterpret_cast<PluginDescriptorExport>(library.Find(kDescriptorExportName));
  ASSERT_NE(describe, nullptr);
  PluginDescriptor* plugin = describe();

  PluginHostInfo host{0, &HostKnowsAll};
  CallAt(4, plugin->init, &host);
  VideoFormat format{kWidth, kHeight, 0, 0, 3};
  EXPECT_EQ(CallAt(12, plugin->setFormat, &format), 1);

  const std::vector<std::uint8_t> input = InputFrame(FrameFormat::Yuy2, kWidth, kHeight);
  ChannelInfo channel{};
  std::vector<std::uint64_t> hashes;
  // A new channel at each call: each frame rebuilds the mask, then removes
  // the logo; the last one comes through an aligned, direct call.
  for (std::int32_t offset : {4, 8, 12, 0, -1}) {
    std::vector<std::uint8_t> pixels = input;
    FrameInfo frame{};
    frame.pixels = pixels.data();
    frame.channel = &channel;
    channel.id = 100 + offset;
    const std::int32_t result =
        offset < 0 ? plugin->processFrame(&frame) : CallAt(offset, plugin->processFrame, &frame);
    EXPECT_EQ(result, 1) << "offset " << offset;
    hashes.push_back(Fnv1a64(pixels));
  }
  CallAt(8, plugin->reserved, static_cast<void*>(nullptr));
  CallAt(4, plugin->done, static_cast<void*>(nullptr));

  EXPECT_NE(hashes.back(), Fnv1a64(input)) << "the frames were not processed";
  for (std::size_t i = 0; i + 1 < hashes.size(); ++i)
    EXPECT_EQ(hashes[i], hashes.back()) << "call " << i;
}

}  // namespace
}  // namespace kestrimo::testing
