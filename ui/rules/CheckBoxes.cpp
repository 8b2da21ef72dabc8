#include "ui/rules/CheckBoxes.h"

namespace kestrimo::ui {
namespace {

// The box's field; const with a const record. Null for other ids.
template <class Record>
auto FlagOf(Record& record, ControlId box) -> decltype(&record.ProcEnable) {
  switch (box) {
    case ControlId::ChkEnable: return &record.ProcEnable;
    case ControlId::ChkShowMask: return &record.ShowMask;
    case ControlId::ChkInvert: return &record.InvertMask;
    case ControlId::ChkLogoPresence: return &record.LogoPresenceCheck;
    case ControlId::ChkSeeThrough: return &record.LogoSeeThrough;
    default: return nullptr;
  }
}

EditEffect SubtractClicked(ChannelSettings& record, std::int32_t checkState) {
  EditEffect effect;
  if (checkState != 0 || record.LogoModelFile.empty()) {
    effect.refresh = RefreshCode::All;
    return effect;
  }
  record.LogoModelFile.clear();
  record.LogoPresenceCheck = 0;  // it weighs frames against the model
  effect.loadMaskPicture = true;
  effect.rebuildMask = true;
  effect.refresh = RefreshCode::All;  // both boxes go off, and are disabled without a model
  return effect;
}

}  // namespace

EditEffect CheckBoxClicked(ChannelSettings& record, ControlId box, std::int32_t checkState) {
  if (box == ControlId::ChkSubtractLogo) return SubtractClicked(record, checkState);
  std::int32_t* flag = FlagOf(record, box);
  if (flag == nullptr) return EditEffect{};
  *flag = checkState;
  EditEffect effect;
  if (box == ControlId::ChkInvert) {
    effect.rebuildMask = true;
  } else {
    effect.refresh = RefreshCode::Enable;
  }
  return effect;
}

std::int32_t CheckStateOf(const ChannelSettings& record, ControlId box) {
  if (box == ControlId::ChkSubtractLogo) return record.LogoModelFile.empty() ? 0 : 1;
  const std::int32_t* flag = FlagOf(record, box);
  return flag != nullptr && *flag != 0 ? 1 : 0;
}

}  // namespace kestrimo::ui
