#include "tools/kestrimo-host/app/HostRun.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <vector>

#include "tools/kestrimo-host/app/DetectCommand.h"
#include "tools/kestrimo-host/app/VersionText.h"
#include "tools/kestrimo-host/hosting/ChannelSchedule.h"
#include "tools/kestrimo-host/hosting/PluginHost.h"
#include "tools/kestrimo-host/hosting/PluginLocation.h"
#include "tools/kestrimo-host/hosting/RemovalSwitch.h"
#include "tools/kestrimo-host/hosting/SettingsSwap.h"
#include "tools/kestrimo-host/hosting/SettingsWarnings.h"
#include "tools/kestrimo-host/pictures/Snapshots.h"
#include "tools/kestrimo-host/process/Console.h"
#include "tools/kestrimo-host/process/Interrupts.h"
#include "tools/kestrimo-host/process/RunProgress.h"
#include "platform/FileIdentity.h"
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

// What the frame loop works with.
struct Pipeline {
  PluginHost& plugin;
  VideoReader& reader;
  VideoWriter& writer;
  const ChannelSchedule& schedule;
  Snapshots& snapshots;
  const InputFile& input;
  const OutputFile& output;
  RunProgress& progress;
};

// Streams every frame through the plug-in; returns an error text or empty.
// `frames` counts the frames read whole.
std::string Stream(Pipeline& run, std::int64_t& frames) {
  std::vector<std::uint8_t> frame(run.reader.FrameBytes());  // the one frame buffer
  for (std::int64_t index = 0;; ++index) {
    frames = index;
    if (InterruptRequested()) return "interrupted; " + std::to_string(index) + " frames were written";
    const VideoReader::Status status = run.reader.ReadFrame(frame.data());
    if (status != VideoReader::Status::Frame) return StopReason(status, index, run.input);
    const bool snapshot = run.snapshots.Wants(index);
    if (snapshot) run.snapshots.KeepBefore(frame.data());
    const Channel& channel = run.schedule.ChannelOf(index);
    run.plugin.ProcessFrame(frame.data(), channel.id, channel.name);
    if (snapshot) run.snapshots.WriteAfter(frame.data());  // a failure is told at the end
    if (!run.writer.WriteFrame(frame.data(), run.reader.FrameLine())) return run.output.Error();
    run.progress.Frame(index + 1);
  }
}

constexpr const char* kTerminalRefusal =
    "will not write video to a terminal: give -o FILE, or pipe the output into a command "
    "(e.g. | ffmpeg -f yuv4mpegpipe -i - -pix_fmt yuv420p out.mp4)";

// The settings the plug-in reads for the run: a copy of the user's file, or
// of its own file, put back afterwards either way.
bool PlaceSettings(const HostOptions& options, const std::string& pluginFile, SettingsSwap& swap) {
  if (options.settingsPath.empty()) return swap.Keep(pluginFile);
  return swap.Install(options.settingsPath, pluginFile, options.saveSettings);
}

// Whether -o names the input file, under whatever name: writing would
// destroy the input before it is read.
bool OutputIsInput(const InputFile& input, const std::string& output) {
  const std::optional<FileIdentity> in = input.Identity();
  if (!in) return false;
  const std::optional<FileIdentity> out = output == "-" ? IdentityOfStream(stdout) : IdentityOfPath(output);
  return out && *out == *in;
}

std::string SameFileRefusal(const HostOptions& options) {
  const std::string in = options.input == "-" ? "standard input" : options.input;
  const std::string out = options.output == "-" ? "standard output" : options.output;
  return "refusing to write over the input: the output " + out + " is the same file as " + in +
         " (under another name or through a link); give another output file";
}

// Every channel the frames will belong to.
std::vector<ChannelId> RunChannels(const HostOptions& options) {
  std::vector<ChannelId> ids = {options.channelId};
  for (const ChannelSwitch& change : options.switches) ids.push_back(change.id);
  return ids;
}

// The frames a regular input file holds; absent for a pipe.
std::optional<std::int64_t> FramesToCome(const InputFile& input, const VideoReader& reader) {
  const std::optional<std::int64_t> bytes = input.RegularFileSize();
  if (!bytes) return std::nullopt;
  return reader.FramesIn(*bytes);
}

}  // namespace

int RunHost(const HostOptions& options) {
  IgnoreBrokenPipe();
  CatchInterrupts();
  if (options.output == "-" && IsTerminal(stdout)) return Report(kExitUsageError, kTerminalRefusal);
  const std::string pluginPath = PluginPathOr(options.pluginPath);
  SettingsSwap settings;  // made before the plug-in, so put back after the plug-in's Done
  PluginHost plugin;
  if (!plugin.Load(pluginPath)) return Report(kExitRuntimeError, plugin.Error());
  const std::string pluginFile = PluginSettingsPath(pluginPath);
  if (!PlaceSettings(options, pluginFile, settings)) return Report(kExitRuntimeError, settings.Error());
  if (!settings.Notice().empty()) Report(kExitDone, settings.Notice());

  InputFile input;
  if (!input.Open(options.input)) return Report(kExitRuntimeError, input.Error());
  if (OutputIsInput(input, options.output)) return Report(kExitUsageError, SameFileRefusal(options));
  VideoReader reader(input);
  if (!reader.Start(options.format, options.size)) {
    return Report(reader.IsUsageError() ? kExitUsageError : kExitRuntimeError, reader.Error());
  }
  Snapshots snapshots(options.snapshots);
  if (std::string error = snapshots.CheckFiles(); !error.empty()) return Report(kExitRuntimeError, error);
  OutputFile output;
  if (!output.Open(options.output)) return Report(kExitRuntimeError, output.Error());
  if (output.IsTerminal()) return Report(kExitUsageError, kTerminalRefusal);
  VideoWriter writer(output);
  if (!writer.Start(reader.Layout())) return Report(kExitRuntimeError, output.Error());
  const StreamLayout& layout = reader.Layout();
  snapshots.Start(layout.format, layout.size);

  const ChannelSchedule schedule({options.channelId, options.channelName}, options.switches);
  const std::string shownName = options.settingsPath.empty() ? pluginFile : options.settingsPath;
  for (const std::string& warning : SettingsWarnings(pluginFile, shownName, RunChannels(options)))
    Report(kExitDone, "warning: " + warning);
  const std::string notice = RemovalOffNotice(ChannelsWithRemovalOff(pluginFile, RunChannels(options)));
  if (!notice.empty()) Report(kExitDone, notice);
  RunProgress progress(FramesToCome(input, reader));
  plugin.Init();
  plugin.SetFormat(layout.size.width, layout.size.height, FrameModeOf(layout.format),
                   options.cpuLevel);
  Pipeline run{plugin, reader, writer, schedule, snapshots, input, output, progress};
  std::int64_t frames = 0;
  std::vector<std::string> errors = {Stream(run, frames)};
  plugin.Done();
  if (!settings.Restore()) errors.push_back(settings.Error());
  if (!output.Close()) errors.push_back(output.Error());
  if (errors.front().empty()) errors.push_back(snapshots.Problems(frames));
  int code = kExitDone;
  for (auto error = errors.begin(); error != errors.end(); ++error) {
    // A failed write is also the failed close: told once.
    if (!error->empty() && std::find(errors.begin(), error, *error) == error)
      code = Report(kExitRuntimeError, *error);
  }
  progress.Finish(frames);
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
  if (parsed.options.version) return PrintVersions(parsed.options.pluginPath);
  try {
    return RunHost(parsed.options);
  } catch (const std::bad_alloc&) {
    return Report(kExitRuntimeError, "out of memory");
  } catch (const std::exception& e) {
    return Report(kExitRuntimeError, e.what());
  }
}

}  // namespace kestrimo
