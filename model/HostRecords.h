// The records shared with the TV host, and the plug-in's descriptor.
//
// On the 32-bit target the layouts are the host's own, pinned below by
// static_assert. The 64-bit build keeps the field order with natural
// alignment, and reserved gaps keep their byte sizes.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__i386__)
#define KESTRIMO_CDECL __attribute__((cdecl))
#else
#define KESTRIMO_CDECL
#endif

namespace kestrimo {

using ChannelId = std::int64_t;  // the host's CHANNEL_ID

// Answers non-zero while the host still knows the channel.
using ChannelExistsProc = std::int32_t(KESTRIMO_CDECL*)(ChannelId);

struct PluginHostInfo {
  std::uint32_t hostValue;  // owned by the host, not read
  ChannelExistsProc channelExists;
};

struct VideoFormat {
  std::int32_t width;
  std::int32_t height;
  std::int32_t unused;
  std::int32_t frameMode;  // 0: YUY2 top-down, 1: BGR24 bottom-up
  std::int32_t cpuLevel;   // 1 and 2: no SSE
};

// The plug-in reads the name up to its terminator, at most this many bytes
// including the terminator; a host allocates at least the name's length.
constexpr int kChannelNameCapacity = 256;

struct ChannelInfo {
  ChannelId id;  // low 32 bits first
  std::uint32_t unused;
  char name[kChannelNameCapacity];  // code page 1251, zero-terminated
};

struct FrameInfo {
  std::uint8_t* pixels;  // null: no frame
  std::uint8_t reserved[40];
  ChannelInfo* channel;
};

// The argument of the settings entry point: the parent window comes first.
struct SettingsRequest {
  void* parentWindow;
};

using PluginInitProc = void(KESTRIMO_CDECL*)(PluginHostInfo*);
using PluginSetFormatProc = std::int32_t(KESTRIMO_CDECL*)(VideoFormat*);
using PluginProcessFrameProc = std::int32_t(KESTRIMO_CDECL*)(FrameInfo*);
using PluginReservedProc = void(KESTRIMO_CDECL*)();
using PluginShowSettingsProc = void(KESTRIMO_CDECL*)(SettingsRequest*);
using PluginDoneProc = void(KESTRIMO_CDECL*)();

struct PluginDescriptor {
  const char* name;
  const char* secondName;  // the same pointer as name
  PluginInitProc init;
  PluginSetFormatProc setFormat;
  PluginProcessFrameProc processFrame;
  PluginReservedProc reserved;
  PluginShowSettingsProc showSettings;
  PluginDoneProc done;
};

// The two exports, as a host declares them.
using PluginVersionExport = std::int32_t(KESTRIMO_CDECL*)();
using PluginDescriptorExport = PluginDescriptor*(KESTRIMO_CDECL*)();
constexpr const char* kVersionExportName = "Telvaro_Plugin_Version";
constexpr const char* kDescriptorExportName = "Telvaro_Plugin_PR";
constexpr std::int32_t kPluginInterfaceVersion = 3;

#if defined(__i386__)
static_assert(offsetof(PluginHostInfo, channelExists) == 4);
static_assert(sizeof(PluginHostInfo) == 8);
static_assert(offsetof(VideoFormat, frameMode) == 12);
static_assert(offsetof(VideoFormat, cpuLevel) == 16);
static_assert(offsetof(FrameInfo, reserved) == 4);
static_assert(offsetof(FrameInfo, channel) == 44);
static_assert(offsetof(ChannelInfo, unused) == 8);
static_assert(offsetof(ChannelInfo, name) == 12);
static_assert(sizeof(PluginDescriptor) == 32);
#else
static_assert(offsetof(PluginHostInfo, channelExists) == 8);
static_assert(offsetof(FrameInfo, reserved) == 8);
static_assert(offsetof(FrameInfo, channel) == 48);
static_assert(offsetof(ChannelInfo, name) == 12);
static_assert(sizeof(PluginDescriptor) == 8 * sizeof(void*));
#endif

}  // namespace kestrimo
