// A stand-in plug-in for the host's tests: it records every call in a log and
// inverts the first byte of every frame; with KESTRIMO_FAKE_PLUGIN_ECHO set it
// also prints the log to stderr at Done. Built in three variants: the full one,
// one that reports another interface version, and one without the two exports.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/HostRecords.h"

#if defined(_WIN32)
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#ifndef FAKE_PLUGIN_VERSION
#define FAKE_PLUGIN_VERSION 3
#endif

namespace {

using namespace kestrimo;

std::string& Log() {
  static std::string log;
  return log;
}

ChannelExistsProc channelExists = nullptr;
ChannelId lastChannel = 0;

void KESTRIMO_CDECL Init(PluginHostInfo* info) {
  channelExists = info->channelExists;
  Log() += "init;";
}

std::int32_t KESTRIMO_CDECL SetFormat(VideoFormat* format) {
  Log() += "format " + std::to_string(format->width) + "x" + std::to_string(format->height) +
           " mode " + std::to_string(format->frameMode) + " cpu " +
           std::to_string(format->cpuLevel) + ";";
  return 1;
}

std::int32_t KESTRIMO_CDECL ProcessFrame(FrameInfo* frame) {
  if (frame->pixels == nullptr) return 0;
  frame->pixels[0] = static_cast<std::uint8_t>(~frame->pixels[0]);
  lastChannel = frame->channel->id;
  Log() += "frame " + std::to_string(frame->channel->id) + " '" + frame->channel->name + "';";
  return 1;
}

void KESTRIMO_CDECL Reserved() {}
void KESTRIMO_CDECL ShowSettings(SettingsRequest*) {}

void KESTRIMO_CDECL Done() {
  Log() += "done";
  for (ChannelId id : {lastChannel, ChannelId{424242}}) {
    Log() += " " + std::to_string(id) + ":" + std::to_string(channelExists(id));
  }
  Log() += ";";
  // End-to-end tests read the log from the host's error output.
  if (std::getenv("KESTRIMO_FAKE_PLUGIN_ECHO") != nullptr) std::fprintf(stderr, "%s\n", Log().c_str());
}

[[maybe_unused]] PluginDescriptor descriptor = {"fake", "fake", Init, SetFormat, ProcessFrame,
                               Reserved, ShowSettings, Done};

}  // namespace

#ifndef FAKE_PLUGIN_NO_EXPORTS
FAKE_EXPORT std::int32_t Telvaro_Plugin_Version() {
  Log() += "version;";
  return FAKE_PLUGIN_VERSION;
}

FAKE_EXPORT PluginDescriptor* Telvaro_Plugin_PR() {
  Log() += "descriptor;";
  return &descriptor;
}
#endif

FAKE_EXPORT const char* FakePlugin_Log() { return Log().c_str(); }
FAKE_EXPORT void FakePlugin_Clear() { Log().clear(); }
