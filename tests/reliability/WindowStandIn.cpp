#include "tests/reliability/WindowStandIn.h"

#include <functional>

#include "plugin/EntryPoints.h"
#include "imaging/ScaledBlend.h"
#include "ui/rules/CheckBoxes.h"
#include "ui/rules/ColourChoice.h"
#include "ui/rules/MaskFileRules.h"
#include "ui/rules/PositionButtons.h"
#include "ui/rules/PreviewFit.h"
#include "ui/rules/ValueFields.h"

namespace kestrimo::testing {
namespace {

using ui::ControlId;
using ui::EditEffect;
using Step = std::function<EditEffect(ChannelSettings&, const ui::MaskContext&, const std::string&)>;

constexpr Size kCanvas{96, 72};
// Stands for the window's handle: posting to it reaches no window.
int windowToken = 0;

Step Button(ControlId id, std::int32_t steps) {
  return [=](ChannelSettings& r, const ui::MaskContext& mask, const std::string&) {
    return ui::ApplyPositionButton(r, id, steps, mask);
  };
}
Step Box(ControlId id, std::int32_t checked) {
  return [=](ChannelSettings& r, const ui::MaskContext&, const std::string&) {
    return ui::CheckBoxClicked(r, id, checked);
  };
}
// A value field's store; the edge blur's is followed by a rebuild.
Step Field(ui::ValueField field, std::uint32_t value) {
  return [=](ChannelSettings& r, const ui::MaskContext&, const std::string&) {
    ui::SetFieldValue(r, field, value);
    return EditEffect{false, field == ui::ValueField::EdgeBlur, std::nullopt};
  };
}

// Every step is undone later in the cycle, and no state comes twice.
const std::vector<Step>& Cycle() {
  static const std::vector<Step> steps = {
      Button(ControlId::MoveRight, 3),
      Field(ui::ValueField::ScreenBlur, 2),
      Field(ui::ValueField::EdgeBlur, 2),
      Box(ControlId::ChkInvert, 1),
      [](ChannelSettings& r, const ui::MaskContext&, const std::string& picture) {
        return ui::MaskFileChosen(r, picture);
      },
      [](ChannelSettings& r, const ui::MaskContext&, const std::string&) {
        return ui::ColourChosen(r, WindowStandIn::KeyColour());
      },
      Button(ControlId::WidthPlus, 2),  // with a picture: the expansion
      Field(ui::ValueField::Opacity, 30),
      Box(ControlId::ChkShowMask, 1),
      Field(ui::ValueField::Opacity, 45),
      Box(ControlId::ChkShowMask, 0),
      Button(ControlId::WidthMinus, 2),
      [](ChannelSettings& r, const ui::MaskContext&, const std::string&) {
        return ui::ColourChosen(r, WindowStandIn::FirstState().ColorKey);
      },
      [](ChannelSettings& r, const ui::MaskContext&, const std::string&) {
        return ui::MaskFileDropped(r);
      },
      Box(ControlId::ChkInvert, 0),
      Field(ui::ValueField::EdgeBlur, 0),
      Field(ui::ValueField::ScreenBlur, 0),
      Button(ControlId::MoveLeft, 3),
      Field(ui::ValueField::Opacity, 60),
  };
  return steps;
}

void Carry(PluginState& state, ChannelSettings& record, const EditEffect& effect) {
  if (effect.loadMaskPicture) state.Mask.LoadPictures(record.MaskFileName, record.LogoModelFile);
  if (effect.rebuildMask)
    state.Mask.RebuildMask(record.Shape(), state.Geometry, state.FrameWidth, state.FrameHeight);
}

}  // namespace

bool SameSettings(ChannelSettings a, const ChannelSettings& b) {
  a.Id = b.Id;
  return a == b;
}

WindowStandIn::WindowStandIn(PluginState& state, std::string picturePath)
    : state_(state), picturePath_(std::move(picturePath)),
      canvas_(static_cast<std::size_t>(kCanvas.width) * kCanvas.height) {}

ChannelSettings WindowStandIn::FirstState() {
  ChannelSettings s = TableDefaults();
  s.MaskPosX = 300;
  s.MaskPosY = 220;
  s.RectMaskSizeX = 120;
  s.RectMaskSizeY = 90;
  s.ShowMask = 0;
  s.ProcEnable = 1;
  return s;
}

std::vector<ChannelSettings> WindowStandIn::States(const std::string& picturePath,
                                                   std::int32_t width, std::int32_t height,
                                                   std::int32_t frameMode) {
  PluginState state;
  VideoFormat format{width, height, 0, frameMode, 3};
  PluginSetFormat(state, &format);
  state.DefaultSettings = FirstState();
  state.LastChannelId = 1;
  state.SelectChannel(1);
  ChannelSettings& record = state.ChannelList.at(0);
  state.Mask.LoadMaskPicture(record.MaskFileName);
  Carry(state, record, EditEffect{false, true, std::nullopt});
  std::vector<ChannelSettings> states{record};
  for (const Step& step : Cycle()) {
    Carry(state, record, step(record, ui::MaskContextOf(state.Mask), picturePath));
    states.push_back(record);
  }
  if (!SameSettings(states.back(), states.front())) return {};
  states.pop_back();
  // Each state must name the next edit unambiguously.
  for (std::size_t i = 0; i < states.size(); ++i)
    for (std::size_t j = i + 1; j < states.size(); ++j)
      if (SameSettings(states[i], states[j])) return {};
  return states;
}

std::size_t WindowStandIn::Steps() const { return Cycle().size(); }

void WindowStandIn::Open() {
  LockHold hold(state_.SettingsLock);
  state_.UndoList = state_.ChannelList;
  state_.SettingsWindow.Attach(&windowToken);
}

void WindowStandIn::Cancel() {
  LockHold hold(state_.SettingsLock);
  state_.ChannelList = state_.UndoList;
  if (ChannelSettings* record = state_.CurrentRecord())
    Carry(state_, *record, EditEffect{true, true, std::nullopt});
  state_.SettingsWindow.Detach();
}

bool WindowStandIn::EditCurrent(const std::vector<ChannelSettings>& states) {
  LockHold hold(state_.SettingsLock);
  ChannelSettings* record = state_.CurrentRecord();
  if (record == nullptr) return false;
  for (std::size_t i = 0; i < states.size(); ++i) {
    if (!SameSettings(*record, states[i])) continue;
    const Step& step = Cycle()[i];
    Carry(state_, *record, step(*record, ui::MaskContextOf(state_.Mask), picturePath_));
    return true;
  }
  return false;
}

void WindowStandIn::ReadForRefresh() {
  ChannelSettings record;
  std::string name;
  {
    LockHold hold(state_.SettingsLock);
    const ChannelSettings* current = state_.CurrentRecord();
    record = current != nullptr ? *current : state_.DefaultSettings;
    name = state_.ChannelName;
  }
  // What the refresh would show, worked out after releasing the lock.
  volatile std::size_t shown = ui::MaskFileText(record.MaskFileName).size() + name.size();
  (void)shown;
}

void WindowStandIn::AskToShow() {
#if !defined(_WIN32)
  PluginShowSettings(state_, nullptr);
#endif
}

void WindowStandIn::PaintPreview() {
  LockHold hold(state_.SettingsLock);
  const DibImage& picture = state_.Mask.MaskPicture;
  if (state_.Mask.MaskLoaded == 0 || picture.pixels == nullptr) return;
  const Rect target = ui::FitPreview(picture.rect, kCanvas);
  if (target.IsEmpty()) return;
  state_.PreviewScaler.Scale(picture.View(), kScaleFormatBgraBottomUp,
                             ImageView{canvas_.data(), kCanvas, target}, kScaleFormatBgraBottomUp,
                             kScaleOpacityCopy, 0, false);
}

}  // namespace kestrimo::testing
