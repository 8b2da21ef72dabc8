// The plug-in driven as the TV host drives it: the real library loaded by path
// through its two exports, a settings file put where the plug-in reads it
// (and the previous one put back afterwards), one channel per configuration.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/frame/Frames.h"
#include "bench/frame/LogoArea.h"

namespace kestrimo {
class PluginHost;
class SettingsSwap;
}  // namespace kestrimo

namespace kestrimo::bench {

struct ChannelSetup {
  RasterMask mask;
  int edgeBlur = 0;
  int screenBlur = 0;
};

class PluginUnderTest {
 public:
  PluginUnderTest();
  ~PluginUnderTest();  // shuts the plug-in down and puts the settings back
  PluginUnderTest(const PluginUnderTest&) = delete;
  PluginUnderTest& operator=(const PluginUnderTest&) = delete;

  // Registers a channel; all channels must be added before Start. Returns its id.
  std::int64_t AddChannel(const ChannelSetup& setup);

  // Loads the library, installs the settings file made from the channels, and
  // initialises the plug-in. False with Error() set.
  bool Start(const std::string& libraryPath, const std::string& scratchFolder);

  // One frame of a channel, changed in place; a frame of another size or mode
  // than the last one is announced first, as a host does. Returns the
  // plug-in's result.
  std::int32_t Process(PackedFrame& frame, std::int64_t channel);

  const std::string& Error() const { return error_; }

 private:
  std::string SettingsText() const;

  std::vector<ChannelSetup> channels_;
  int width_ = 0;
  int height_ = 0;
  FrameMode mode_ = FrameMode::Yuy2;
  std::unique_ptr<SettingsSwap> settings_;  // destroyed after the host: put back after Done
  std::unique_ptr<PluginHost> host_;
  std::string error_;
};

}  // namespace kestrimo::bench
