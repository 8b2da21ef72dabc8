#include "ui/rules/PositionButtons.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "base/FrameGeometry.h"
#include "mask/MaskRebuild.h"

namespace kestrimo::ui {
namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// value - steps, not below `floor`; computed wide so no sum can overflow.
void StepDown(std::int32_t& value, std::int32_t steps, std::int32_t floor) {
  const std::int64_t next = std::max<std::int64_t>(std::int64_t{value} - steps, floor);
  value = static_cast<std::int32_t>(std::min(next, kInt32Max));
}

// value + steps, not above `ceiling`.
void StepUp(std::int32_t& value, std::int32_t steps, std::int32_t ceiling) {
  const std::int64_t next = std::min<std::int64_t>(std::int64_t{value} + steps, ceiling);
  value = static_cast<std::int32_t>(std::max(next, kInt32Min));
}

void ApplyRepeat(ChannelSettings& r, ControlId button, std::int32_t s, bool picture) {
  switch (button) {
    case ControlId::MoveLeft: StepDown(r.MaskPosX, s, 0); break;
    case ControlId::MoveRight: StepUp(r.MaskPosX, s, kReferenceWidth); break;
    case ControlId::MoveUp: StepDown(r.MaskPosY, s, 0); break;
    case ControlId::MoveDown: StepUp(r.MaskPosY, s, kReferenceHeight); break;
    case ControlId::WidthMinus:
      if (picture) StepDown(r.ExpandX, s, 0);
      else StepDown(r.RectMaskSizeX, s, kMinRectMaskSize);
      break;
    case ControlId::WidthPlus:
      if (picture) StepUp(r.ExpandX, s, kMaxExpand);
      else StepUp(r.RectMaskSizeX, s, kReferenceWidth);
      break;
    case ControlId::HeightMinus:
      if (picture) StepDown(r.ExpandY, s, 0);
      else StepDown(r.RectMaskSizeY, s, kMinRectMaskSize);
      break;
    case ControlId::HeightPlus:
      if (picture) StepUp(r.ExpandY, s, kMaxExpand);
      else StepUp(r.RectMaskSizeY, s, kReferenceHeight);
      break;
    default: break;
  }
}

// Halves truncate toward zero; the sums fit in 32 bits for every input.
void PlaceInCorner(ChannelSettings& r, ControlId corner, Size size) {
  const std::int32_t halfW = size.width / 2;
  const std::int32_t halfH = size.height / 2;
  const bool left = corner == ControlId::CornerNW || corner == ControlId::CornerSW;
  const bool top = corner == ControlId::CornerNW || corner == ControlId::CornerNE;
  r.MaskPosX = left ? halfW + kCornerMargin : (kReferenceWidth - kCornerMargin) - halfW;
  r.MaskPosY = top ? halfH + kCornerMargin : (kReferenceHeight - kCornerMargin) - halfH;
}

}  // namespace

MaskContext MaskContextOf(const MaskRebuild& mask) {
  return MaskContext{mask.MaskLoaded != 0,
                     Size{mask.BaseMask.rect.Width(), mask.BaseMask.rect.Height()}};
}

bool IsRepeatButton(ControlId id) {
  switch (id) {
    case ControlId::MoveLeft:
    case ControlId::MoveRight:
    case ControlId::MoveUp:
    case ControlId::MoveDown:
    case ControlId::WidthMinus:
    case ControlId::WidthPlus:
    case ControlId::HeightMinus:
    case ControlId::HeightPlus: return true;
    default: return false;
  }
}

bool IsCornerButton(ControlId id) {
  return id == ControlId::CornerNW || id == ControlId::CornerSW || id == ControlId::CornerNE ||
         id == ControlId::CornerSE;
}

EditEffect ApplyPositionButton(ChannelSettings& record, ControlId button, std::int32_t steps,
                               const MaskContext& mask) {
  EditEffect rebuild;
  rebuild.rebuildMask = true;
  if (IsRepeatButton(button)) {
    ApplyRepeat(record, button, std::max(steps, 0), mask.maskLoaded);
    return rebuild;
  }
  if (IsCornerButton(button)) {
    const Size size = mask.maskLoaded ? mask.baseMask
                                      : Size{record.RectMaskSizeX, record.RectMaskSizeY};
    PlaceInCorner(record, button, size);
    return rebuild;
  }
  if (button == ControlId::ResetExpand) {
    if (mask.maskLoaded) {
      record.ExpandX = 0;
      record.ExpandY = 0;
    }
    return rebuild;
  }
  return EditEffect{};
}

}  // namespace kestrimo::ui
