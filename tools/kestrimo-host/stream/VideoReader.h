// Reads frames from the input and hands them over in the plug-in's layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/kestrimo-host/stream/StreamFiles.h"
#include "tools/kestrimo-host/stream/StreamFormat.h"

namespace kestrimo {

// What the writer needs to reproduce the input's format.
struct StreamLayout {
  StreamFormat format = StreamFormat::Y4m;
  FrameSize size;
  std::string y4mHeader;  // Y4M only: the header line as read
};

class VideoReader {
 public:
  explicit VideoReader(InputFile& input) : input_(input) {}

  // Settles the format: the given one, else Y4M when the input begins like it.
  // Reads the Y4M header. False with Error() set; IsUsageError() then tells
  // whether the command line, rather than the input, is at fault.
  bool Start(std::optional<StreamFormat> format, std::optional<FrameSize> size);

  const StreamLayout& Layout() const { return layout_; }
  std::size_t FrameBytes() const { return kestrimo::FrameBytes(layout_.format, layout_.size); }

  // How many frames an input of `inputBytes` bytes holds, counted from its
  // start (for Y4M with plain "FRAME" lines); after Start.
  std::int64_t FramesIn(std::int64_t inputBytes) const;

  enum class Status { Frame, End, Truncated, BadFrameLine, Failed };
  // Reads the next frame into `frame` (FrameBytes() bytes): YUY2 rows top-down,
  // or BGR24 rows bottom-up.
  Status ReadFrame(std::uint8_t* frame);

  // The line that introduced the last Y4M frame, without its line feed.
  const std::string& FrameLine() const { return frameLine_; }

  const std::string& Error() const { return error_; }
  bool IsUsageError() const { return usageError_; }

 private:
  bool StartY4m();
  bool Fail(std::string message, bool usage = false);
  // Reads exactly `count` bytes; Frame, End (nothing at all), Truncated or Failed.
  Status ReadBlock(std::uint8_t* target, std::size_t count, bool atFrameStart);

  InputFile& input_;
  StreamLayout layout_;
  std::vector<std::uint8_t> scratch_;  // the stream's frame when its layout differs
  std::string frameLine_;
  std::string error_;
  bool usageError_ = false;
};

}  // namespace kestrimo
