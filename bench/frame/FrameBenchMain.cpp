// Whole-frame cost of the plug-in, driven through its exports like the TV host
// does, side by side with peer logo removers on the same frames and logo
// areas, and the quality each reaches.
//
//   kestrimo_frame_bench [--plugin LIB] [--out DIR] [--pictures DIR] [--quick]
//                        [--live] [--profile SECONDS[:CASE:EDGEBLUR:SCREENBLUR]]
//
// Writes DIR/speed.csv, DIR/quality.csv and DIR/summary.md (default
// out/performance). --live runs only the comparison of one frame over and
// over with a rotation of distinct frames. --profile only runs ours for that long, for a profiler to
// attach to: on fixed case CASE (0: 720x576 YUY2, 1: 720x576 BGR24,
// 2: 1920x1080 YUY2; default 0) with the given blurs (default 0).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "bench/frame/Suites.h"
#include "tools/kestrimo-host/hosting/PluginLocation.h"

namespace kestrimo::bench {
namespace {

struct Options {
  std::string plugin;
  std::string out = "out/performance";
  std::string pictures = "/usr/lib/python3/dist-packages/skimage/data";
  bool quick = false;
  bool liveOnly = false;
  double profileSeconds = 0;
  int profileCase = 0;
  int profileEdgeBlur = 0;
  int profileScreenBlur = 0;
};

bool ParseProfile(const char* text, Options& options) {
  char extra = 0;
  const int got = std::sscanf(text, "%lf:%d:%d:%d%c", &options.profileSeconds, &options.profileCase,
                              &options.profileEdgeBlur, &options.profileScreenBlur, &extra);
  return (got == 1 || got == 4) && options.profileSeconds > 0 && options.profileCase >= 0 &&
         options.profileCase <= 2;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--plugin" && hasValue) options.plugin = argv[++i];
    else if (arg == "--out" && hasValue) options.out = argv[++i];
    else if (arg == "--pictures" && hasValue) options.pictures = argv[++i];
    else if (arg == "--profile" && hasValue && ParseProfile(argv[i + 1], options)) ++i;
    else if (arg == "--quick") options.quick = true;
    else if (arg == "--live") options.liveOnly = true;
    else {
      std::fprintf(stderr,
                   "usage: kestrimo_frame_bench [--plugin LIB] [--out DIR] [--pictures DIR] "
                   "[--quick] [--live] [--profile SECONDS[:CASE:EDGEBLUR:SCREENBLUR]]\n");
      return false;
    }
  }
  options.plugin = PluginPathOr(options.plugin);
  return true;
}

int Profile(BenchRun& run, const Options& options) {
  const FrameCase& c = run.plan.FrameCases().at(options.profileCase);
  PackedFrame frame = TimingFrame(run, c);
  const std::int64_t channel = run.plan.Channel(c, options.profileEdgeBlur, options.profileScreenBlur);
  if (channel == 0) {
    std::fprintf(stderr, "kestrimo_frame_bench: no such blur setting\n");
    return 2;
  }
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(options.profileSeconds);
  long frames = 0;
  while (std::chrono::steady_clock::now() < end) {
    for (int i = 0; i < 100; ++i) run.plugin.Process(frame, channel);
    frames += 100;
  }
  std::printf("%ld frames of %s, EdgeBlur %d, ScreenBlur %d\n", frames, c.label.c_str(),
              options.profileEdgeBlur, options.profileScreenBlur);
  return 0;
}

// The first line of a /proc file, or "?"; the machine's state during the run.
std::string FirstLine(const char* path, const char* prefix = "") {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(prefix, 0) == 0) return line;
  return "?";
}

// The 1, 5 and 15 minute load averages of a /proc/loadavg line.
std::string LoadAverages(const std::string& line) {
  std::istringstream in(line);
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + ", " + five + ", " + fifteen;
}

std::string Conditions(const std::string& loadBefore) {
  std::string cpu = FirstLine("/proc/cpuinfo", "model name");
  cpu = cpu.substr(cpu.find(':') == std::string::npos ? 0 : cpu.find(':') + 2);
  return "Machine: " + cpu + ", " +
         std::to_string(std::thread::hardware_concurrency()) +
         " cores. Load average (1, 5, 15 min) at the start: " + LoadAverages(loadBefore) +
         "; at the end: " + LoadAverages(FirstLine("/proc/loadavg")) + ".\n\n";
}

int Main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  std::error_code error;
  std::filesystem::create_directories(options.out, error);
  BenchRun run;
  run.outFolder = std::filesystem::absolute(options.out).string();
  run.picturesFolder = options.pictures;
  if (options.quick) run.limits = SamplerLimits{.rounds = 3, .samplesPerRound = 5, .budgetSeconds = 0.5, .minSamples = 3};
  run.plan.RegisterChannels(run.plugin);
  if (!run.plugin.Start(options.plugin, run.outFolder)) {
    std::fprintf(stderr, "kestrimo_frame_bench: %s\n", run.plugin.Error().c_str());
    return 1;
  }
  if (options.profileSeconds > 0) return Profile(run, options);
  const std::string loadBefore = FirstLine("/proc/loadavg");
  if (!RunLiveSuite(run)) return 1;
  if (!options.liveOnly &&
      (!RunFrameSuite(run) || !RunSweepSuite(run) || !RunQualitySuite(run)))
    return 1;
  const std::string markdown = Conditions(loadBefore) + run.report.Markdown();
  std::ofstream summary(run.outFolder + "/summary.md", std::ios::trunc);
  summary << markdown;
  if (!summary || !run.report.WriteCsv(run.outFolder)) {
    std::fprintf(stderr, "kestrimo_frame_bench: cannot write the results to %s\n", run.outFolder.c_str());
    return 1;
  }
  std::printf("%s", markdown.c_str());
  return 0;
}

}  // namespace
}  // namespace kestrimo::bench

int main(int argc, char** argv) { return kestrimo::bench::Main(argc, argv); }
