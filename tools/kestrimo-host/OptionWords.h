// Command-line words that name an option with a value, for the host's and
// detect's option parsers alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrimo {

struct ValueOption {
  std::string name;
  std::string value;
  std::string error;  // empty when the option was read
};

// Reads the option at args[i]: "--name=value", or the name with its value as
// the next word (i then moves onto it). takesValue tells the names that take
// a value; `what` names the kind in the message for an unknown one.
ValueOption ReadValueOption(const std::vector<std::string>& args, std::size_t& i,
                            bool (*takesValue)(std::string_view), std::string_view what);

}  // namespace kestrimo
