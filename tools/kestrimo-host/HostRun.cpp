#include "tools/kestrimo-host/HostRun.h"

#include <cinttypes>
#include <cstdio>
#include <exception>
#include <new>
#include <vector>

#include "tools/kestrimo-host/ChannelSchedule.h"
#include "tools/kestrimo-host/Console.h"
#include "tools/kestrimo-host/PluginHost.h"
#include "tools/kestrimo-host/StreamFiles.h"
#include "tools/kestrimo-host/VideoReader.h"
#include "tools/kestrimo-host/VideoWriter.h"

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

// Streams every frame through the plug-in; returns an error text or empty.
std::string Stream(PluginHost& plugin, VideoReader& reader, VideoWriter& writer,
                   const ChannelSchedule& schedule, const InputFile& input,
                   const OutputFile& output) {
  std::vector<std::uint8_t> frame(reader.FrameBytes());  // the one frame buffer
  Progress progress;
  for (std::int64_t index = 0;; ++index) {
    const VideoReader::Status status = reader.ReadFrame(frame.data());
    if (status != VideoReader::Status::Frame) return StopReason(status, index, input);
    const Channel& channel = schedule.ChannelOf(index);
    plugin.ProcessFrame(frame.data(), channel.id, channel.name);
    if (!writer.WriteFrame(frame.data(), reader.FrameLine())) return output.Error();
    progress.Frame(index + 1);
  }
}

}  // namespace

int RunHost(const HostOptions& options) {
  IgnoreBrokenPipe();
  const std::string pluginPath =
      options.pluginPath.empty() ? ExecutableFolder() + PluginLibraryName() : options.pluginPath;
  PluginHost plugin;
  if (!plugin.Load(pluginPath)) return Report(kExitRuntimeError, plugin.Error());

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

  const ChannelSchedule schedule({options.channelId, options.channelName}, options.switches);
  const StreamLayout& layout = reader.Layout();
  plugin.Init();
  plugin.SetFormat(layout.size.width, layout.size.height, FrameModeOf(layout.format),
                   options.cpuLevel);
  std::string error = Stream(plugin, reader, writer, schedule, input, output);
  plugin.Done();
  if (!output.Close() && error.empty()) error = output.Error();
  return error.empty() ? kExitDone : Report(kExitRuntimeError, error);
}

int HostMain(const std::vector<std::string>& args) {
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
