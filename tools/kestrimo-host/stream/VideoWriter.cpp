#include "tools/kestrimo-host/stream/VideoWriter.h"

#include "tools/kestrimo-host/stream/PixelConversion.h"

namespace kestrimo {

bool VideoWriter::Start(const StreamLayout& layout) {
  layout_ = layout;
  if (layout.format != StreamFormat::Yuyv422) scratch_.resize(FrameBytes(layout.format, layout.size));
  return layout.format != StreamFormat::Y4m || WriteLine(layout.y4mHeader);
}

bool VideoWriter::WriteFrame(const std::uint8_t* frame, std::string_view frameLine) {
  const int width = layout_.size.width;
  const int height = layout_.size.height;
  switch (layout_.format) {
    case StreamFormat::Yuyv422:
      return output_.Write(frame, FrameBytes(layout_.format, layout_.size));
    case StreamFormat::Bgr24:
      FlipRows(frame, 3 * static_cast<std::size_t>(width), height, scratch_.data());
      return output_.Write(scratch_.data(), scratch_.size());
    case StreamFormat::Y4m:
      Yuy2ToPlanar(frame, width, height, SplitPlanes(scratch_.data(), width, height));
      return WriteLine(frameLine) && output_.Write(scratch_.data(), scratch_.size());
  }
  return false;
}

bool VideoWriter::WriteLine(std::string_view line) {
  return output_.Write(line.data(), line.size()) && output_.Write("\n", 1);
}

}  // namespace kestrimo
