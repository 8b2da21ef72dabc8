#include "bench/frame/Sampler.h"

#include <time.h>

#include <algorithm>
#include <chrono>

namespace kestrimo::bench {
namespace {

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// CPU time of this thread, not wall time: a call that outlasts a scheduler
// slice is not charged for the slices other processes take meanwhile.
double SecondsFor(const Call& call, int calls) {
  const double start = ThreadSeconds();
  for (int i = 0; i < calls; ++i) call();
  return ThreadSeconds() - start;
}

struct Plan {
  int callsPerBatch = 1;
  int samplesPerRound = 1;
  std::vector<double> perCallNs;
};

// Warms the call up and sizes its batches and sample count.
Plan Calibrate(const Call& call, const SamplerLimits& limits) {
  Plan plan;
  const double once = SecondsFor(call, 1);
  if (once < limits.batchSeconds) {
    while (plan.callsPerBatch < (1 << 20) &&
           SecondsFor(call, plan.callsPerBatch) < limits.batchSeconds)
      plan.callsPerBatch *= 2;
  }
  const double batch = std::max(once * plan.callsPerBatch, 1e-9);
  const int wanted = limits.rounds * limits.samplesPerRound;
  const int affordable = static_cast<int>(limits.budgetSeconds / batch);
  const int samples = std::max(limits.minSamples, std::min(wanted, affordable));
  plan.samplesPerRound = std::max(1, (samples + limits.rounds - 1) / limits.rounds);
  return plan;
}

Timing Summarise(Plan& plan) {
  std::vector<double>& v = plan.perCallNs;
  std::sort(v.begin(), v.end());
  return Timing{v[v.size() / 2], v.front(), static_cast<int>(v.size()), plan.callsPerBatch};
}

}  // namespace

std::vector<Timing> MeasureInterleaved(const std::vector<TimedCall>& calls,
                                       const SamplerLimits& limits) {
  std::vector<Plan> plans;
  for (const TimedCall& c : calls) {
    if (c.beforeRound) c.beforeRound();
    plans.push_back(Calibrate(c.call, limits));
  }
  for (int round = 0; round < limits.rounds; ++round) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
      Plan& plan = plans[i];
      if (calls[i].beforeRound) calls[i].beforeRound();
      for (int s = 0; s < plan.samplesPerRound; ++s) {
        const double seconds = SecondsFor(calls[i].call, plan.callsPerBatch);
        plan.perCallNs.push_back(seconds * 1e9 / plan.callsPerBatch);
      }
    }
  }
  std::vector<Timing> timings;
  for (Plan& plan : plans) timings.push_back(Summarise(plan));
  return timings;
}

std::vector<Timing> MeasureCallByCall(const std::vector<TimedCall>& calls,
                                      const SamplerLimits& limits) {
  using Clock = std::chrono::steady_clock;
  std::vector<Plan> plans(calls.size());
  for (const TimedCall& c : calls) {  // warm-up: the first call of each is not counted
    if (c.beforeRound) c.beforeRound();
    c.call();
  }
  for (int round = 0; round < limits.rounds; ++round) {
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].beforeRound) calls[i].beforeRound();
      for (int s = 0; s < limits.samplesPerRound; ++s) {
        if (calls[i].beforeCall) calls[i].beforeCall();
        const Clock::time_point start = Clock::now();
        calls[i].call();
        const Clock::time_point end = Clock::now();
        plans[i].perCallNs.push_back(std::chrono::duration<double, std::nano>(end - start).count());
      }
    }
  }
  std::vector<Timing> timings;
  for (Plan& plan : plans) timings.push_back(Summarise(plan));
  return timings;
}

Timing Measure(const Call& call, const SamplerLimits& limits) {
  SamplerLimits alone = limits;
  alone.samplesPerRound = limits.rounds * limits.samplesPerRound;
  alone.rounds = 1;
  return MeasureInterleaved({TimedCall{call, {}}}, alone).front();
}

}  // namespace kestrimo::bench
