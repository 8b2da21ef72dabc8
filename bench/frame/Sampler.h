// Steady-state timing on a shared machine: warm up, then time many short
// batches of calls in the thread's CPU time and keep the median batch time
// per call. Nothing is pinned; CPU time leaves out the time other processes
// hold the core, and the median of many batches absorbs what they still cost
// (caches, the other core's memory traffic). Calls compared with
// each other are timed in interleaved rounds, so that a burst of load from
// elsewhere falls on all of them alike.
#pragma once

#include <functional>
#include <vector>

namespace kestrimo::bench {

struct Timing {
  double medianNs = 0;  // per call
  double minNs = 0;     // per call, fastest batch
  int samples = 0;
  int callsPerSample = 0;
};

struct SamplerLimits {
  int rounds = 7;               // interleaved rounds
  int samplesPerRound = 9;      // batches per call and round
  double batchSeconds = 1e-3;   // each batch lasts at least this long
  double budgetSeconds = 4.0;   // per call: fewer samples for slow calls...
  int minSamples = 5;           // ...but at least this many
};

using Call = std::function<void()>;

// A call to time, and what to do untimed before each of its rounds (e.g.
// switch the plug-in to the call's channel, so the timed frames are steady).
struct TimedCall {
  Call call;
  Call beforeRound;
  Call beforeCall = {};  // untimed, before each call; only calls timed alone use it
};

// Calls timed one by one, each after its untimed `beforeCall` (which puts
// the caches in the state to measure, e.g. the next frame out of them), in
// wall time (a thread CPU clock costs a system call, as much as the shortest
// calls), median per call. Interleaved rounds as above, `samplesPerRound`
// calls each.
std::vector<Timing> MeasureCallByCall(const std::vector<TimedCall>& calls,
                                      const SamplerLimits& limits = {});

// One call alone: all its samples in one go.
Timing Measure(const Call& call, const SamplerLimits& limits = {});
std::vector<Timing> MeasureInterleaved(const std::vector<TimedCall>& calls,
                                       const SamplerLimits& limits = {});

}  // namespace kestrimo::bench
