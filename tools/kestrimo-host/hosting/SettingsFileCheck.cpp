#include "tools/kestrimo-host/hosting/SettingsFileCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kestrimo {
namespace {

// The plug-in reads no more than this of its file; a bigger one is no settings file.
constexpr std::size_t kMaxSettingsBytes = 64u * 1024 * 1024;

struct Signature {
  std::size_t offset;
  std::string_view bytes;
  const char* what;
};

// Files that are given by mistake for a settings file, by their first bytes.
constexpr Signature kSignatures[] = {
    {0, "\x89PNG", "a PNG picture"},
    {0, "\xFF\xD8\xFF", "a JPEG picture"},
    {0, "GIF8", "a GIF picture"},
    {0, "YUV4MPEG2", "a Y4M video"},
    {4, "ftyp", "an MP4 or MOV video"},
    {0, "\x1A\x45\xDF\xA3", "a Matroska or WebM video"},
    {0, "RIFF", "a RIFF (AVI or WAV) file"},
    {0, "\xFF\xFE", "UTF-16 text"},
    {0, "\xFE\xFF", "UTF-16 text"},
};

bool HasSignature(std::string_view bytes, const Signature& signature) {
  return bytes.size() >= signature.offset + signature.bytes.size() &&
         bytes.substr(signature.offset, signature.bytes.size()) == signature.bytes;
}

// Control bytes other than tab, CR and LF do not occur in text.
bool IsBinaryByte(unsigned char c) {
  return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F;
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
    line.remove_suffix(1);
  return line;
}

bool IsIniLine(std::string_view line) {
  line = Trimmed(line);
  if (line.empty() || line.front() == ';' || line.front() == '#') return true;
  if (line.front() == '[') return line.back() == ']';
  const std::size_t equals = line.find('=');
  return equals != std::string_view::npos && equals > 0;
}

}  // namespace

std::string SettingsFileProblem(std::string_view bytes) {
  for (const Signature& signature : kSignatures) {
    if (HasSignature(bytes, signature)) return signature.what;
  }
  // "BM", the file size and four reserved bytes that are zero.
  if (bytes.size() >= 10 && bytes.starts_with("BM") &&
      bytes.substr(6, 4) == std::string_view("\0\0\0\0", 4)) {
    return "a BMP picture";
  }
  if (bytes.size() > kMaxSettingsBytes) return "larger than 64 MB";
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  // UTF-16 without its mark: every other byte is NUL.
  if (bytes.size() >= 4 && (bytes[0] == '\0') != (bytes[1] == '\0') &&
      (bytes[2] == '\0') != (bytes[3] == '\0')) {
    return "UTF-16 text";
  }
  for (unsigned char c : bytes) {
    if (IsBinaryByte(c)) return "binary data";
  }
  std::size_t number = 1;
  for (std::size_t pos = 0; pos < bytes.size(); ++number) {
    const std::size_t feed = bytes.find('\n', pos);
    const std::size_t end = feed == std::string_view::npos ? bytes.size() : feed;
    if (!IsIniLine(bytes.substr(pos, end - pos))) {
      return "line " + std::to_string(number) + " is not [SECTION], KEY=VALUE or a ;comment";
    }
    pos = end + 1;
  }
  return {};
}

std::string SettingsFileProblemAt(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return errno == ENOENT ? std::string() : std::string("cannot read: ") + std::strerror(errno);
  }
  std::string bytes;
  char block[65536];
  std::size_t got = 0;
  while (bytes.size() <= kMaxSettingsBytes && (got = std::fread(block, 1, sizeof block, file)) > 0)
    bytes.append(block, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? "cannot read" : SettingsFileProblem(bytes);
}

std::string CheckSettingsFileToWrite(const std::string& path, const std::string& why) {
  const std::string problem = SettingsFileProblemAt(path);
  if (problem.empty()) return {};
  return path + " is not a settings file (" + problem + "); " + why + " leaves it unchanged";
}

}  // namespace kestrimo
