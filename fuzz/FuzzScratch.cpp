#include "fuzz/FuzzScratch.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace kestrimo::fuzzing {
namespace {

constexpr const char* kPrefix = "kestrimo-fuzz-";

// libFuzzer ends a run without running static destructors, and a crash ends
// it anyway, so each folder carries its process id and the next run removes
// the folders of processes that are gone.
void RemoveFoldersOfEndedRuns(const std::filesystem::path& base) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(base, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(kPrefix, 0) != 0) continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + std::strlen(kPrefix), &end, 10);
    if (pid <= 0 || *end != '-') continue;  // not a name this code gives
    if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      std::error_code ignored;
      std::filesystem::remove_all(entry.path(), ignored);
    }
  }
}

class Folder {
 public:
  Folder() {
    // Shared memory where there is some: the save's flushes to the disk then
    // cost nothing, and the runs are many times faster.
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
        ? std::filesystem::path("/dev/shm")
        : std::filesystem::temp_directory_path();
    RemoveFoldersOfEndedRuns(base);
    std::string pattern =
        (base / (kPrefix + std::to_string(getpid()) + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    path_ = pattern + "/";
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

const std::string& ScratchFolder() {
  static Folder folder;
  return folder.Path();
}

std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchFolder() + name;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) std::abort();
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = write(fd, data + done, size - done);
    if (put <= 0) std::abort();
    done += static_cast<std::size_t>(put);
  }
  close(fd);
  return path;
}

}  // namespace kestrimo::fuzzing
