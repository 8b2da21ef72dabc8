// The host's instance switch: "-inst:" or "/inst:" followed by one character.
#pragma once

#include <string>
#include <string_view>

namespace kestrimo {

// The instance named on the command line, lowered; empty for none. The whole
// line is lowered first, so "-INST:B" gives "b". Only one character is taken.
// "/inst:" wins over "-inst:" wherever the two stand; a switch at the very end
// of the line names no instance.
std::string ParseInstanceId(std::string_view commandLine);

}  // namespace kestrimo
