#include "tools/kestrimo-host/Console.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#else
#include <csignal>
#include <unistd.h>

#include <climits>
#endif

namespace kestrimo {

#if defined(_WIN32)

void SetBinaryMode(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void IgnoreBrokenPipe() {}

std::string ExecutableFolder() {
  // The runtime records the executable's full path at start-up.
  const char* path = _pgmptr;
  if (path == nullptr) return {};
  const std::string full(path);
  const auto slash = full.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

const char* PluginLibraryName() { return "KRD_Kestrimo.dll"; }

#else

void SetBinaryMode(std::FILE*) {}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

void IgnoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }

std::string ExecutableFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  const std::string full(path, static_cast<std::size_t>(length));
  const auto slash = full.rfind('/');
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

const char* PluginLibraryName() { return "libKRD_Kestrimo.so"; }

#endif

}  // namespace kestrimo
