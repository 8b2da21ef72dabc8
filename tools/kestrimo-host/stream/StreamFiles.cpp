#include "tools/kestrimo-host/stream/StreamFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include "tools/kestrimo-host/process/Console.h"

namespace kestrimo {
namespace {

std::string Describe(const std::string& what, const std::string& name, int error) {
  return what + " " + name + ": " + std::strerror(error);
}

// A read cut short by a signal (the process may have been asked to stop,
// which the frame loop sees once the read returns) is no read error: the
// stream's error state is cleared so that the read goes on.
bool CutBySignal(std::FILE* file) {
  if (!std::ferror(file) || errno != EINTR) return false;
  std::clearerr(file);
  return true;
}

// As fread, but going on after a signal.
std::size_t ReadFully(void* target, std::size_t count, std::FILE* file) {
  std::size_t done = 0;
  for (;;) {
    errno = 0;
    done += std::fread(static_cast<char*>(target) + done, 1, count - done, file);
    if (done == count || !CutBySignal(file)) return done;
  }
}

}  // namespace

InputFile::~InputFile() {
  if (owned_ && file_ != nullptr) std::fclose(file_);
}

bool InputFile::Open(const std::string& path) {
  if (path == "-") {
    name_ = "standard input";
    file_ = stdin;
    SetBinaryMode(stdin);
    return true;
  }
  name_ = path;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    error_ = Describe("cannot open input", path, errno);
    return false;
  }
  owned_ = true;
  return true;
}

std::optional<std::int64_t> InputFile::RegularFileSize() const {
  if (file_ == nullptr) return std::nullopt;
#if defined(_WIN32)
  struct _stati64 info {};
  if (_fstati64(_fileno(file_), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return std::nullopt;
#else
  struct stat info {};
  if (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
#endif
  return static_cast<std::int64_t>(info.st_size);
}

bool InputFile::StartsWith(std::string_view prefix) { return Peek(prefix.size()).starts_with(prefix); }

std::string_view InputFile::Peek(std::size_t count) {
  const std::size_t have = pending_.size() - pendingUsed_;
  if (have < count) {
    pending_.erase(0, pendingUsed_);
    pendingUsed_ = 0;
    const std::size_t old = pending_.size();
    pending_.resize(count);
    const std::size_t got = ReadFully(pending_.data() + old, count - old, file_);
    pending_.resize(old + got);
  }
  return std::string_view(pending_).substr(pendingUsed_, count);
}

std::optional<FileIdentity> InputFile::Identity() const {
  if (file_ == nullptr) return std::nullopt;
  return IdentityOfStream(file_);
}

std::size_t InputFile::Read(std::uint8_t* target, std::size_t count) {
  std::size_t done = 0;
  const std::size_t fromPending = std::min(count, pending_.size() - pendingUsed_);
  if (fromPending > 0) {
    std::memcpy(target, pending_.data() + pendingUsed_, fromPending);
    pendingUsed_ += fromPending;
    done = fromPending;
  }
  if (done < count) done += ReadFully(target + done, count - done, file_);
  if (done < count && std::ferror(file_)) error_ = Describe("cannot read", name_, errno);
  return done;
}

int InputFile::Get() {
  if (pendingUsed_ < pending_.size()) {
    return static_cast<unsigned char>(pending_[pendingUsed_++]);
  }
  for (;;) {
    errno = 0;
    const int c = std::getc(file_);
    if (c != EOF || !CutBySignal(file_)) return c;
  }
}

InputFile::Line InputFile::ReadLine(std::string& line, std::size_t maxLength) {
  line.clear();
  for (;;) {
    const int c = Get();
    if (c == EOF) {
      if (std::ferror(file_)) error_ = Describe("cannot read", name_, errno);
      return line.empty() ? Line::End : Line::Unfinished;
    }
    if (c == '\n') return Line::Complete;
    if (line.size() >= maxLength) return Line::TooLong;
    line.push_back(static_cast<char>(c));
  }
}

bool InputFile::Failed() const { return file_ != nullptr && std::ferror(file_) != 0; }

OutputFile::~OutputFile() {
  if (owned_ && file_ != nullptr) std::fclose(file_);
}

bool OutputFile::Open(const std::string& path) {
  if (path == "-") {
    name_ = "standard output";
    file_ = stdout;
    SetBinaryMode(stdout);
    return true;
  }
  name_ = path;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    error_ = Describe("cannot create output", path, errno);
    return false;
  }
  owned_ = true;
  return true;
}

bool OutputFile::Write(const void* data, std::size_t count) {
  if (file_ == nullptr) return false;
  return std::fwrite(data, 1, count, file_) == count || Fail();
}

bool OutputFile::IsTerminal() const { return file_ != nullptr && kestrimo::IsTerminal(file_); }

bool OutputFile::Close() {
  if (file_ == nullptr) return error_.empty();
  bool good = std::fflush(file_) == 0 || Fail();
  if (owned_ && std::fclose(file_) != 0 && good) good = Fail();
  file_ = nullptr;
  return good && error_.empty();
}

bool OutputFile::Fail() {
  if (error_.empty()) error_ = Describe("cannot write", name_, errno);
  return false;
}

}  // namespace kestrimo
