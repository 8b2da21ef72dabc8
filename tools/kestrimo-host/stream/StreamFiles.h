// The tool's input and output: a named file or a standard stream, in binary mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileIdentity.h"

namespace kestrimo {

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // "-" is standard input. False with Error() set when the file cannot be opened.
  bool Open(const std::string& path);

  // Whether the unread input begins with `prefix`; consumes nothing.
  bool StartsWith(std::string_view prefix);
  // Up to `count` of the unread bytes (fewer at the end); consumes nothing.
  std::string_view Peek(std::size_t count);

  // Reads up to `count` bytes; fewer only at the end of the input or on an error.
  std::size_t Read(std::uint8_t* target, std::size_t count);

  enum class Line { Complete, End, Unfinished, TooLong };
  // Reads one line up to its line feed (not stored) into `line`, at most
  // `maxLength` bytes. End: nothing left; Unfinished: the input stops inside the line.
  Line ReadLine(std::string& line, std::size_t maxLength);

  // The size in bytes of a regular input file; absent for a pipe, a device
  // or standard input that is not a file.
  std::optional<std::int64_t> RegularFileSize() const;

  // Which file the input is; absent for a pipe or a terminal.
  std::optional<FileIdentity> Identity() const;

  // True after a read error (as opposed to the end of the input).
  bool Failed() const;
  const std::string& Error() const { return error_; }
  const std::string& Name() const { return name_; }

 private:
  int Get();

  std::FILE* file_ = nullptr;
  bool owned_ = false;
  std::string name_;
  std::string error_;
  std::string pending_;  // bytes looked at by StartsWith, not yet consumed
  std::size_t pendingUsed_ = 0;
};

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // "-" is standard output. False with Error() set when the file cannot be created.
  bool Open(const std::string& path);
  bool Write(const void* data, std::size_t count);
  // Whether the output is a terminal, where video does not belong.
  bool IsTerminal() const;
  // Flushes and closes; false with Error() set when the data did not all reach the file.
  bool Close();
  const std::string& Error() const { return error_; }

 private:
  bool Fail();

  std::FILE* file_ = nullptr;
  bool owned_ = false;
  std::string name_;
  std::string error_;
};

}  // namespace kestrimo
