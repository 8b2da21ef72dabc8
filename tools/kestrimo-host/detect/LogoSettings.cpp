#include "tools/kestrimo-host/detect/LogoSettings.h"

#include <algorithm>

#include "settings/SettingsPersistence.h"

namespace kestrimo {

void ApplyLogoMask(ChannelSettings& record, const ChannelSettings& detected) {
  MaskShape shape = detected.Shape();
  shape.InvertMask = 0;
  shape.EdgeBlur = record.EdgeBlur;  // the soft edge stays the user's
  record.SetShape(shape);
  record.MaskFileName = detected.MaskFileName;
  record.LogoModelFile = detected.LogoModelFile;  // none: an older model no longer fits
  record.LogoPresenceCheck = detected.LogoModelFile.empty() ? 0 : detected.LogoPresenceCheck;
  record.LogoSeeThrough = detected.LogoSeeThrough;  // it needs no model
  record.ProcEnable = 1;
}

std::string LogoSectionText(ChannelId id, const ChannelSettings& detected,
                            const std::string& newline) {
  const auto line = [&](const char* key, const std::string& value) {
    return std::string(key) + "=" + value + newline;
  };
  return "[" + std::to_string(id) + "]" + newline +
         line("MaskFileName", detected.MaskFileName) +
         line("MaskPosX", std::to_string(detected.MaskPosX)) +
         line("MaskPosY", std::to_string(detected.MaskPosY)) +
         line("RectMaskSizeX", std::to_string(detected.RectMaskSizeX)) +
         line("RectMaskSizeY", std::to_string(detected.RectMaskSizeY)) +
         line("ExpandX", std::to_string(detected.ExpandX)) +
         line("ExpandY", std::to_string(detected.ExpandY)) + line("InvertMask", "0") +
         line("ColorKey", std::to_string(detected.ColorKey)) +
         (detected.LogoModelFile.empty() ? "" : line("LogoModelFile", detected.LogoModelFile)) +
         (detected.LogoModelFile.empty() || detected.LogoPresenceCheck == 0
              ? ""
              : line("LogoPresenceCheck", "1")) +
         (detected.LogoSeeThrough == 0 ? "" : line("LogoSeeThrough", "1")) +
         line("ProcEnable", "1");
}

LogoSettingsFile::LogoSettingsFile(const std::string& path) : path_(path) {
  SettingsLocation location;
  location.path = path;
  document_.Profile.SetLocation(location);
}

bool LogoSettingsFile::Load() {
  ProfileFile& file = document_.Profile;
  if (!file.BeginRead()) {
    error_ = "cannot read the settings file " + path_;
    return false;
  }
  hasDefault_ = file.FindSection("DEFAULT");
  file.EndPass();
  ReadSettings(document_);
  return true;
}

ChannelSettings LogoSettingsFile::Channel(ChannelId id) const {
  const auto& list = document_.ChannelList;
  const auto found = std::find_if(list.begin(), list.end(),
                                  [id](const ChannelSettings& r) { return r.Id == id; });
  if (found != list.end()) return *found;
  ChannelSettings record = document_.DefaultSettings;
  record.Id = id;
  return record;
}

bool LogoSettingsFile::Store(ChannelId id, const ChannelSettings& detected) {
  auto& list = document_.ChannelList;
  auto found = std::find_if(list.begin(), list.end(),
                            [id](const ChannelSettings& r) { return r.Id == id; });
  if (found == list.end()) {
    list.push_back(Channel(id));
    found = list.end() - 1;
  }
  ApplyLogoMask(*found, detected);

  SaveOptions options;
  options.dlgWndPosX = document_.DlgWndPosX;
  options.dlgWndPosY = document_.DlgWndPosY;
  if (hasDefault_) options.defaults = &document_.DefaultSettings;
  if (!WriteSettings(document_.Profile, list, options)) {
    error_ = "cannot write the settings file " + path_;
    return false;
  }
  return true;
}

}  // namespace kestrimo
