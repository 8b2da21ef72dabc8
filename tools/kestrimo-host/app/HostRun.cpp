#include "tools/kestrimo-host/app/HostRun.h"

#include <cinttypes>
#include <cstdio>
#include <exception>
#include <new>
#include <vector>

#include "tools/kestrimo-host/app/DetectCommand.h"
#include "tools/kestrimo-host/hosting/ChannelSchedule.h"
#include "tools/kestrimo-host/hosting/PluginHost.h"
#include "tools/kestrimo-host/hosting/PluginLocation.h"
#include "tools/kestrimo-host/hosting/SettingsSwap.h"
#include "tools/kestrimo-host/pictures/Snapshots.h"
#include "tools/kestrimo-host/process/Console.h"
#include "tools/kestrimo-host/process/Interrupts.h"
#include "tools/kestrimo-host/stream/StreamFiles.h"
#include "tools/kestrimo-host/stream/VideoReader.h"
#include "tools/kestrimo-host/stream/VideoWriter.h"

namespace kestrimo {
namespace {

int Report(int code, const std::string& message) {
  std::fprintf(stderr, "kestrimo-host: %s\n", message.c_str());
  return code;
}

std::string FrameText(std::int64_t frame) { return "frame " + std::to_string(frame); }

// Why reading stopped before the end, or empty at a clean end.
std::string StopReason(VideoReader::Status status, std::int64_t frame, const InputFile& input) {
  switch (status) {
    case VideoReader::Status::Truncated:
      return "input ends inside " + FrameText(frame) + "; the " + std::to_string(frame) +
             " whole frames before it were written";
    case VideoReader::Status::BadFrameLine:
      return "bad Y4M frame line before " + FrameText(frame);
    case VideoReader::Status::Failed:
      return input.Error().empty() ? "cannot read " + input.Name() : input.Error();
    default:
      return {};
  }
}

class Progress {
 public:
  Progress() : shown_(IsTerminal(stderr)) {}
  ~Progress() {
    if (shown_ && any_) std::fputc('\n', stderr);
  }
  void Frame(std::int64_t done) {
    if (!shown_) return;
    any_ = true;
    std::fprintf(stderr, "\rframe %" PRId64, done);
  }

 private:
  bool shown_;
  bool any_ = false;
};

// What the frame loop works with.
struct Pipeline {
  PluginHost& plugin;
  VideoReader& reader;
  VideoWriter& writer;
  const ChannelSchedule& schedule;
  Snapshots& snapshots;
  const InputFile& input;
  const OutputFile& output;
};

// Streams every frame through the plug-in; returns an error text or empty.
// `frames` counts the frames read whole.
std::string Stream(Pipeline& run, std::int64_t& frames) {
  std::vector<std::uint8_t> frame(run.reader.FrameBytes());  // the one frame buffer
  Progress progress;
  for (std::int64_t index = 0;; ++index) {
    frames = index;
    if (InterruptRequested()) return "interrupted; " + std::to_string(index) + " frames were written";
    const VideoReader::Status status = run.reader.ReadFrame(frame.data());
    if (status != VideoReader::Status::Frame) return StopReason(status, index, run.input);
    const bool snapshot = run.snapshots.Wants(index);
    if (snapshot) run.snapshots.KeepBefore(frame.data());
    const Channel& channel = run.schedule.ChannelOf(index);
    run.plugin.ProcessFrame(frame.data(), channel.id, channel.name);
    if (snapshot) {
      if (std::string error = run.snapshots.WriteAfter(frame.data()); !error.empty()) return error;
    }
    if (!run.writer.WriteFrame(frame.data(), run.reader.FrameLine())) return run.output.Error();
    progress.Frame(index + 1);
  }
}

}  // namespace

int RunHost(const HostOptions& options) {
  IgnoreBrokenPipe();
  CatchInterrupts();
  const std::string pluginPath = PluginPathOr(options.pluginPath);
  SettingsSwap settings;  // made before the plug-in, so put back after the plug-in's Done
  PluginHost plugin;
  if (!plugin.Load(pluginPath)) return Report(kExitRuntimeError, plugin.Error());
  if (!options.settingsPath.empty() &&
      !settings.Install(options.settingsPath, PluginSettingsPath(pluginPath), options.saveSettings)) {
    return Report(kExitRuntimeError, settings.Error());
  }

  InputFile input;
  if (!input.Open(options.input)) return Report(kExitRuntimeError, input.Error());
  VideoReader reader(input);
  if (!reader.Start(options.format, options.size)) {
    return Report(reader.IsUsageError() ? kExitUsageError : kExitRuntimeError, reader.Error());
  }
  OutputFile output;
  if (!output.Open(options.output)) return Report(kExitRuntimeError, output.Error());
  VideoWriter writer(output);
  if (!writer.Start(reader.Layout())) return Report(kExitRuntimeError, output.Error());
  const StreamLayout& layout = reader.Layout();
  Snapshots snapshots(options.snapshots);
  snapshots.Start(layout.format, layout.size);

  const ChannelSchedule schedule({options.channelId, options.channelName}, options.switches);
  plugin.Init();
  plugin.SetFormat(layout.size.width, layout.size.height, FrameModeOf(layout.format),
                   options.cpuLevel);
  Pipeline run{plugin, reader, writer, schedule, snapshots, input, output};
  std::int64_t frames = 0;
  std::vector<std::string> errors = {Stream(run, frames)};
  plugin.Done();
  if (!settings.Restore()) errors.push_back(settings.Error());
  if (!output.Close()) errors.push_back(output.Error());
  if (errors.front().empty()) errors.push_back(snapshots.Unreached(frames));
  int code = kExitDone;
  for (const std::string& error : errors) {
    if (!error.empty()) code = Report(kExitRuntimeError, error);
  }
  return code;
}

int HostMain(const std::vector<std::string>& args) {
  if (!args.empty() && args.front() == "detect") {
    return DetectMain(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  const ParsedOptions parsed = ParseOptions(args);
  if (!parsed.Ok()) {
    Report(kExitUsageError, parsed.error);
    std::fputs("try 'kestrimo-host --help'\n", stderr);
    return kExitUsageError;
  }
  if (parsed.options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return kExitDone;
  }
  try {
    return RunHost(parsed.options);
  } catch (const std::bad_alloc&) {
    return Report(kExitRuntimeError, "out of memory");
  } catch (const std::exception& e) {
    return Report(kExitRuntimeError, e.what());
  }
}

}  // namespace kestrimo
