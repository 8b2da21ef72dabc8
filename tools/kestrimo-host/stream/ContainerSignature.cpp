#include "tools/kestrimo-host/stream/ContainerSignature.h"

namespace kestrimo {
namespace {

struct Signature {
  std::size_t offset;
  std::string_view bytes;
  const char* kind;
};

constexpr Signature kSignatures[] = {
    {4, "ftyp", "an MP4/MOV file"},
    {0, "\x1A\x45\xDF\xA3", "a Matroska/WebM file"},
    {0, "FLV\x01", "an FLV file"},
    {0, "OggS", "an Ogg file"},
    {0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11", "an ASF/WMV file"},
};

bool At(std::string_view head, std::size_t offset, std::string_view bytes) {
  return head.size() >= offset + bytes.size() && head.substr(offset, bytes.size()) == bytes;
}

}  // namespace

std::string ContainerKind(std::string_view head, bool rawFormat) {
  for (const Signature& signature : kSignatures) {
    if (At(head, signature.offset, signature.bytes)) return signature.kind;
  }
  if (At(head, 0, "RIFF") && At(head, 8, "AVI ")) return "an AVI file";
  if (At(head, 0, std::string_view("\0\0\x01\xBA", 4))) return "an MPEG program stream";
  if (!rawFormat && head.size() >= 377 && head[0] == 0x47 && head[188] == 0x47 && head[376] == 0x47)
    return "an MPEG transport stream";
  return {};
}

std::string DecodeFirstAdvice(const std::string& kind) {
  return "the input is " + kind + " (compressed video), not frames: decode it with ffmpeg first, "
         "e.g. ffmpeg -i IN -pix_fmt yuv422p -f yuv4mpegpipe - | kestrimo-host ... -i -";
}

}  // namespace kestrimo
