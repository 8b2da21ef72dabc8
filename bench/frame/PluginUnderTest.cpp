#include "bench/frame/PluginUnderTest.h"

#include <fstream>

#include "tools/kestrimo-host/hosting/PluginHost.h"
#include "tools/kestrimo-host/hosting/SettingsSwap.h"

namespace kestrimo::bench {

PluginUnderTest::PluginUnderTest() = default;

PluginUnderTest::~PluginUnderTest() {
  if (host_) host_->Done();
  host_.reset();
  if (settings_) settings_->Restore();
}

std::int64_t PluginUnderTest::AddChannel(const ChannelSetup& setup) {
  channels_.push_back(setup);
  return static_cast<std::int64_t>(channels_.size());
}

std::string PluginUnderTest::SettingsText() const {
  std::string text = "[COMMON]\r\n";
  for (std::size_t i = 0; i < channels_.size(); ++i) {
    const ChannelSetup& c = channels_[i];
    text += "[" + std::to_string(i + 1) + "]\r\n";
    text += "MaskPosX=" + std::to_string(c.mask.posX) + "\r\n";
    text += "MaskPosY=" + std::to_string(c.mask.posY) + "\r\n";
    text += "RectMaskSizeX=" + std::to_string(c.mask.sizeX) + "\r\n";
    text += "RectMaskSizeY=" + std::to_string(c.mask.sizeY) + "\r\n";
    text += "ShowMask=0\r\n";
    text += "ScreenBlur=" + std::to_string(c.screenBlur) + "\r\n";
    text += "EdgeBlur=" + std::to_string(c.edgeBlur) + "\r\n";
    text += "ProcEnable=1\r\n";
  }
  return text;
}

bool PluginUnderTest::Start(const std::string& libraryPath, const std::string& scratchFolder) {
  host_ = std::make_unique<PluginHost>();
  if (!host_->Load(libraryPath)) {
    error_ = host_->Error();
    return false;
  }
  const std::string userFile = scratchFolder + "/bench-settings.ini";
  {
    std::ofstream out(userFile, std::ios::binary | std::ios::trunc);
    out << SettingsText();
    if (!out) {
      error_ = "cannot write " + userFile;
      return false;
    }
  }
  settings_ = std::make_unique<SettingsSwap>();
  if (!settings_->Install(userFile, PluginSettingsPath(libraryPath), false)) {
    error_ = settings_->Error();
    return false;
  }
  host_->Init();
  return true;
}

std::int32_t PluginUnderTest::Process(PackedFrame& frame, std::int64_t channel) {
  if (frame.width != width_ || frame.height != height_ || frame.mode != mode_) {
    constexpr std::int32_t kCpuWithSse = 3;
    width_ = frame.width;
    height_ = frame.height;
    mode_ = frame.mode;
    host_->SetFormat(width_, height_, static_cast<int>(mode_), kCpuWithSse);
  }
  return host_->ProcessFrame(frame.bytes.data(), channel, "bench");
}

}  // namespace kestrimo::bench
