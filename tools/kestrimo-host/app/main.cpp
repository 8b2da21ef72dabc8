// kestrimo-host: passes video through the plug-in library, as its TV host would.
#include <string>
#include <vector>

#include "tools/kestrimo-host/app/HostRun.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return kestrimo::HostMain(args);
}
