// Runs the benchmarks and then prints, for each pair named PREFIX/scalar and
// PREFIX/sse2, how many times faster the SIMD twin is.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      const std::string name = run.benchmark_name();
      const std::size_t slash = name.rfind('/');
      if (slash == std::string::npos) continue;
      const double perIteration = run.GetAdjustedRealTime();
      times_[name.substr(0, slash)][name.substr(slash + 1)] = perIteration;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nscalar / simd time ratios:\n");
    for (const auto& [prefix, variants] : times_) {
      const auto scalar = variants.find("scalar");
      if (scalar == variants.end()) continue;
      for (const auto& [variant, time] : variants)
        if (variant != "scalar" && time > 0)
          std::printf("  %-48s %s %6.2fx\n", prefix.c_str(), variant.c_str(),
                      scalar->second / time);
    }
  }

 private:
  std::map<std::string, std::map<std::string, double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
