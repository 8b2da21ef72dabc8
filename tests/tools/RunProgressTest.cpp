#include "tools/kestrimo-host/process/RunProgress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kestrimo {
namespace {

TEST(RunProgressText, ShowsFramesSpeedAndWithAKnownLengthTheTimeLeft) {
  struct Case {
    std::int64_t done;
    double seconds;
    std::optional<std::int64_t> total;
    const char* expected;
  };
  const Case cases[] = {
      {50, 2.0, std::nullopt, "frame 50, 25.0 frames/s"},  // a pipe: no length
      {50, 2.0, 250, "frame 50 of 250 (20%), 25.0 frames/s, 8.0 s left"},
      {250, 10.0, 250, "frame 250 of 250 (100%), 25.0 frames/s, 0.0 s left"},
      {100, 10.0, 90100, "frame 100 of 90100 (0%), 10.0 frames/s, 2 h 30 min left"},
      {1, 0.0, 10, "frame 1 of 10 (10%), 0.0 frames/s"},  // no speed yet: no estimate
      {12, 1.0, 10, "frame 12 of 10 (120%), 12.0 frames/s"},  // a longer input than counted
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressText(c.done, c.seconds, c.total), c.expected);
  }
}

TEST(RunProgressText, DurationsAndTheSummaryReadAsAPersonWouldSayThem) {
  EXPECT_EQ(DurationText(59.94), "59.9 s");
  EXPECT_EQ(DurationText(200.4), "3 min 20 s");
  EXPECT_EQ(DurationText(3599.6), "1 h 00 min");
  EXPECT_EQ(SummaryText(250, 2.0), "250 frames in 2.00 s (125.0 frames/s)");
  EXPECT_EQ(SummaryText(0, 0.0), "0 frames in 0.00 s (0.0 frames/s)");
}

TEST(RunProgressText, OffATerminalOnlyTheSummaryIsWritten) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    RunProgress progress(3, file);
    for (int frame = 1; frame <= 3; ++frame) progress.Frame(frame);
    progress.Finish(3);
  }
  std::rewind(file);
  char text[200] = {};
  const std::size_t got = std::fread(text, 1, sizeof text - 1, file);
  std::fclose(file);
  const std::string written(text, got);
  EXPECT_EQ(written.rfind("kestrimo-host: 3 frames in ", 0), 0u) << written;
  EXPECT_EQ(written.find('\r'), std::string::npos) << written;
  EXPECT_EQ(written.find('\n'), written.size() - 1) << "one line: " << written;
}

}  // namespace
}  // namespace kestrimo
