// Runs an operation once per fault it can meet: with the first fault-prone
// call failing, then the second, and so on, until a run completes without
// reaching the armed fault.
#pragma once

#include <functional>

namespace kestrimo::testing {

struct FaultHook {
  std::function<void(int)> arm;    // n > 0: the nth call from now fails; 0: off
  std::function<bool()> happened;  // whether the armed failure was reached
};

// prepare() makes what the operation works on, with the hook off;
// run(prepared) performs the operation under the armed hook;
// check(result, faulted) judges it with the hook off again. Returns the
// number of faults injected (runs that reached the armed fault); stops after
// `limit` runs.
template <typename Prepare, typename Run, typename Check>
int SweepFaults(const FaultHook& hook, Prepare prepare, Run run, Check check,
                int limit = 10000) {
  int injected = 0;
  for (int n = 1; n <= limit; ++n) {
    auto prepared = prepare();
    hook.arm(n);
    auto result = run(prepared);
    const bool faulted = hook.happened();
    hook.arm(0);
    check(result, faulted);
    if (!faulted) break;
    ++injected;
  }
  return injected;
}

}  // namespace kestrimo::testing
