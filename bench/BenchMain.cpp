// Runs the benchmarks and then prints, for each PREFIX/scalar and its SIMD
// twins PREFIX/sse2 and PREFIX/avx2, how many times faster each twin is than
// the scalar reference, and the AVX2 twin than the SSE2 one.
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
    PrintRatios("scalar", {"sse2", "avx2"});
    std::printf("\nsse2 / avx2 time ratios:\n");
    PrintRatios("sse2", {"avx2"});
  }

 private:
  // For each prefix with a `base` variant: base time / variant time.
  void PrintRatios(const std::string& base, const std::vector<std::string>& variants) const {
    for (const auto& [prefix, times] : times_) {
      const auto reference = times.find(base);
      if (reference == times.end()) continue;
      for (const std::string& variant : variants) {
        const auto other = times.find(variant);
        if (other != times.end() && other->second > 0)
          std::printf("  %-48s %s %6.2fx\n", prefix.c_str(), variant.c_str(),
                      reference->second / other->second);
      }
    }
  }

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
