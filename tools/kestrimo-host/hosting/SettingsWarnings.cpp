#include "tools/kestrimo-host/hosting/SettingsWarnings.h"

#include <sys/stat.h>

#include <algorithm>

#include "base/FrameGeometry.h"
#include "settings/SettingsPersistence.h"
#include "tools/kestrimo-host/hosting/SettingsFileCheck.h"

namespace kestrimo {
namespace {

bool Exists(std::string path) {
#if !defined(_WIN32)
  std::replace(path.begin(), path.end(), '\\', '/');  // as the plug-in reads it here
#endif
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

std::string Outside(const char* key, std::int32_t value, std::int32_t limit, const char* what) {
  if (value >= 0 && value <= limit) return {};
  return std::string(key) + "=" + std::to_string(value) + " " + (value < 0 ? "is negative" : what) +
         " (0.." + std::to_string(limit) + " on the 768 x 576 reference frame)";
}

void CheckRecord(const ChannelSettings& record, std::vector<std::string>& found) {
  if (!record.MaskFileName.empty() && !Exists(record.MaskFileName))
    found.push_back("the mask picture " + record.MaskFileName + " does not exist");
  if (!record.LogoModelFile.empty() && !Exists(record.LogoModelFile))
    found.push_back("the logo model " + record.LogoModelFile + " does not exist");
  for (const std::string& text :
       {Outside("RectMaskSizeX", record.RectMaskSizeX, kReferenceWidth, "is larger than the frame"),
        Outside("RectMaskSizeY", record.RectMaskSizeY, kReferenceHeight, "is larger than the frame")}) {
    if (!text.empty()) found.push_back(text);
  }
}

}  // namespace

std::vector<std::string> SettingsWarnings(const std::string& settingsPath,
                                          const std::string& shownName,
                                          const std::vector<ChannelId>& channels) {
  std::vector<std::string> warnings;
  if (settingsPath.empty()) return warnings;
  if (const std::string problem = SettingsFileProblemAt(settingsPath); !problem.empty()) {
    warnings.push_back(shownName + " is not a settings file (" + problem +
                       "); the plug-in finds no channel settings in it");
    return warnings;
  }
  SettingsDocument document;
  SettingsLocation location;
  location.path = settingsPath;
  document.Profile.SetLocation(location);
  ReadSettings(document);
  std::vector<ChannelId> seen;
  for (ChannelId id : channels) {
    if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
    seen.push_back(id);
    const ChannelSettings& record = document.RecordOf(id);
    if (record.ProcEnable == 0) continue;
    std::vector<std::string> found;
    CheckRecord(record, found);
    for (const std::string& text : found)
      warnings.push_back("channel " + std::to_string(id) + " of " + shownName + ": " + text);
  }
  return warnings;
}

}  // namespace kestrimo
