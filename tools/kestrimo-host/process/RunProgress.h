// The frame count of a run on stderr: a progress line while it runs (on a
// terminal only) and a one-line summary at its end (always).
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace kestrimo {

// "12.5 s", "3 min 20 s", "1 h 05 min": a span of seconds for a person.
std::string DurationText(double seconds);

// The progress line: frames done, frames per second over `seconds`, and with
// a known total the percentage and the time left at that speed.
std::string ProgressText(std::int64_t done, double seconds, std::optional<std::int64_t> total);

// The summary: frames, seconds and frames per second.
std::string SummaryText(std::int64_t frames, double seconds);

class RunProgress {
 public:
  // `total`: the frames the input holds, when known. `stream` shows the
  // progress line only when it is a terminal.
  explicit RunProgress(std::optional<std::int64_t> total, std::FILE* stream = stderr);
  ~RunProgress();  // ends the progress line, if one is shown
  RunProgress(const RunProgress&) = delete;
  RunProgress& operator=(const RunProgress&) = delete;

  // After each frame: redraws the line, at most a few times a second.
  void Frame(std::int64_t done);
  // Ends the progress line and writes the summary of `frames` frames.
  void Finish(std::int64_t frames);

 private:
  double Seconds() const;
  void Draw(const std::string& line);
  void EndLine();

  using Clock = std::chrono::steady_clock;
  std::FILE* stream_;
  std::optional<std::int64_t> total_;
  bool shown_;
  bool lineOpen_ = false;
  int lineWidth_ = 0;
  Clock::time_point start_ = Clock::now();
  Clock::time_point lastDrawn_{};
};

}  // namespace kestrimo
