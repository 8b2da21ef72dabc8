// Counts the program's heap allocations: the test program that links this
// replaces the global operator new and delete, which the core (linked
// statically) uses for every block it makes.
#pragma once

#include <cstdint>

namespace kestrimo::testing {

// Allocations through any form of operator new since the program started.
std::int64_t AllocationsSoFar();

}  // namespace kestrimo::testing
