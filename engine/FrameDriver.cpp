#include "engine/FrameDriver.h"

#include <cstring>

#include "imaging/FrameConversion.h"
#include "imaging/FusedPasses.h"
#include "imaging/LogoFill.h"
#include "base/DoubleRounding.h"

namespace kestrimo {
namespace {

// The name stored inline in the host's record, read up to its terminator and
// never past the record's capacity.
void CopyChannelName(const ChannelInfo& channel, std::string& name) {
  const void* end = std::memchr(channel.name, 0, kChannelNameCapacity);
  const std::size_t length = end != nullptr
      ? static_cast<std::size_t>(static_cast<const char*>(end) - channel.name)
      : kChannelNameCapacity - 1;
  name.assign(channel.name, length);
}

// Switches to the settings of a channel whose frames have started to arrive
// and rebuilds its mask for the current frame size. The channel counts as
// current only once all that is done: a switch that a shortage of memory
// cuts short is made again by the channel's next frame.
void ChangeChannel(PluginState& state, const ChannelInfo& channel) {
  CopyChannelName(channel, state.ChannelName);
  state.SelectChannel(channel.id);
  if (ChannelSettings* record = state.CurrentRecord()) {
    state.Mask.LoadPictures(record->MaskFileName, record->LogoModelFile);
    state.Mask.RebuildMask(record->Shape(), state.Geometry, state.FrameWidth, state.FrameHeight);
  }
  state.LastChannelId = channel.id;
  state.SettingsWindow.PostRefresh(kRefreshAll);
}

float BlurWidth(std::int32_t frameSide, std::uint32_t screenBlur, float k) {
  return DoubleProductToFloat(frameSide, screenBlur, k);
}
constexpr float kPerReferenceColumn = 0.0013020833721384406f;  // 0x3AAAAAAB
constexpr float kPerReferenceRow = 0.0017361111240461469f;     // 0x3AE38E39

// Draws the mask over the frame so that the user can place it.
void ShowMask(PluginState& state, std::uint8_t* frame, const ChannelSettings& record) {
  const MaskRebuild& mask = state.Mask;
  WriteBackArea(frame, state.Geometry, mask.MaskOrigin, mask.FrameMask.View(), kLayoutBgrAlpha,
                record.Opacity);
}

// Follows the camera to this frame, as delivered, for a channel that takes
// its logo's pixels from where the camera showed them before; the history is
// sized on the first such frame after a mask rebuild.
bool FollowScene(PluginState& state, const std::uint8_t* frame) {
  MaskRebuild& mask = state.Mask;
  if (mask.History.Stale())
    mask.History.Rebuild(mask.FrameMask, mask.MaskOrigin, mask.VisibleRect, mask.Removal,
                         state.Geometry);
  if (!mask.History.Ready(state.Geometry)) return false;
  mask.History.Follow(frame, state.Geometry);
  return true;
}

// Lifts the area out of the frame, rebuilds the masked pixels from their
// surroundings, softens them and blends them back through the mask's alpha
// (or, for a channel whose translucent logo is subtracted, the removal alpha).
// A channel that sees through its logo takes the masked pixels from the
// history wherever that holds them.
// A channel that checks its logo's presence leaves frames that do not show
// it as delivered, and fills those its model no longer fits, or the parts
// of them it no longer fits.
void RemoveLogo(PluginState& state, std::uint8_t* frame, const ChannelSettings& record) {
  MaskRebuild& mask = state.Mask;
  ImageBuffer& work = mask.WorkBuffer;
  const std::int32_t mode = state.FrameMode;
  const bool yuv = mode == kFrameModeYuy2;
  const bool known = yuv || mode == kFrameModeBgr;
  const bool watched = record.LogoPresenceCheck != 0 && mask.Presence.Ready(state.Geometry);
  const bool seeThrough = known && record.LogoSeeThrough != 0 && FollowScene(state, frame);
  // A channel with a logo model has its blended logo taken out first; the
  // fill then shows only where the removal alpha says.
  bool subtracted = mask.Removal.Subtract(frame, state.Geometry, watched);
  ExtractAndFillRows(frame, state.Geometry, mask.MaskOrigin, work.View(), mask.Fill, mode);
  FillColumns(work.View(), mask.Fill, mode);
  if (!known) return;
  const BlurWidths widths = ScreenBlurWidths(state.FrameWidth, state.FrameHeight, record.ScreenBlur);
  state.FrameBlurFilter.ApplyBlur(work.View(mask.VisibleRect), !yuv, widths.horizontal,
                                  widths.vertical);
  if (watched) {
    if (!mask.Presence.Look(mask.Removal, frame, state.Geometry, work.View(), subtracted)) {
      mask.Removal.Restore(frame);
      return;
    }
    if (subtracted && !mask.Presence.SubtractionFits()) {
      mask.Removal.Restore(frame);  // the fill alone, as without a model
      subtracted = false;
    }
  }
  // The alpha copy and the blend back in one pass, through the mask's alpha
  // or the removal alpha (mixed toward the mask's where parts fall back).
  const ImageBuffer& alpha =
      !subtracted ? mask.FrameMask
      : watched   ? mask.Fallback.Apply(frame, mask.Removal, mask.Presence, mask.FrameMask,
                                        mask.MaskOrigin)
                  : mask.Removal.RemovalAlpha;
  if (seeThrough) mask.History.Paint(work.View(), mask.MaskOrigin);
  WriteBackThroughAlpha(frame, state.Geometry, mask.MaskOrigin, work.View(), alpha.View(), mode);
}

}  // namespace

BlurWidths ScreenBlurWidths(std::int32_t frameWidth, std::int32_t frameHeight,
                            std::uint32_t screenBlur) {
  return {BlurWidth(frameWidth, screenBlur, kPerReferenceColumn),
          BlurWidth(frameHeight, screenBlur, kPerReferenceRow)};
}

std::int32_t ProcessFrame(PluginState& state, const FrameInfo* frame) {
  if (frame == nullptr || frame->pixels == nullptr) return 0;
  LockHold hold(state.SettingsLock);
  if (state.NoSse()) return 0;  // the format call stores the level under the lock
  if (frame->channel != nullptr && frame->channel->id != state.LastChannelId)
    ChangeChannel(state, *frame->channel);
  // The logo search looks at the frame as the host delivered it.
  state.Finding.AddFrame(frame->pixels, state.LastChannelId, state.FrameWidth, state.FrameHeight,
                         state.FrameMode);
  const ChannelSettings* record = state.CurrentRecord();
  if (record == nullptr || record->ProcEnable == 0) return 1;
  if (record->ShowMask != 0 && state.SettingsWindow.Exists())
    ShowMask(state, frame->pixels, *record);
  else
    RemoveLogo(state, frame->pixels, *record);
  return 1;
}

}  // namespace kestrimo
