// Every write of the settings save failing in turn: one line per write while
// the hook is armed, then the flush to the disk. Each failed save reports
// failure, leaves the old file byte for byte and no temporary file; the save
// that meets no fault writes exactly what an undisturbed save writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "platform/FileSystem.h"
#include "tests/faults/FaultSweep.h"
#include "tests/faults/SaveFixture.h"

namespace kestrimo {
namespace {

namespace fs = std::filesystem;

const testing::FaultHook kWriteHook{[](int n) { FailNthWriteForTesting(n); },
                                    [] { return WriteFailureHappenedForTesting(); }};

class WriteFaults : public ::testing::TestWithParam<int> {};

TEST_P(WriteFaults, EveryWriteOfTheSaveFailingInTurn) {
  const int channels = GetParam();
  const std::string expected = testing::SavedBytes(channels);
  ASSERT_FALSE(expected.empty());
  const auto lines = std::count(expected.begin(), expected.end(), '\n');

  testing::TempFolder folder;
  const SettingsLocation location = folder.Location();
  const fs::path file = folder.Path() / location.fileName;
  const fs::path temporary = file.string() + ".tmp";
  testing::WriteBytes(file, testing::kOldSettings);

  PluginState state;
  state.Profile.SetLocation(location);
  testing::AddChannels(state, channels);
  const int injected = testing::SweepFaults(
      kWriteHook, [] { return 0; }, [&](int) { return SaveSettings(state); },
      [&](bool saved, bool faulted) {
        if (faulted) {
          EXPECT_FALSE(saved) << "a failed write is reported";
          EXPECT_EQ(testing::ReadBytes(file), testing::kOldSettings) << "the old file stays";
          EXPECT_FALSE(fs::exists(temporary)) << "no temporary file is left";
        } else {
          EXPECT_TRUE(saved);
          EXPECT_EQ(testing::ReadBytes(file), expected);
        }
      });
  // One fault per line and one for the flush: the hook reached every write.
  EXPECT_EQ(injected, lines + 1);
  std::cout << "[ faults   ] save of " << channels << " channels (" << lines
            << " lines): " << injected << " write failures injected\n";
}

INSTANTIATE_TEST_SUITE_P(Saves, WriteFaults, ::testing::Values(0, 1, 4));

// A failure armed for a later save does not touch the saves before it: the
// hook counts only write calls, not saves.
TEST(WriteFaultHook, OffItChangesNothingAndCountsOnlyWrites) {
  testing::TempFolder folder;
  PluginState state;
  state.Profile.SetLocation(folder.Location());
  testing::AddChannels(state, 1);
  const std::string expected = testing::SavedBytes(1);
  FailNthWriteForTesting(1000);
  EXPECT_TRUE(SaveSettings(state));
  EXPECT_FALSE(WriteFailureHappenedForTesting());
  FailNthWriteForTesting(0);
  EXPECT_EQ(testing::ReadBytes(folder.Path() / "KRD_Kestrimo.ini"), expected);
}

}  // namespace
}  // namespace kestrimo
