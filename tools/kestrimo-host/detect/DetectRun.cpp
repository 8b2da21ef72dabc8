#include "tools/kestrimo-host/detect/DetectRun.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "tools/kestrimo-host/detect/DetectLuma.h"
#include "tools/kestrimo-host/detect/LogoBitmapFile.h"
#include "tools/kestrimo-host/detect/LogoCoverage.h"
#include "tools/kestrimo-host/detect/LogoDetector.h"
#include "tools/kestrimo-host/detect/LogoOverlay.h"
#include "tools/kestrimo-host/detect/LogoSettings.h"
#include "tools/kestrimo-host/pictures/PictureFiles.h"
#include "tools/kestrimo-host/process/Console.h"
#include "tools/kestrimo-host/process/ExitCodes.h"
#include "tools/kestrimo-host/process/Interrupts.h"
#include "tools/kestrimo-host/stream/StreamFiles.h"
#include "tools/kestrimo-host/stream/VideoReader.h"

namespace kestrimo {
namespace {

// The statistics and work images take about 30 bytes per pixel: frames up to
// 4096 x 4096 keep that within reach of a 32-bit process.
constexpr std::int64_t kMaxDetectPixels = std::int64_t{4096} * 4096;

int Report(int code, const std::string& message) {
  std::fprintf(stderr, "kestrimo-host detect: %s\n", message.c_str());
  return code;
}

class DetectProgress {
 public:
  explicit DetectProgress(std::int64_t total) : total_(total), shown_(IsTerminal(stderr)) {}
  ~DetectProgress() {
    if (shown_ && any_) std::fputc('\n', stderr);
  }
  void Frame(std::int64_t done) {
    if (!shown_ || (done % 5 != 0 && done != total_)) return;
    any_ = true;
    std::fprintf(stderr, "\rdetect: frame %" PRId64 " of %" PRId64 " (%d%%)", done, total_,
                 static_cast<int>(100 * done / total_));
  }

 private:
  std::int64_t total_;
  bool shown_;
  bool any_ = false;
};

// What the frames told: the statistics and the first frame, for the overlay.
struct Sampling {
  LogoStatistics statistics;
  std::vector<std::uint8_t> firstFrame;
  std::int64_t framesRead = 0;
  double seconds = 0;
};

// Reads up to options.frames frames; an error text, or empty. A stream that
// ends early, even inside a frame, leaves the frames read whole.
std::string Sample(const DetectOptions& options, VideoReader& reader, InputFile& input,
                   Sampling& sampling) {
  const StreamLayout& layout = reader.Layout();
  std::vector<std::uint8_t> frame(reader.FrameBytes());
  std::vector<std::uint8_t> luma(static_cast<std::size_t>(layout.size.width) * layout.size.height);
  sampling.statistics.Reset(layout.size.width, layout.size.height);
  DetectProgress progress(options.frames);
  const auto start = std::chrono::steady_clock::now();
  for (std::int64_t index = 0; index < options.frames; ++index) {
    if (InterruptRequested()) return "interrupted after " + std::to_string(index) + " frames";
    const VideoReader::Status status = reader.ReadFrame(frame.data());
    if (status == VideoReader::Status::Failed) {
      return input.Error().empty() ? "cannot read " + input.Name() : input.Error();
    }
    if (status == VideoReader::Status::Truncated || status == VideoReader::Status::BadFrameLine) {
      std::fprintf(stderr, "detect: the input breaks off at frame %" PRId64 "; using the %" PRId64
                   " whole frames before it\n", index, index);
    }
    if (status != VideoReader::Status::Frame) break;
    if (index == 0) sampling.firstFrame = frame;
    if (index % options.step == 0) {
      FrameLuma(layout.format, layout.size, frame.data(), luma.data());
      sampling.statistics.Add(luma.data());
    }
    sampling.framesRead = index + 1;
    progress.Frame(index + 1);
  }
  sampling.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {};
}

std::string NoLogoText(const LogoSearch& search, const Sampling& sampling) {
  const std::string read = std::to_string(sampling.framesRead) + " frames read";
  switch (search.outcome) {
    case LogoSearch::Outcome::TooFewFrames:
      return "too few frames: " + std::to_string(sampling.statistics.Samples()) +
             " looked at (" + read + "), at least " + std::to_string(LogoDetector::kMinSamples) +
             " are needed; give a longer stretch or a smaller --step";
    case LogoSearch::Outcome::StillPicture:
      return "nothing moves in the " + read +
             " (a still picture): a logo cannot be told apart from the rest";
    default:
      return "no logo found: no area near the corners or edges stays still while the picture "
             "around it moves (" + read + ")";
  }
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  return absolute.make_preferred().string();
}

std::string WriteOverlay(const DetectOptions& options, const StreamLayout& layout,
                         const Sampling& sampling, const LogoSearch& search, const Rect& area) {
  const std::vector<std::uint8_t> rgb =
      LogoOverlayRgb(layout.format, layout.size, sampling.firstFrame.data(), search.mask, area);
  const std::vector<std::uint8_t> png =
      EncodePng({rgb.data(), layout.size.width, layout.size.height, 3 * static_cast<std::size_t>(layout.size.width)});
  return WritePictureFile(options.overlayPath, png, "cannot write " + options.overlayPath);
}

double Percent(std::int64_t part, std::int64_t whole) {
  return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

// How well the picture, as the plug-in loads and places it, fits the logo.
void ReportFit(const LogoMask& logo, const LogoMask& rebuilt, const LogoPicture& picture) {
  std::int64_t logoPixels = 0, covered = 0, extra = 0;
  for (int y = 0; y < logo.Height(); ++y) {
    for (int x = 0; x < logo.Width(); ++x) {
      logoPixels += logo.At(x, y);
      covered += logo.At(x, y) && rebuilt.At(x, y);
      extra += !logo.At(x, y) && rebuilt.At(x, y);
    }
  }
  const Rect box = logo.Bounds();
  std::fprintf(stderr,
               "detect: logo at x %d..%d, y %d..%d (%" PRId64 " pixels); mask picture %dx%d, "
               "MaskPosX=%d MaskPosY=%d; it covers %.1f%% of the logo, %.1f%% more around it\n",
               box.left, box.right - 1, box.top, box.bottom - 1, logoPixels, picture.width,
               picture.height, picture.posX, picture.posY, Percent(covered, logoPixels),
               Percent(extra, logoPixels));
}

}  // namespace

int RunDetect(const DetectOptions& options, const std::string& settingsFile) {
  CatchInterrupts();
  InputFile input;
  if (!input.Open(options.input)) return Report(kExitRuntimeError, input.Error());
  VideoReader reader(input);
  if (!reader.Start(options.format, options.size)) {
    return Report(reader.IsUsageError() ? kExitUsageError : kExitRuntimeError, reader.Error());
  }
  const FrameSize size = reader.Layout().size;
  if (static_cast<std::int64_t>(size.width) * size.height > kMaxDetectPixels) {
    return Report(kExitUsageError, "frames of " + std::to_string(size.width) + "x" +
                                       std::to_string(size.height) +
                                       " are too large to look for a logo in; scale them down first");
  }
  Sampling sampling;
  if (std::string error = Sample(options, reader, input, sampling); !error.empty()) {
    return Report(kExitRuntimeError, error);
  }
  if (sampling.seconds > 0 && sampling.framesRead > 0) {
    std::fprintf(stderr, "detect: %" PRId64 " frames read in %.2f s (%.0f frames/s)\n",
                 sampling.framesRead, sampling.seconds, sampling.framesRead / sampling.seconds);
  }
  const LogoSearch search = LogoDetector().Find(sampling.statistics);
  if (search.outcome != LogoSearch::Outcome::Found) {
    return Report(kExitRuntimeError, NoLogoText(search, sampling));
  }
  if (search.otherAreas > 0) {
    std::fprintf(stderr, "detect: %d other still area(s) passed over; check the overlay\n",
                 search.otherAreas);
  }

  const StreamLayout& layout = reader.Layout();
  std::optional<LogoSettingsFile> settings;
  ChannelSettings detected = TableDefaults();
  if (options.writeChannel) {
    if (settingsFile.empty()) {
      return Report(kExitRuntimeError,
                    "cannot tell where the plug-in keeps its settings file; give --settings FILE");
    }
    settings.emplace(settingsFile);
    if (!settings->Load()) return Report(kExitRuntimeError, settings->Error());
    detected.ColorKey = settings->Channel(*options.writeChannel).ColorKey & 0xFFFFFFu;
  }
  if (options.key) detected.ColorKey = *options.key;

  LogoCoverage coverage(layout.size.width, layout.size.height);
  LogoPicture picture = PlaceLogoPicture(search.mask, options.margin);
  coverage.Fit(picture, search.mask, detected.ColorKey);
  const std::string maskPath = AbsolutePath(options.maskPath);
  if (std::string error = WriteLogoBitmap(maskPath, picture, detected.ColorKey); !error.empty()) {
    return Report(kExitRuntimeError, error);
  }
  detected = RecordFor(picture, maskPath, detected.ColorKey, options.expand);
  LogoMask rebuilt;
  if (!coverage.OfRecord(detected, rebuilt)) {
    return Report(kExitRuntimeError, "the plug-in cannot load the mask picture written to " + maskPath);
  }
  ReportFit(search.mask, rebuilt, picture);
  if (!options.overlayPath.empty()) {
    if (std::string error = WriteOverlay(options, layout, sampling, search, picture.area); !error.empty()) {
      return Report(kExitRuntimeError, error);
    }
  }
  if (settings) {
    if (!settings->Store(*options.writeChannel, detected)) return Report(kExitRuntimeError, settings->Error());
    std::fprintf(stderr, "detect: channel %" PRId64 " of %s now uses the mask\n",
                 static_cast<std::int64_t>(*options.writeChannel), settingsFile.c_str());
  } else {
    std::fputs(LogoSectionText(options.channelId, detected).c_str(), stdout);
  }
  return kExitDone;
}

}  // namespace kestrimo
