#include "tools/kestrimo-host/app/DetectCommand.h"

#include <cstdio>
#include <exception>
#include <new>

#include "tools/kestrimo-host/app/DetectCommandLine.h"
#include "tools/kestrimo-host/detect/DetectRun.h"
#include "tools/kestrimo-host/hosting/PluginLocation.h"
#include "tools/kestrimo-host/hosting/SettingsFileCheck.h"
#include "tools/kestrimo-host/hosting/SettingsSwap.h"
#include "tools/kestrimo-host/process/ExitCodes.h"

namespace kestrimo {
namespace {

int Report(int code, const std::string& message) {
  std::fprintf(stderr, "kestrimo-host detect: %s\n", message.c_str());
  return code;
}

// The settings file --write changes: --settings, else the plug-in's own.
std::string SettingsFileOf(const DetectOptions& options) {
  if (!options.writeChannel) return {};
  if (!options.settingsPath.empty()) return options.settingsPath;
  return PluginSettingsPath(PluginPathOr(options.pluginPath));
}

}  // namespace

int DetectMain(const std::vector<std::string>& args) {
  const ParsedDetectOptions parsed = ParseDetectOptions(args);
  if (!parsed.Ok()) {
    Report(kExitUsageError, parsed.error);
    std::fputs("try 'kestrimo-host detect --help'\n", stderr);
    return kExitUsageError;
  }
  if (parsed.options.help) {
    std::fputs(DetectUsageText().c_str(), stdout);
    return kExitDone;
  }
  const std::string settingsFile = SettingsFileOf(parsed.options);
  if (!settingsFile.empty()) {
    const std::string refusal = CheckSettingsFileToWrite(settingsFile, "--write");
    if (!refusal.empty()) return Report(kExitDetectError, refusal);
  }
  try {
    return RunDetect(parsed.options, settingsFile);
  } catch (const std::bad_alloc&) {
    return Report(kExitDetectError, "out of memory");
  } catch (const std::exception& e) {
    return Report(kExitDetectError, e.what());
  }
}

}  // namespace kestrimo
