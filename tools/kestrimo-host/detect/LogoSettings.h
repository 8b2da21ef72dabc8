// The settings that make the plug-in use a detected mask picture: printed as
// a channel section to paste, or stored into a settings file through the
// plug-in's own settings reader and writer.
#pragma once

#include <cstdint>
#include <string>

#include "model/ChannelSettings.h"
#include "settings/SettingsDocument.h"

namespace kestrimo {

// Sets the keys that place and enable the picture on `record`, keeping the
// others (opacity, blur strengths, ...) as they are.
void ApplyLogoMask(ChannelSettings& record, const ChannelSettings& detected);

// "[id]" and the keys ApplyLogoMask sets, one per line ending in `newline`.
std::string LogoSectionText(ChannelId id, const ChannelSettings& detected,
                            const std::string& newline = "\n");

class LogoSettingsFile {
 public:
  explicit LogoSettingsFile(const std::string& path);

  // Reads the file as the plug-in does (a missing file is created empty).
  // False, with Error() set, when it cannot be read.
  bool Load();
  // The channel's record as the plug-in would take it: its section, or for a
  // channel without one the DEFAULT section's values.
  ChannelSettings Channel(ChannelId id) const;
  // Puts the detected mask into the channel's record and replaces the file
  // in one step: DEFAULT (when the file had one), COMMON and every channel,
  // each with all its keys. False, with the file unchanged and Error() set,
  // when it cannot be written.
  bool Store(ChannelId id, const ChannelSettings& detected);
  const std::string& Error() const { return error_; }

 private:
  SettingsDocument document_;
  bool hasDefault_ = false;
  std::string path_;
  std::string error_;
};

}  // namespace kestrimo
