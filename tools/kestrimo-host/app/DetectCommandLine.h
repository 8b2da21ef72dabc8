// The command line of `kestrimo-host detect`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/kestrimo-host/detect/DetectOptions.h"

namespace kestrimo {

struct ParsedDetectOptions {
  DetectOptions options;
  std::string error;  // empty when the command line is good
  bool Ok() const { return error.empty(); }
};

// Parses the arguments after "detect".
ParsedDetectOptions ParseDetectOptions(const std::vector<std::string>& args);

// A colour as in the settings file (decimal 0x00BBGGRR) or as "0x" hex of
// that number, or "#RRGGBB"; at most 24 bits.
std::optional<std::uint32_t> ParseKeyColour(const std::string& text);

std::string DetectUsageText();

}  // namespace kestrimo
