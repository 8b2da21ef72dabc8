#include "ui/rules/ControlEnabling.h"

namespace kestrimo::ui {
namespace {

enum class Needs { Processing, Picture, ShowMask, Model };

struct ManagedControl {
  ControlId id;
  Needs needs;
};

constexpr std::array<ManagedControl, kManagedControlCount> kManaged{{
    {ControlId::CornerNW, Needs::Processing},
    {ControlId::CornerNE, Needs::Processing},
    {ControlId::CornerSW, Needs::Processing},
    {ControlId::CornerSE, Needs::Processing},
    {ControlId::MoveUp, Needs::Processing},
    {ControlId::MoveDown, Needs::Processing},
    {ControlId::MoveLeft, Needs::Processing},
    {ControlId::MoveRight, Needs::Processing},
    {ControlId::WidthPlus, Needs::Processing},
    {ControlId::WidthMinus, Needs::Processing},
    {ControlId::HeightPlus, Needs::Processing},
    {ControlId::HeightMinus, Needs::Processing},
    {ControlId::ResetExpand, Needs::Processing},
    {ControlId::MaskFile, Needs::Processing},
    {ControlId::BtnBrowse, Needs::Processing},
    {ControlId::LblColor, Needs::Processing},
    {ControlId::ColorSwatch, Needs::Processing},
    {ControlId::LblShowMask, Needs::Processing},
    {ControlId::ChkShowMask, Needs::Processing},
    {ControlId::LblScreenBlur, Needs::Processing},
    {ControlId::SpinScreenBlur, Needs::Processing},
    {ControlId::EditScreenBlur, Needs::Processing},
    {ControlId::LblEdgeBlur, Needs::Processing},
    {ControlId::SpinEdgeBlur, Needs::Processing},
    {ControlId::EditEdgeBlur, Needs::Processing},
    {ControlId::BtnClearMask, Needs::Picture},
    {ControlId::LblInvert, Needs::Picture},
    {ControlId::ChkInvert, Needs::Picture},
    {ControlId::ChkSeeThrough, Needs::Picture},
    {ControlId::LblOpacity, Needs::ShowMask},
    {ControlId::SpinOpacity, Needs::ShowMask},
    {ControlId::EditOpacity, Needs::ShowMask},
    {ControlId::ChkSubtractLogo, Needs::Model},
    {ControlId::ChkLogoPresence, Needs::Model},
}};

bool IsMet(Needs needs, const EnableInputs& in) {
  switch (needs) {
    case Needs::Processing: return in.procEnable;
    case Needs::Picture: return in.procEnable && in.maskLoaded;
    case Needs::ShowMask: return in.procEnable && in.showMask;
    case Needs::Model: return in.procEnable && in.hasModel;
  }
  return false;
}

}  // namespace

std::array<ControlEnable, kManagedControlCount> EnabledStates(const EnableInputs& inputs) {
  std::array<ControlEnable, kManagedControlCount> states{};
  for (std::size_t i = 0; i < kManaged.size(); ++i) {
    states[i] = ControlEnable{kManaged[i].id, IsMet(kManaged[i].needs, inputs)};
  }
  return states;
}

}  // namespace kestrimo::ui
