// The mask file row of the settings window: the path shown, the file
// chooser's set-up, choosing a picture and dropping it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/ChannelSettings.h"
#include "ui/rules/EditEffect.h"

namespace kestrimo::ui {

// The text of the path field: the record's file name, or the spaced-out
// placeholder when there is none. Code page 1251.
std::string MaskFileText(const std::string& maskFileName);

// The file chooser: filter "description\0pattern\0\0" (code page 1251, a
// double zero ends it), default extension, and the exact flags
// OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT.
const char* MaskFileFilter();
constexpr const char* kMaskFileDefaultExtension = "bmp";
constexpr std::uint32_t kMaskFileChooserFlags = 0x4 | 0x2;

// A file was chosen: the record takes the path and loses its expansion and
// its logo model (estimated for the found picture, it does not fit a picture
// chosen by hand, nor the same file chosen again after an edit), and the
// rebuild from earlier frames (a picture chosen by hand makes a channel set
// up by hand); the picture is loaded, the mask rebuilt and the whole window
// refreshed.
EditEffect MaskFileChosen(ChannelSettings& record, std::string_view path);

// The picture is dropped, and the logo model with it: both names are
// emptied and the rebuild from earlier frames is switched off, the expansion
// stays (it has no effect without a picture); load (which clears the
// picture), rebuild and refresh everything.
EditEffect MaskFileDropped(ChannelSettings& record);

}  // namespace kestrimo::ui
