// The settings round trip runs one scenario per process (the plug-in reads
// its file once per load); main sets which from --scenario=NAME.
#pragma once

#include <string>

namespace kestrimo::testing {

extern std::string roundTripScenario;  // program, fresh, instance or user

}  // namespace kestrimo::testing
