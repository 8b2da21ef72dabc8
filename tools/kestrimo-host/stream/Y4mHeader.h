// The YUV4MPEG2 stream header and frame lines.
#pragma once

#include <string>
#include <string_view>

#include "tools/kestrimo-host/stream/StreamFormat.h"

namespace kestrimo {

constexpr std::string_view kY4mMagic = "YUV4MPEG2 ";

struct Y4mHeader {
  FrameSize size;
  std::string line;  // the whole header line without its line feed, written back as it is
};

struct Y4mHeaderParse {
  Y4mHeader header;
  std::string error;  // empty when the header is usable
  bool Ok() const { return error.empty(); }
};

// Accepts 8-bit 4:2:2 ("C422") with an even width; everything else is refused
// with the reason.
Y4mHeaderParse ParseY4mHeader(std::string_view line);

// "FRAME", alone or followed by a blank and parameters.
bool IsY4mFrameLine(std::string_view line);

}  // namespace kestrimo
