// Whether a file is a settings file: text in INI shape that the plug-in can
// read, as opposed to a picture, a video or other bytes given by mistake.
// The tool only ever writes over a file that passes.
#pragma once

#include <string>
#include <string_view>

namespace kestrimo {

// What is wrong with `bytes` as a settings file, e.g. "a PNG picture",
// "UTF-16 text" or "line 3 is not [SECTION], KEY=VALUE or a ;comment";
// empty when it is one. Empty content is a settings file without settings.
// Accepted: 8-bit text (an optional UTF-8 mark first), lines ending in LF or
// CR LF, each blank, a [SECTION] header, a KEY=VALUE line or a comment (; #).
std::string SettingsFileProblem(std::string_view bytes);

// The same for the file at `path`; a missing file is a settings file still
// to be made (no problem), one that cannot be read has the reason.
std::string SettingsFileProblemAt(const std::string& path);

// For a file the tool is about to write over: SettingsFileProblemAt. An error text naming the file and saying it is left
// unchanged, or empty.
std::string CheckSettingsFileToWrite(const std::string& path, const std::string& why);

}  // namespace kestrimo
