// kestrimo_live_search CLIP.y4m: the plug-in's own logo search, as the
// settings window starts it, run over a clip of the real-picture corpus.
//
// A fresh settings folder, the clip's format given, one frame of channel 1
// on screen; then the search is started and the clip's frames go through the
// frame entry point, from the start again when it ends, until the search
// has an outcome (at most kMaxFrames frames). Frames keep coming after the
// collection too, as they do while the window waits. One line of JSON on
// standard output:
//
//   {"outcome": "found"|"not-found"|"timeout", "reason": "NoLogo",
//    "box": [left, top, right, bottom] or null, "frames": N, "samples": S}
//
// box: the frame pixels (right and bottom excluded) that the found mask
// picture keys, loaded from its file and placed by the found shape as the
// plug-in does. Exit 0 with an outcome, 2 when the clip cannot be read.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "detect/LogoCoverage.h"
#include "detect/LogoMask.h"
#include "engine/FrameDriver.h"
#include "engine/LogoFinding.h"
#include "engine/PluginState.h"
#include "plugin/EntryPoints.h"
#include "settings/SettingsPersistence.h"
#include "tests/support/PictureFiles.h"
#include "tools/kestrimo-host/stream/StreamFiles.h"
#include "tools/kestrimo-host/stream/StreamFormat.h"
#include "tools/kestrimo-host/stream/VideoReader.h"

namespace kestrimo {
namespace {

using Phase = LogoFinding::Phase;
using Reason = LogoFinding::Reason;

constexpr int kMaxFrames = 3000;
constexpr ChannelId kChannel = 1;

const char* ReasonName(Reason reason) {
  switch (reason) {
    case Reason::None: return "None";
    case Reason::NoFrames: return "NoFrames";
    case Reason::OutOfMemory: return "OutOfMemory";
    case Reason::UnsupportedFormat: return "UnsupportedFormat";
    case Reason::FrameTooLarge: return "FrameTooLarge";
    case Reason::TooLittleMovement: return "TooLittleMovement";
    case Reason::NoLogo: return "NoLogo";
    case Reason::CannotWrite: return "CannotWrite";
    case Reason::Interrupted: return "Interrupted";
  }
  return "Unknown";
}

// The clip's frames in the plug-in's YUY2 layout, from its start again
// after its last.
class LoopedClip {
 public:
  explicit LoopedClip(std::string path) : path_(std::move(path)) {}

  bool Open() {
    input_ = std::make_unique<InputFile>();
    if (!input_->Open(path_)) return Fail(input_->Error());
    reader_ = std::make_unique<VideoReader>(*input_);
    if (!reader_->Start(StreamFormat::Y4m, std::nullopt)) return Fail(reader_->Error());
    const StreamLayout& layout = reader_->Layout();
    if (size_.width == 0) size_ = layout.size;
    if (!(layout.size == size_)) return Fail("the frame size changed");
    frame_.resize(reader_->FrameBytes());
    return true;
  }

  // The next frame into Frame(); false with Error() set when it cannot be read.
  bool Next() {
    VideoReader::Status status = reader_->ReadFrame(frame_.data());
    if (status == VideoReader::Status::End) {
      if (!Open()) return false;
      status = reader_->ReadFrame(frame_.data());
      if (status == VideoReader::Status::End) return Fail("the clip has no frames");
    }
    if (status != VideoReader::Status::Frame) return Fail("a frame cannot be read");
    return true;
  }

  std::uint8_t* Frame() { return frame_.data(); }
  FrameSize Size() const { return size_; }
  const std::string& Error() const { return error_; }

 private:
  bool Fail(std::string why) {
    error_ = path_ + ": " + why;
    return false;
  }

  std::string path_;
  std::unique_ptr<InputFile> input_;
  std::unique_ptr<VideoReader> reader_;
  std::vector<std::uint8_t> frame_;
  FrameSize size_;
  std::string error_;
};

struct Outcome {
  const char* outcome = "timeout";
  Reason reason = Reason::None;
  bool hasBox = false;
  Rect box;
  int frames = 0;
  std::int32_t samples = 0;
};

// The frame pixels the found mask picture keys, as the plug-in loads and places it.
bool FoundBox(const LogoFinding::Found& found, FrameSize size, Rect& box) {
  std::string fileName = found.maskFileName;
  LogoMask rebuilt;
  if (!LogoCoverage(size.width, size.height).OfFile(fileName, found.shape, rebuilt)) return false;
  box = rebuilt.Bounds();
  return !box.IsEmpty();
}

int Run(const std::string& path) {
  LoopedClip clip(path);
  if (!clip.Open() || !clip.Next()) {
    std::fprintf(stderr, "kestrimo_live_search: %s\n", clip.Error().c_str());
    return 2;
  }
  // The folder outlives the plug-in's state, which may still name its files.
  testing::PictureFolder folder;
  Outcome result;
  {
    PluginState state;
    SettingsLocation location;
    location.folder = folder.PathOf("");
    location.moduleName = "KRD_Kestrimo";
    location.fileName = "KRD_Kestrimo.ini";
    location.path = location.folder + location.fileName;
    state.Profile.SetLocation(location);
    ReadSettings(state);
    VideoFormat video{clip.Size().width, clip.Size().height, 0, kFrameModeYuy2, 3};
    PluginSetFormat(state, &video);

    ChannelInfo channel{};
    channel.id = kChannel;
    FrameInfo frame{};
    frame.channel = &channel;
    auto send = [&]() {
      frame.pixels = clip.Frame();
      ProcessFrame(state, &frame);
      ++result.frames;
    };
    send();  // the channel on screen
    const Reason refused = state.Finding.Start(state);
    if (refused != Reason::None) {
      result.outcome = "not-found";
      result.reason = refused;
    } else {
      for (;;) {
        const LogoFinding::Progress progress = state.Finding.Poll();
        result.samples = progress.samples;
        if (progress.phase == Phase::Found || progress.phase == Phase::NotFound) {
          result.outcome = progress.phase == Phase::Found ? "found" : "not-found";
          result.reason = progress.reason;
          break;
        }
        if (result.frames >= kMaxFrames) break;
        if (!clip.Next()) {
          std::fprintf(stderr, "kestrimo_live_search: %s\n", clip.Error().c_str());
          state.Finding.Stop();
          return 2;
        }
        send();
        if (progress.phase == Phase::Deciding) {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      }
      LogoFinding::Found found;
      if (state.Finding.TakeFound(found)) {
        result.hasBox = FoundBox(found, clip.Size(), result.box);
      }
    }
    state.Finding.Stop();
  }
  std::string box = "null";
  if (result.hasBox) {
    box = "[" + std::to_string(result.box.left) + ", " + std::to_string(result.box.top) + ", " +
          std::to_string(result.box.right) + ", " + std::to_string(result.box.bottom) + "]";
  }
  std::printf("{\"outcome\": \"%s\", \"reason\": \"%s\", \"box\": %s, \"frames\": %d, "
              "\"samples\": %d}\n",
              result.outcome, ReasonName(result.reason), box.c_str(), result.frames,
              static_cast<int>(result.samples));
  return 0;
}

}  // namespace
}  // namespace kestrimo

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kestrimo_live_search CLIP.y4m\n");
    return 2;
  }
  return kestrimo::Run(argv[1]);
}
