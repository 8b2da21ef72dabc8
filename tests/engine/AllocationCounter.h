// Counts the program's heap allocations, and makes one fail on request: the
// test program that links this replaces the global operator new and delete,
// which the core (linked statically) uses for every block it makes.
#pragma once

#include <cstdint>

namespace kestrimo::testing {

// Allocations through any form of operator new since the program started.
std::int64_t AllocationsSoFar();

// Makes the nth operator new from now (1 = the next) fail as if memory were
// short, once; 0 disarms it and keeps the record of whether it failed.
void FailNthOperatorNew(std::int64_t n);
// True once the armed failure has happened (until the next arming).
bool OperatorNewFailed();

}  // namespace kestrimo::testing
