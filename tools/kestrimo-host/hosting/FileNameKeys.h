// The keys of a settings file that name the user's other files: the mask
// picture and the logo model. The plug-in's save leaves one out when the file
// it names could not be loaded (a picture moved away for a while, a drive not
// mounted); the user's file keeps it all the same.
#pragma once

#include <string>
#include <string_view>

namespace kestrimo {

// `rewritten` with every MaskFileName and LogoModelFile that `user` gives a
// value in some section put back where `rewritten` lacks it or left it
// empty: after the section's header line (the section is added at the end
// when it is missing). Keys and section names compare as the plug-in reads
// them, case included; lines end as they do in `rewritten`.
std::string KeepFileNameKeys(std::string_view user, std::string_view rewritten);

}  // namespace kestrimo
