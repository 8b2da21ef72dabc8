#include "model/ChannelSettings.h"

namespace kestrimo {

ChannelSettings TableDefaults() {
  ChannelSettings s;
  s.MaskPosX = 110;
  s.MaskPosY = 95;
  s.RectMaskSizeX = 100;
  s.RectMaskSizeY = 70;
  s.Opacity = 60;
  s.InvertMask = 0;
  s.ShowMask = 1;
  s.ColorKey = 0x00FF8000;  // red 0, green 128, blue 255
  s.ExpandX = 0;
  s.ExpandY = 0;
  s.ScreenBlur = 0;
  s.EdgeBlur = 0;
  s.ProcEnable = 0;
  return s;
}

}  // namespace kestrimo
