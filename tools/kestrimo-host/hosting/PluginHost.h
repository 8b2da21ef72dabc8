// Loads the plug-in library by path and calls it in the TV host's order:
// version and descriptor, Init, SetFormat, ProcessFrame per frame, Done.
#pragma once

#include <cstdint>
#include <string>

#include "model/HostRecords.h"
#include "platform/DynamicLibrary.h"

namespace kestrimo {

class PluginHost {
 public:
  PluginHost() = default;
  ~PluginHost();  // calls Done when Init was called and Done was not
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Loads the library and checks its interface version and descriptor.
  // False with Error() set.
  bool Load(const std::string& path);
  const char* Name() const;

  void Init();
  void SetFormat(int width, int height, int frameMode, std::int32_t cpuLevel);
  // Hands one frame of the channel to the plug-in, which changes it in place.
  std::int32_t ProcessFrame(std::uint8_t* pixels, ChannelId channel, const std::string& name);
  void Done();

  const std::string& Error() const { return error_; }

 private:
  bool Fail(std::string message);
  void SetChannel(ChannelId channel, const std::string& name);

  DynamicLibrary library_;  // first member: unloaded after everything else
  PluginDescriptor* descriptor_ = nullptr;
  PluginHostInfo hostInfo_{};
  VideoFormat format_{};
  ChannelInfo channel_{};
  FrameInfo frame_{};
  bool running_ = false;
  std::string error_;
};

}  // namespace kestrimo
