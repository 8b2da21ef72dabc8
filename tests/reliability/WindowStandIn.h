// What the settings window does to the plug-in's state, without a window: the
// undo snapshot when it opens, one edit after another (field stores, position
// and size buttons, check boxes, picture choice and drop, colour choice), the
// refresh's and the preview's reads, and the restore on cancel. Each step is
// one holding of the settings lock, as in the window.
//
// The edits form a closed cycle: run from FirstState(), they come back to it,
// so a record that only these edits change is always one of States(). The
// edit applied to a record is the one that follows its state, whichever
// channel is current.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/ChannelSettings.h"
#include "engine/PluginState.h"

namespace kestrimo::testing {

class WindowStandIn {
 public:
  // picturePath: a mask picture whose colours include KeyColour().
  WindowStandIn(PluginState& state, std::string picturePath);

  static ChannelSettings FirstState();
  static constexpr std::uint32_t KeyColour() { return 0x0000FF00; }  // green

  // The states of the cycle, FirstState() first, computed by running the
  // edits once on a fresh state with the given frame format. Empty when the
  // edits do not come back to the first state or visit a state twice.
  static std::vector<ChannelSettings> States(const std::string& picturePath, std::int32_t width,
                                             std::int32_t height, std::int32_t frameMode);

  void Open();    // undo snapshot; the window joins the link
  void Cancel();  // restore every record, reload and rebuild; the window leaves
  // Applies the edit that follows the current record's state; false when the
  // record is in none of the cycle's states (or there is no record).
  bool EditCurrent(const std::vector<ChannelSettings>& states);
  void ReadForRefresh();
  // The host's request to show the settings, made where it opens no window
  // (the native build): it reads what the format call stores.
  void AskToShow();
  void PaintPreview();

  std::size_t Steps() const;

 private:
  PluginState& state_;
  std::string picturePath_;
  std::vector<std::uint32_t> canvas_;
};

// Equality of two records apart from their channel ids.
bool SameSettings(ChannelSettings a, const ChannelSettings& b);

}  // namespace kestrimo::testing
