#include "settings/InstanceSwitch.h"

namespace kestrimo {
namespace {

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lowered;
}

// Replaces id with the character after the switch's first occurrence.
void TakeSwitch(const std::string& line, std::string_view name, std::string& id) {
  const std::size_t at = line.find(name);
  if (at == std::string::npos) return;
  const std::size_t after = at + name.size();
  id = after < line.size() ? line.substr(after, 1) : std::string();
}

}  // namespace

std::string ParseInstanceId(std::string_view commandLine) {
  const std::string line = Lowered(commandLine);
  std::string id;
  TakeSwitch(line, "-inst:", id);
  TakeSwitch(line, "/inst:", id);
  return id;
}

}  // namespace kestrimo
