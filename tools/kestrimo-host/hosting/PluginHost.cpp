#include "tools/kestrimo-host/hosting/PluginHost.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tools/kestrimo-host/hosting/KnownChannels.h"

namespace kestrimo {

PluginHost::~PluginHost() { Done(); }

bool PluginHost::Load(const std::string& path) {
  if (!library_.Open(path)) return Fail("cannot load plug-in " + path + ": " + library_.Error());
  const auto version = reinterpret_cast<PluginVersionExport>(library_.Find(kVersionExportName));
  const auto describe = reinterpret_cast<PluginDescriptorExport>(library_.Find(kDescriptorExportName));
  if (version == nullptr || describe == nullptr) {
    return Fail(path + " is not a plug-in: it does not export " + kVersionExportName + " and " +
                kDescriptorExportName);
  }
  const std::int32_t interfaceVersion = version();
  if (interfaceVersion != kPluginInterfaceVersion) {
    return Fail(path + " has plug-in interface version " + std::to_string(interfaceVersion) +
                ", this host needs " + std::to_string(kPluginInterfaceVersion));
  }
  descriptor_ = describe();
  const PluginDescriptor* d = descriptor_;
  if (d == nullptr || d->init == nullptr || d->setFormat == nullptr ||
      d->processFrame == nullptr || d->done == nullptr) {
    descriptor_ = nullptr;
    return Fail(path + " returned an incomplete plug-in descriptor");
  }
  return true;
}

const char* PluginHost::Name() const {
  return descriptor_ != nullptr && descriptor_->name != nullptr ? descriptor_->name : "";
}

void PluginHost::Init() {
  if (descriptor_ == nullptr || running_) return;
  hostInfo_.channelExists = &KnownChannelExists;
  descriptor_->init(&hostInfo_);
  running_ = true;
}

void PluginHost::SetFormat(int width, int height, int frameMode, std::int32_t cpuLevel) {
  if (!running_) return;
  format_ = VideoFormat{width, height, 0, frameMode, cpuLevel};
  descriptor_->setFormat(&format_);
}

std::int32_t PluginHost::ProcessFrame(std::uint8_t* pixels, ChannelId channel,
                                      const std::string& name) {
  if (!running_) return 0;
  SetChannel(channel, name);
  frame_.pixels = pixels;
  frame_.channel = &channel_;
  return descriptor_->processFrame(&frame_);
}

void PluginHost::Done() {
  if (!running_) return;
  running_ = false;
  descriptor_->done();
}

void PluginHost::SetChannel(ChannelId channel, const std::string& name) {
  RememberChannel(channel);  // sent in a frame: the host knows it from now on
  channel_.id = channel;
  const std::size_t length = std::min(name.size(), sizeof channel_.name - 1);
  std::memcpy(channel_.name, name.data(), length);
  channel_.name[length] = '\0';
}

bool PluginHost::Fail(std::string message) {
  error_ = std::move(message);
  return false;
}

}  // namespace kestrimo
