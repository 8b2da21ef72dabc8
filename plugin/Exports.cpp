// The plug-in's face towards the host: the two exported functions, the
// descriptor with its six entry points, and the process-wide state they share.
//
// Every entry point realigns the stack (a 32-bit host may call with only 4-byte
// alignment, and SSE spills would then fault) and lets no exception out: on
// any failure the frame goes back as it is.
#include <cstdint>

#include "base/Cp1251Text.h"
#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "model/HostRecords.h"
#include "engine/PluginState.h"

#if defined(__i386__)
#define KESTRIMO_ENTRY __attribute__((force_align_arg_pointer)) KESTRIMO_CDECL
#else
#define KESTRIMO_ENTRY
#endif

namespace kestrimo {
namespace {

PluginState thePlugin;

constexpr auto kDisplayName = ToCp1251(u8"Удаление логотипов");

template <typename Body>
void Guarded(Body body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

void KESTRIMO_ENTRY Init(PluginHostInfo* hostInfo) {
  Guarded([&] { PluginInit(thePlugin, hostInfo); });
}

std::int32_t KESTRIMO_ENTRY SetFormat(VideoFormat* format) {
  Guarded([&] { PluginSetFormat(thePlugin, format); });
  return 1;
}

std::int32_t KESTRIMO_ENTRY ProcessFrameEntry(FrameInfo* frame) {
  std::int32_t result = 1;
  Guarded([&] { result = ProcessFrame(thePlugin, frame); });
  return result;
}

void KESTRIMO_ENTRY Reserved() {
  Guarded([&] { PluginReserved(thePlugin); });
}

void KESTRIMO_ENTRY ShowSettings(SettingsRequest* request) {
  Guarded([&] { PluginShowSettings(thePlugin, request); });
}

void KESTRIMO_ENTRY Done() {
  Guarded([&] { PluginDone(thePlugin); });
}

PluginDescriptor theDescriptor = {
    kDisplayName.c_str(), kDisplayName.c_str(), &Init, &SetFormat,
    &ProcessFrameEntry,   &Reserved,            &ShowSettings, &Done,
};

}  // namespace
}  // namespace kestrimo

extern "C" {

std::int32_t KESTRIMO_CDECL Telvaro_Plugin_Version() {
  return kestrimo::kPluginInterfaceVersion;
}

kestrimo::PluginDescriptor* KESTRIMO_CDECL Telvaro_Plugin_PR() {
  return &kestrimo::theDescriptor;
}

}  // extern "C"
