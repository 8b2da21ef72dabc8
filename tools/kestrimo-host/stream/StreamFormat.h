// The video formats the tool reads and writes, and the frame sizes it accepts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrimo {

enum class StreamFormat {
  Y4m,      // YUV4MPEG2, planar 4:2:2, 8 bits
  Yuyv422,  // raw packed Y0 U Y1 V
  Bgr24,    // raw B G R, rows top-down
};

struct FrameSize {
  int width = 0;
  int height = 0;
  bool operator==(const FrameSize&) const = default;
};

// Each side of a frame is at most this many pixels.
constexpr int kMaxFrameSide = 16384;

std::optional<StreamFormat> ParseStreamFormat(std::string_view name);
const char* StreamFormatName(StreamFormat format);

// The plug-in's FrameMode for frames of this format: 0 YUY2, 1 BGR24.
int FrameModeOf(StreamFormat format);

// Bytes of one frame as the plug-in sees it; a 4:2:2 stream frame has the same size.
std::size_t FrameBytes(StreamFormat format, FrameSize size);

// Why the size cannot be used with the format; empty when it can.
std::string CheckFrameSize(StreamFormat format, FrameSize size);

}  // namespace kestrimo
