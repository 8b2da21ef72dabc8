// A really full disk under the save, enforced by the kernel: a small tmpfs
// filled up (where this process may mount one) and a file size limit
// (RLIMIT_FSIZE with SIGXFSZ ignored, so that writes beyond it fail with
// EFBIG). Either way the save reports failure part way through its file,
// the old file stays byte for byte, no temporary file is left, and the same
// save succeeds once there is room again.
#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/faults/SaveFixture.h"

namespace kestrimo {
namespace {

namespace fs = std::filesystem;

constexpr int kChannels = 40;  // about 10 KB of settings

SettingsLocation LocationIn(const fs::path& folder) {
  SettingsLocation location;
  location.folder = testing::ToProfilePath(folder) + "\\";
  location.moduleName = "KRD_Kestrimo";
  location.fileName = "KRD_Kestrimo.ini";
  location.path = location.folder + location.fileName;
  return location;
}

// A 64 KB tmpfs on a fresh folder, unmounted and removed at the end.
class SmallTmpfs {
 public:
  SmallTmpfs() {
    std::string pattern = (fs::temp_directory_path() / "kestrimo-full-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern;
    mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
  }
  ~SmallTmpfs() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
    if (!path_.empty()) rmdir(path_.c_str());
  }
  bool Mounted() const { return mounted_; }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
  bool mounted_ = false;
};

// Fills the file system with one file until it refuses more, then gives back
// `room` bytes, so that the next writer gets that much and then ENOSPC.
void FillLeaving(const fs::path& filler, off_t room) {
  const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  const std::vector<char> block(4096, 'f');
  off_t size = 0;
  for (;;) {
    const ssize_t put = write(fd, block.data(), block.size());
    if (put <= 0) break;
    size += put;
  }
  ASSERT_GT(size, room);
  ASSERT_EQ(ftruncate(fd, size - room), 0);
  close(fd);
}

void ExpectFailedSaveKeepsOldFile(PluginState& state, const fs::path& file) {
  EXPECT_FALSE(SaveSettings(state)) << "the full disk is reported";
  EXPECT_EQ(testing::ReadBytes(file), testing::kOldSettings) << "the old file stays";
  EXPECT_FALSE(fs::exists(file.string() + ".tmp")) << "no temporary file is left";
}

TEST(FullDisk, FilledTmpfs) {
  SmallTmpfs disk;
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  const fs::path file = disk.Path() / "KRD_Kestrimo.ini";
  testing::WriteBytes(file, testing::kOldSettings);
  PluginState state;
  state.Profile.SetLocation(LocationIn(disk.Path()));
  testing::AddChannels(state, kChannels);

  FillLeaving(disk.Path() / "filler", 4096);  // one page of the new file fits
  ExpectFailedSaveKeepsOldFile(state, file);
  FillLeaving(disk.Path() / "filler", 0);  // not a byte
  ExpectFailedSaveKeepsOldFile(state, file);

  fs::remove(disk.Path() / "filler");
  EXPECT_TRUE(SaveSettings(state));
  EXPECT_EQ(testing::ReadBytes(file), testing::SavedBytes(kChannels));
}

// The limit holds for this process only while the save runs.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    previous_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    set_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, previous_);
  }
  bool Set() const { return set_; }

 private:
  rlimit old_{};
  sighandler_t previous_ = SIG_DFL;
  bool set_ = false;
};

TEST(FullDisk, FileSizeLimit) {
  testing::TempFolder folder;
  const SettingsLocation location = LocationIn(folder.Path());
  const fs::path file = folder.Path() / "KRD_Kestrimo.ini";
  testing::WriteBytes(file, testing::kOldSettings);
  PluginState state;
  state.Profile.SetLocation(location);
  testing::AddChannels(state, kChannels);
  const std::string expected = testing::SavedBytes(kChannels);
  ASSERT_GT(expected.size(), 4096u);

  bool saved = true;
  bool limited = false;
  {
    FileSizeLimit limit(4096);  // the new file stops after 4 KB
    limited = limit.Set();
    if (limited) saved = SaveSettings(state);
  }
  ASSERT_TRUE(limited) << "RLIMIT_FSIZE cannot be lowered";
  EXPECT_FALSE(saved) << "the write beyond the limit is reported";
  EXPECT_EQ(testing::ReadBytes(file), testing::kOldSettings);
  EXPECT_FALSE(fs::exists(file.string() + ".tmp"));

  EXPECT_TRUE(SaveSettings(state)) << "with the limit lifted the save succeeds";
  EXPECT_EQ(testing::ReadBytes(file), expected);
}

}  // namespace
}  // namespace kestrimo
#endif
