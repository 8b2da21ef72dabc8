#include "tests/reliability/ReliabilityOptions.h"

#include <cstdlib>
#include <cstring>

namespace kestrimo::testing {
namespace {

bool ReadSeconds(const char* text, double& out) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(value > 0) || value > 86400) return false;
  out = value;
  return true;
}

bool ReadCount(const char* text, std::int64_t& out) {
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || value <= 0) return false;
  out = value;
  return true;
}

const char* After(const char* argument, const char* prefix) {
  const std::size_t length = std::strlen(prefix);
  return std::strncmp(argument, prefix, length) == 0 ? argument + length : nullptr;
}

}  // namespace

ReliabilityOptions& Options() {
  static ReliabilityOptions options;
  return options;
}

bool ReadOptions(int argc, char** argv) {
  ReliabilityOptions& options = Options();
  bool ok = true;
  if (const char* text = std::getenv("KESTRIMO_STRESS_SECONDS"))
    ok = ReadSeconds(text, options.stressSeconds) && ok;
  if (const char* text = std::getenv("KESTRIMO_SOAK_FRAMES"))
    ok = ReadCount(text, options.soakFrames) && ok;
  for (int i = 1; i < argc; ++i) {
    if (const char* text = After(argv[i], "--stress-seconds="))
      ok = ReadSeconds(text, options.stressSeconds) && ok;
    else if (const char* text = After(argv[i], "--soak-frames="))
      ok = ReadCount(text, options.soakFrames) && ok;
    else if (const char* text = After(argv[i], "--library="))
      options.library = text;
  }
  return ok;
}

}  // namespace kestrimo::testing
