// Ctrl-C, termination requests and a closed terminal (SIGHUP). The first
// one asks the run to stop after the current frame, so that the plug-in is
// shut down and a --settings file put back as usual; a second one ends the
// process at once.
#pragma once

namespace kestrimo {

void CatchInterrupts();
bool InterruptRequested();

}  // namespace kestrimo
