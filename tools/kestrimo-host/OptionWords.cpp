#include "tools/kestrimo-host/OptionWords.h"

namespace kestrimo {

ValueOption ReadValueOption(const std::vector<std::string>& args, std::size_t& i,
                            bool (*takesValue)(std::string_view), std::string_view what) {
  const std::string& arg = args[i];
  ValueOption option{arg, {}, {}};
  bool valueGiven = false;
  if (const auto equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
    option.name = arg.substr(0, equals);
    option.value = arg.substr(equals + 1);
    valueGiven = true;
  }
  if (!takesValue(option.name)) {
    option.error = arg.starts_with("-") && arg != "-"
                       ? "unknown " + std::string(what) + " '" + arg + "'"
                       : "unexpected argument '" + arg + "'";
  } else if (!valueGiven) {
    if (i + 1 >= args.size())
      option.error = "option " + option.name + " needs a value";
    else
      option.value = args[++i];
  }
  return option;
}

}  // namespace kestrimo
