// Writes frames given in the plug-in's layout back in the input's format.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/kestrimo-host/stream/StreamFiles.h"
#include "tools/kestrimo-host/stream/VideoReader.h"

namespace kestrimo {

class VideoWriter {
 public:
  explicit VideoWriter(OutputFile& output) : output_(output) {}

  // Writes the stream header (Y4M) and prepares the conversion buffer.
  bool Start(const StreamLayout& layout);

  // Writes one frame; `frameLine` is the Y4M frame line to repeat, ignored otherwise.
  bool WriteFrame(const std::uint8_t* frame, std::string_view frameLine);

 private:
  bool WriteLine(std::string_view line);

  OutputFile& output_;
  StreamLayout layout_;
  std::vector<std::uint8_t> scratch_;
};

}  // namespace kestrimo
