#include "tools/kestrimo-host/process/Console.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace kestrimo {

#if defined(_WIN32)

void SetBinaryMode(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void IgnoreBrokenPipe() {}

#else

void SetBinaryMode(std::FILE*) {}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

void IgnoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }

#endif

}  // namespace kestrimo
