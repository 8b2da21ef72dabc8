// A file the benchmarks read through the plug-in, written once into the
// temporary folder under a name of this process and removed at exit.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>  // getpid: the benchmarks are built natively only

namespace kestrimo {

class TempFile {
 public:
  TempFile(const std::string& stem, const std::string& bytes) {
    std::error_code error;
    path_ = std::filesystem::temp_directory_path(error) /
            (stem + "-" + std::to_string(::getpid()) + ".bmp");
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~TempFile() {
    std::error_code error;
    std::filesystem::remove(path_, error);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  std::string Name() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace kestrimo
