#include "tools/kestrimo-host/stream/StreamFormat.h"

namespace kestrimo {

std::optional<StreamFormat> ParseStreamFormat(std::string_view name) {
  if (name == "y4m") return StreamFormat::Y4m;
  if (name == "yuyv422") return StreamFormat::Yuyv422;
  if (name == "bgr24") return StreamFormat::Bgr24;
  return std::nullopt;
}

const char* StreamFormatName(StreamFormat format) {
  switch (format) {
    case StreamFormat::Y4m: return "y4m";
    case StreamFormat::Yuyv422: return "yuyv422";
    case StreamFormat::Bgr24: return "bgr24";
  }
  return "?";
}

int FrameModeOf(StreamFormat format) { return format == StreamFormat::Bgr24 ? 1 : 0; }

std::size_t FrameBytes(StreamFormat format, FrameSize size) {
  const std::size_t bytesPerPixel = format == StreamFormat::Bgr24 ? 3 : 2;
  return bytesPerPixel * static_cast<std::size_t>(size.width) *
         static_cast<std::size_t>(size.height);
}

std::string CheckFrameSize(StreamFormat format, FrameSize size) {
  if (size.width < 1 || size.height < 1 || size.width > kMaxFrameSide ||
      size.height > kMaxFrameSide) {
    return "frame size " + std::to_string(size.width) + "x" + std::to_string(size.height) +
           " is outside 1x1.." + std::to_string(kMaxFrameSide) + "x" +
           std::to_string(kMaxFrameSide);
  }
  // Packed 4:2:2 keeps two pixels per four-byte group; an odd row cannot be packed.
  if (format != StreamFormat::Bgr24 && size.width % 2 != 0) {
    const std::string even = std::to_string(size.width - 1) + ":" + std::to_string(size.height);
    return "4:2:2 frames need an even width, got " + std::to_string(size.width) +
           "; crop or scale the video to an even width first, e.g. ffmpeg -i IN -vf crop=" + even +
           ":0:0 -pix_fmt yuv422p -f yuv4mpegpipe -";
  }
  return {};
}

}  // namespace kestrimo
