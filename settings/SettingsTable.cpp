#include "settings/SettingsTable.h"

namespace kestrimo {

SettingsTable MakeSettingsTable(ChannelSettings& record) {
  using namespace setting_type;
  const ChannelSettings d = TableDefaults();
  return {{
      {kString, "MaskFileName", &record.MaskFileName, 0, ""},
      {kInt32, "MaskPosX", &record.MaskPosX, d.MaskPosX, nullptr},
      {kInt32, "MaskPosY", &record.MaskPosY, d.MaskPosY, nullptr},
      {kInt32, "RectMaskSizeX", &record.RectMaskSizeX, d.RectMaskSizeX, nullptr},
      {kInt32, "RectMaskSizeY", &record.RectMaskSizeY, d.RectMaskSizeY, nullptr},
      {kInt32, "ExpandX", &record.ExpandX, d.ExpandX, nullptr},
      {kInt32, "ExpandY", &record.ExpandY, d.ExpandY, nullptr},
      {kInt32, "Opacity", &record.Opacity, d.Opacity, nullptr},
      {kUInt32, "InvertMask", &record.InvertMask, d.InvertMask, nullptr},
      {kUInt32, "ShowMask", &record.ShowMask, d.ShowMask, nullptr},
      {kColor, "ColorKey", &record.ColorKey, d.ColorKey, nullptr},
      {kColor, "ScreenBlur", &record.ScreenBlur, d.ScreenBlur, nullptr},
      {kColor, "EdgeBlur", &record.EdgeBlur, d.EdgeBlur, nullptr},
      {kUInt32, "ProcEnable", &record.ProcEnable, d.ProcEnable, nullptr},
  }};
}

}  // namespace kestrimo
