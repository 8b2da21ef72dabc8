#include "ui/rules/MaskFileRules.h"

#include "base/Cp1251Text.h"

namespace kestrimo::ui {
namespace {

constexpr auto kNoMaskFile = ToCp1251(u8"Ф а й л   м а с к и   н е   в ы б р а н");
constexpr auto kFilter = ToCp1251(u8"Файлы логотипа (*.bmp)\0*.bmp\0");

EditEffect ReloadEverything() {
  EditEffect effect;
  effect.loadMaskPicture = true;
  effect.rebuildMask = true;
  effect.refresh = RefreshCode::All;
  return effect;
}

}  // namespace

std::string MaskFileText(const std::string& maskFileName) {
  return maskFileName.empty() ? std::string(kNoMaskFile.c_str()) : maskFileName;
}

const char* MaskFileFilter() { return kFilter.c_str(); }

EditEffect MaskFileChosen(ChannelSettings& record, std::string_view path) {
  record.MaskFileName.assign(path);
  record.ExpandX = 0;
  record.ExpandY = 0;
  record.LogoModelFile.clear();
  record.LogoPresenceCheck = 0;
  record.LogoSeeThrough = 0;
  return ReloadEverything();
}

EditEffect MaskFileDropped(ChannelSettings& record) {
  record.MaskFileName.clear();
  record.LogoModelFile.clear();
  record.LogoPresenceCheck = 0;
  record.LogoSeeThrough = 0;
  return ReloadEverything();
}

}  // namespace kestrimo::ui
