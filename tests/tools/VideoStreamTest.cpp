#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tools/kestrimo-host/stream/StreamFiles.h"
#include "tools/kestrimo-host/stream/VideoReader.h"
#include "tools/kestrimo-host/stream/VideoWriter.h"

namespace kestrimo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Status = VideoReader::Status;

class VideoStream : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("kestrimo-host-") + test->name() + "-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string WriteInput(const std::string& content) {
    const auto path = (dir_ / "in").string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::string OutputPath() const { return (dir_ / "out").string(); }
  std::string ReadOutput() const {
    std::ifstream file(OutputPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }

  // Reads every frame of `content` and writes it back; returns the status that ended it.
  Status Pass(const std::string& content, std::optional<StreamFormat> format,
              std::optional<FrameSize> size, int* frames = nullptr) {
    InputFile input;
    EXPECT_TRUE(input.Open(WriteInput(content)));
    VideoReader reader(input);
    EXPECT_TRUE(reader.Start(format, size)) << reader.Error();
    OutputFile output;
    EXPECT_TRUE(output.Open(OutputPath()));
    VideoWriter writer(output);
    EXPECT_TRUE(writer.Start(reader.Layout()));
    Bytes frame(reader.FrameBytes());
    Status status;
    int count = 0;
    while ((status = reader.ReadFrame(frame.data())) == Status::Frame) {
      EXPECT_TRUE(writer.WriteFrame(frame.data(), reader.FrameLine()));
      ++count;
    }
    EXPECT_TRUE(output.Close());
    if (frames != nullptr) *frames = count;
    return status;
  }

  std::filesystem::path dir_;
};

std::string Noise(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::string text(count, '\0');
  for (auto& c : text) c = static_cast<char>(random());
  return text;
}

const std::string kHeader = "YUV4MPEG2 W6 H2 F25:1 Ip A1:1 C422 XCOLORRANGE=LIMITED\n";
constexpr std::size_t kFrame = 6 * 2 * 2;

TEST_F(VideoStream, Y4mPassesThroughByteForByteWithFrameParameters) {
  const std::string clip =
      kHeader + "FRAME\n" + Noise(kFrame, 1) + "FRAME Ib\n" + Noise(kFrame, 2) + "FRAME\n" + Noise(kFrame, 3);
  int frames = 0;
  EXPECT_EQ(Pass(clip, std::nullopt, std::nullopt, &frames), Status::End);
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(ReadOutput(), clip);
}

TEST_F(VideoStream, Y4mFrameReachesThePluginAsPackedYuy2) {
  InputFile input;
  ASSERT_TRUE(input.Open(WriteInput("YUV4MPEG2 W2 H1 C422\nFRAME\n\x10\x11\x80\x90")));
  VideoReader reader(input);
  ASSERT_TRUE(reader.Start(std::nullopt, std::nullopt));
  Bytes frame(reader.FrameBytes());
  ASSERT_EQ(reader.ReadFrame(frame.data()), Status::Frame);
  EXPECT_EQ(frame, (Bytes{0x10, 0x80, 0x11, 0x90}));
}

TEST_F(VideoStream, TruncatedLastFrameStopsAfterTheWholeFrames) {
  const std::string whole = kHeader + "FRAME\n" + Noise(kFrame, 4);
  int frames = 0;
  EXPECT_EQ(Pass(whole + "FRAME\n" + Noise(kFrame - 1, 5), std::nullopt, std::nullopt, &frames),
            Status::Truncated);
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(ReadOutput(), whole);
  EXPECT_EQ(Pass(whole + "FRA", std::nullopt, std::nullopt), Status::Truncated);
  EXPECT_EQ(Pass(whole + "FRAME\n", std::nullopt, std::nullopt), Status::Truncated);
}

TEST_F(VideoStream, GarbageInsteadOfAFrameLineIsReported) {
  const std::string whole = kHeader + "FRAME\n" + Noise(kFrame, 6);
  EXPECT_EQ(Pass(whole + "JUNK\n" + Noise(kFrame, 7), std::nullopt, std::nullopt),
            Status::BadFrameLine);
  EXPECT_EQ(Pass(whole + "FRAME" + std::string(5000, ' ') + "\n", std::nullopt, std::nullopt),
            Status::BadFrameLine);
  EXPECT_EQ(ReadOutput(), whole);
}

TEST_F(VideoStream, RawYuyvPassesThroughAndATailIsTruncation) {
  const std::string clip = Noise(3 * 4 * 2 * 2, 8);  // three 4x2 frames
  int frames = 0;
  EXPECT_EQ(Pass(clip, StreamFormat::Yuyv422, FrameSize{4, 2}, &frames), Status::End);
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(ReadOutput(), clip);
  EXPECT_EQ(Pass(clip + "x", StreamFormat::Yuyv422, FrameSize{4, 2}, &frames), Status::Truncated);
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(ReadOutput(), clip);
}

TEST_F(VideoStream, RawBgrReachesThePluginBottomUpAndComesBackTopDown) {
  // 1x3 frame: rows top-down A, B, C.
  const std::string clip = "AAABBBCCC";
  InputFile input;
  ASSERT_TRUE(input.Open(WriteInput(clip)));
  VideoReader reader(input);
  ASSERT_TRUE(reader.Start(StreamFormat::Bgr24, FrameSize{1, 3}));
  Bytes frame(reader.FrameBytes());
  ASSERT_EQ(reader.ReadFrame(frame.data()), Status::Frame);
  EXPECT_EQ(std::string(frame.begin(), frame.end()), "CCCBBBAAA");

  const std::string odd = Noise(2 * 7 * 5 * 3, 9);  // two 7x5 frames, odd width
  EXPECT_EQ(Pass(odd, StreamFormat::Bgr24, FrameSize{7, 5}), Status::End);
  EXPECT_EQ(ReadOutput(), odd);
}

TEST_F(VideoStream, StartRefusesWhatItCannotRead) {
  struct Case {
    std::string content;
    std::optional<StreamFormat> format;
    bool usage;
  };
  for (const Case& c : {Case{"RAWDATA...", std::nullopt, true},
                        Case{"", std::nullopt, false},  // empty: the input failed, not the command line
                        Case{"RAWDATA...\n", StreamFormat::Y4m, false},
                        Case{"YUV4MPEG2 W720 H576 C420jpeg\n", std::nullopt, false},
                        Case{"YUV4MPEG2 W720 H576 C422", std::nullopt, false},  // no line feed
                        Case{"YUV4MPEG2 " + std::string(5000, 'X') + "\n", std::nullopt, false}}) {
    InputFile input;
    ASSERT_TRUE(input.Open(WriteInput(c.content)));
    VideoReader reader(input);
    EXPECT_FALSE(reader.Start(c.format, std::nullopt)) << c.content.substr(0, 40);
    EXPECT_FALSE(reader.Error().empty());
    EXPECT_EQ(reader.IsUsageError(), c.usage) << c.content.substr(0, 40);
  }
}

TEST_F(VideoStream, EmptyY4mAfterTheHeaderHasNoFrames) {
  int frames = -1;
  EXPECT_EQ(Pass(kHeader, std::nullopt, std::nullopt, &frames), Status::End);
  EXPECT_EQ(frames, 0);
  EXPECT_EQ(ReadOutput(), kHeader);
}

TEST_F(VideoStream, MissingInputAndUnwritableOutputAreReported) {
  InputFile input;
  EXPECT_FALSE(input.Open((dir_ / "absent").string()));
  EXPECT_NE(input.Error().find("absent"), std::string::npos);
  OutputFile output;
  EXPECT_FALSE(output.Open((dir_ / "no-such-folder" / "out").string()));
  EXPECT_FALSE(output.Error().empty());
}

}  // namespace
}  // namespace kestrimo
