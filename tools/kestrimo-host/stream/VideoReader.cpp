#include "tools/kestrimo-host/stream/VideoReader.h"

#include <utility>

#include "tools/kestrimo-host/stream/ContainerSignature.h"
#include "tools/kestrimo-host/stream/PixelConversion.h"
#include "tools/kestrimo-host/stream/Y4mHeader.h"

namespace kestrimo {
namespace {

// Longer header or frame lines are taken for garbage.
constexpr std::size_t kMaxY4mLine = 4096;

}  // namespace

bool VideoReader::Start(std::optional<StreamFormat> format, std::optional<FrameSize> size) {
  frameLine_.reserve(kMaxY4mLine);
  const std::string_view head = input_.Peek(kContainerHeadBytes);
  if (input_.Failed()) return Fail(input_.Error());
  if (head.empty()) {
    return Fail("the input is empty: no bytes came (when it is piped from another command, "
                "look at that command's messages)");
  }
  const bool raw = format && *format != StreamFormat::Y4m;
  const std::string container = ContainerKind(head, raw);
  if (!container.empty()) return Fail(DecodeFirstAdvice(container));
  if (!format) {
    if (!head.starts_with(kY4mMagic)) {
      return Fail("input is not YUV4MPEG2; give --format yuyv422|bgr24 and --size WxH for raw "
                  "frames, or decode a video file to Y4M with ffmpeg first", true);
    }
    format = StreamFormat::Y4m;
  }
  layout_.format = *format;
  if (*format == StreamFormat::Y4m) return StartY4m();
  if (!size) return Fail(std::string("--format ") + StreamFormatName(*format) + " needs --size WxH", true);
  const std::string bad = CheckFrameSize(*format, *size);
  if (!bad.empty()) return Fail(bad, true);
  layout_.size = *size;
  if (*format == StreamFormat::Bgr24) scratch_.resize(FrameBytes());
  return true;
}

bool VideoReader::StartY4m() {
  std::string line;
  const auto read = input_.ReadLine(line, kMaxY4mLine);
  if (input_.Failed()) return Fail(input_.Error());
  if (read != InputFile::Line::Complete) {
    return Fail(line.empty() && read == InputFile::Line::End ? "input is empty"
                                                              : "input has no complete Y4M header line");
  }
  Y4mHeaderParse parsed = ParseY4mHeader(line);
  if (!parsed.Ok()) return Fail(parsed.error);
  layout_.size = parsed.header.size;
  layout_.y4mHeader = std::move(parsed.header.line);
  scratch_.resize(FrameBytes());
  return true;
}

VideoReader::Status VideoReader::ReadFrame(std::uint8_t* frame) {
  const int width = layout_.size.width;
  const int height = layout_.size.height;
  switch (layout_.format) {
    case StreamFormat::Yuyv422:
      return ReadBlock(frame, FrameBytes(), true);
    case StreamFormat::Bgr24: {
      const Status status = ReadBlock(scratch_.data(), scratch_.size(), true);
      if (status == Status::Frame) FlipRows(scratch_.data(), 3 * static_cast<std::size_t>(width), height, frame);
      return status;
    }
    case StreamFormat::Y4m: {
      const auto line = input_.ReadLine(frameLine_, kMaxY4mLine);
      if (input_.Failed()) return Status::Failed;
      if (line == InputFile::Line::End) return Status::End;
      if (line == InputFile::Line::Unfinished) return Status::Truncated;
      if (line == InputFile::Line::TooLong || !IsY4mFrameLine(frameLine_)) return Status::BadFrameLine;
      const Status status = ReadBlock(scratch_.data(), scratch_.size(), false);
      if (status == Status::Frame) PlanarToYuy2(SplitPlanes(scratch_.data(), width, height), width, height, frame);
      return status;
    }
  }
  return Status::Failed;
}

VideoReader::Status VideoReader::ReadBlock(std::uint8_t* target, std::size_t count,
                                           bool atFrameStart) {
  const std::size_t got = input_.Read(target, count);
  if (got == count) return Status::Frame;
  if (input_.Failed()) return Status::Failed;
  return got == 0 && atFrameStart ? Status::End : Status::Truncated;
}

bool VideoReader::Fail(std::string message, bool usage) {
  error_ = std::move(message);
  usageError_ = usage;
  return false;
}

std::int64_t VideoReader::FramesIn(std::int64_t inputBytes) const {
  const bool y4m = layout_.format == StreamFormat::Y4m;
  const std::int64_t header = y4m ? static_cast<std::int64_t>(layout_.y4mHeader.size()) + 1 : 0;
  const std::int64_t frame = static_cast<std::int64_t>(FrameBytes()) + (y4m ? 6 : 0);  // "FRAME\n"
  if (frame <= 0 || inputBytes <= header) return 0;
  return (inputBytes - header) / frame;
}

}  // namespace kestrimo
