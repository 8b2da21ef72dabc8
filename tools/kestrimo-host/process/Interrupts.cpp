#include "tools/kestrimo-host/process/Interrupts.h"

#include <csignal>

namespace kestrimo {
namespace {

volatile std::sig_atomic_t requested = 0;

void OnInterrupt(int signal) {
  requested = 1;
  std::signal(signal, SIG_DFL);  // the next one is not caught
}

}  // namespace

void CatchInterrupts() {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
#if defined(SIGHUP)
  std::signal(SIGHUP, OnInterrupt);  // the terminal closed
#endif
}

bool InterruptRequested() { return requested != 0; }

}  // namespace kestrimo
