#include "tools/kestrimo-host/process/RunProgress.h"

#include <cinttypes>

#include "tools/kestrimo-host/process/Console.h"

namespace kestrimo {
namespace {

// The line is redrawn at most this often: a terminal is slow next to a frame.
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

std::string Format(const char* pattern, double a, double b = 0) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

double FramesPerSecond(std::int64_t frames, double seconds) {
  return seconds > 0 ? static_cast<double>(frames) / seconds : 0.0;
}

}  // namespace

std::string DurationText(double seconds) {
  if (seconds < 60) return Format("%.1f s", seconds);
  const auto whole = static_cast<std::int64_t>(seconds + 0.5);
  if (whole < 3600) return Format("%.0f min %02.0f s", static_cast<double>(whole / 60), whole % 60);
  return Format("%.0f h %02.0f min", static_cast<double>(whole / 3600), (whole % 3600) / 60);
}

std::string ProgressText(std::int64_t done, double seconds, std::optional<std::int64_t> total) {
  const double rate = FramesPerSecond(done, seconds);
  std::string text = "frame " + std::to_string(done);
  if (total && *total > 0) {
    text += " of " + std::to_string(*total) +
            Format(" (%.0f%%)", 100.0 * static_cast<double>(done) / static_cast<double>(*total));
  }
  text += Format(", %.1f frames/s", rate);
  if (total && *total >= done && rate > 0) {
    text += ", " + DurationText(static_cast<double>(*total - done) / rate) + " left";
  }
  return text;
}

std::string SummaryText(std::int64_t frames, double seconds) {
  return std::to_string(frames) + " frames in " + Format("%.2f s (%.1f frames/s)", seconds,
                                                         FramesPerSecond(frames, seconds));
}

RunProgress::RunProgress(std::optional<std::int64_t> total, std::FILE* stream)
    : stream_(stream), total_(total), shown_(IsTerminal(stream)) {}

RunProgress::~RunProgress() { EndLine(); }

void RunProgress::Frame(std::int64_t done) {
  if (!shown_) return;
  const Clock::time_point now = Clock::now();
  if (lineOpen_ && now - lastDrawn_ < kRedrawInterval) return;
  lastDrawn_ = now;
  Draw(ProgressText(done, Seconds(), total_));
}

void RunProgress::Draw(const std::string& line) {
  // Padded with blanks over a longer line before it: no escape codes, which
  // not every console understands.
  const int width = static_cast<int>(line.size());
  std::fprintf(stream_, "\r%s%*s", line.c_str(), lineWidth_ > width ? lineWidth_ - width : 0, "");
  std::fflush(stream_);
  lineWidth_ = width;
  lineOpen_ = true;
}

void RunProgress::Finish(std::int64_t frames) {
  if (lineOpen_) Draw(ProgressText(frames, Seconds(), total_));
  EndLine();
  std::fprintf(stream_, "kestrimo-host: %s\n", SummaryText(frames, Seconds()).c_str());
}

double RunProgress::Seconds() const {
  return std::chrono::duration<double>(Clock::now() - start_).count();
}

void RunProgress::EndLine() {
  if (lineOpen_) std::fputc('\n', stream_);
  lineOpen_ = false;
}

}  // namespace kestrimo
