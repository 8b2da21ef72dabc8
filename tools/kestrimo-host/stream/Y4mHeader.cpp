#include "tools/kestrimo-host/stream/Y4mHeader.h"

#include "tools/kestrimo-host/stream/WholeNumber.h"

namespace kestrimo {
namespace {

bool ParseSide(std::string_view text, int& side) {
  const auto number = ParseWholeNumber<int>(text);
  if (number) side = *number;
  return number.has_value();
}

std::string ColourSpaceError(std::string_view tag) {
  if (tag.empty()) {
    return "Y4M input is 4:2:0 (no C tag); only 8-bit 4:2:2 is supported "
           "(convert with -pix_fmt yuv422p)";
  }
  return "Y4M colour space C" + std::string(tag) +
         " is not supported; only 8-bit 4:2:2 (C422) is (convert with -pix_fmt yuv422p)";
}

}  // namespace

Y4mHeaderParse ParseY4mHeader(std::string_view line) {
  Y4mHeaderParse result;
  if (!line.starts_with(kY4mMagic)) {
    result.error = "not a YUV4MPEG2 stream";
    return result;
  }
  int width = -1;
  int height = -1;
  std::string_view colour;
  std::string_view rest = line.substr(kY4mMagic.size());
  while (!rest.empty()) {
    const auto blank = rest.find(' ');
    const std::string_view token = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    if (token.empty()) continue;
    const std::string_view value = token.substr(1);
    bool good = true;
    switch (token[0]) {
      case 'W': good = ParseSide(value, width); break;
      case 'H': good = ParseSide(value, height); break;
      case 'C': colour = value; break;
      default: break;  // frame rate, interlacing, aspect, extensions: kept as they are
    }
    if (!good) {
      result.error = "bad Y4M header field '" + std::string(token) + "'";
      return result;
    }
  }
  if (width < 0 || height < 0) {
    result.error = "Y4M header lacks the frame width or height";
    return result;
  }
  if (colour != "422") {
    result.error = ColourSpaceError(colour);
    return result;
  }
  const FrameSize size{width, height};
  result.error = CheckFrameSize(StreamFormat::Y4m, size);
  if (!result.Ok()) {
    result.error = "Y4M input: " + result.error;
    return result;
  }
  result.header = {size, std::string(line)};
  return result;
}

bool IsY4mFrameLine(std::string_view line) {
  return line == "FRAME" || line.starts_with("FRAME ");
}

}  // namespace kestrimo
