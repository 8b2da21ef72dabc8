#include "tools/kestrimo-host/detect/DetectRun.h"

#include <cctype>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <utility>

#include "detect/LogoFinder.h"
#include "detect/LogoModel.h"
#include "detect/ShapePresence.h"
#include "detect/ClockWatch.h"
#include "detect/ModelPicture.h"
#include "detect/LogoStatistics.h"
#include "base/FrameGeometry.h"
#include "detect/MaskBitmap.h"
#include "detect/LogoCoverage.h"
#include "tools/kestrimo-host/detect/LogoOverlay.h"
#include "tools/kestrimo-host/detect/LogoSettings.h"
#include "tools/kestrimo-host/pictures/PictureFiles.h"
#include "tools/kestrimo-host/pictures/SnapshotImage.h"
#include "tools/kestrimo-host/process/Console.h"
#include "tools/kestrimo-host/process/ExitCodes.h"
#include "tools/kestrimo-host/process/Interrupts.h"
#include "tools/kestrimo-host/stream/StreamFiles.h"
#include "tools/kestrimo-host/stream/VideoReader.h"

namespace kestrimo {
namespace {

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

// Sampled frames kept for a second look at most, in bytes.
constexpr std::size_t kKeptBytes = std::size_t{512} << 20;

// What the frames told: the statistics, the first frame (for the overlay when
// the others are not kept), and the sampled frames while they fit in kKeptBytes.
struct Sampling {
  LogoStatistics statistics;
  std::vector<std::uint8_t> firstFrame;
  std::vector<std::vector<std::uint8_t>> sampled;
  // With the logo shown in some frames only: their statistics, for its model.
  LogoStatistics shown;
  bool partly = false;
  bool keptAll = true;
  std::ptrdiff_t stride = 0;
  std::int32_t mode = 0;
  std::int64_t framesRead = 0;
  double seconds = 0;
};

void Keep(const std::vector<std::uint8_t>& frame, Sampling& sampling) {
  if (!sampling.keptAll) return;
  if ((sampling.sampled.size() + 1) * frame.size() > kKeptBytes) {
    sampling.keptAll = false;
    sampling.sampled.clear();
    sampling.sampled.shrink_to_fit();
    return;
  }
  try {
    sampling.sampled.push_back(frame);
  } catch (const std::bad_alloc&) {
    sampling.keptAll = false;
    sampling.sampled.clear();
  }
}

// Reads up to options.frames frames; an error text, or empty. A stream that
// ends early, even inside a frame, leaves the frames read whole.
std::string Sample(const DetectOptions& options, VideoReader& reader, InputFile& input,
                   Sampling& sampling) {
  const StreamLayout& layout = reader.Layout();
  std::vector<std::uint8_t> frame(reader.FrameBytes());
  const std::ptrdiff_t stride =
      static_cast<std::ptrdiff_t>(reader.FrameBytes() / static_cast<std::size_t>(layout.size.height));
  const std::int32_t mode = layout.format == StreamFormat::Bgr24 ? kFrameModeBgr : kFrameModeYuy2;
  // Offline there is time to look at frames up to 2048 x 1536 whole.
  if (!sampling.statistics.Start(layout.size.width, layout.size.height, mode,
                                 LogoStatistics::kMaxWholePixels)) {
    return "not enough memory for the statistics of " + std::to_string(layout.size.width) + "x" +
           std::to_string(layout.size.height) + " frames";
  }
  sampling.stride = stride;
  sampling.mode = mode;
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
      sampling.statistics.AddFrame(frame.data(), stride);
      Keep(frame, sampling);
    }
    sampling.framesRead = index + 1;
    progress.Frame(index + 1);
  }
  sampling.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {};
}

std::string NoLogoText(const LogoSearch& search, const Sampling& sampling, std::int64_t step) {
  const std::string read = std::to_string(sampling.framesRead) + " frames read";
  switch (search.outcome) {
    case LogoSearch::Outcome::TooFewSamples:
      return "cannot tell: too few frames, " + std::to_string(search.samples) +
             " looked at (" + read + "), at least " + std::to_string(LogoFinder::kMinSamples) +
             " are needed; give a longer stretch (--frames)" +
             (step > 1 ? " or a smaller --step" : std::string());
    case LogoSearch::Outcome::StillCamera:
      if (search.stillShare <= LogoFinder::kMaxStillShare &&
          search.movingShare >= LogoFinder::kMinMovingShare) {
        return "cannot tell: " + std::to_string(search.unproven) +
               " shape(s) near the top or bottom keep their edges, but nothing ever changed "
               "around them (still scenery, or a logo over it); give a stretch where the camera "
               "moves or something passes in front of them (" + read + ")";
      }
      if (search.movingShare < LogoFinder::kMinMovingShare) {
        return "cannot tell: nothing moves in the middle of the frame (a still camera or a still "
               "picture), so a logo looks like the rest; give a stretch where the camera moves "
               "or the scene changes (" + read + ")";
      }
      return "cannot tell: the picture keeps its edges in the middle of the frame too (" +
             std::to_string(static_cast<int>(100 * search.stillShare + 0.5)) +
             "% of it, a still camera or a still picture), so a logo looks like the rest; "
             "give a stretch where the camera moves or the scene changes (" + read + ")";
    default:
      return "no logo: no shape near the top or bottom of the picture keeps its edges while the "
             "picture around it changes" +
             (search.scenery > 0 ? " (" + std::to_string(search.scenery) +
                                       " still shape(s) were hidden by what passed in front: scenery)"
                                 : std::string()) +
             " (" + read + ")";
  }
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  return absolute.make_preferred().string();
}

// The frame looked at that shows the logo's edges best, for the overlay
// picture: a film often starts black, an ad break without the logo. The
// first frame when the frames could not be kept.
const std::vector<std::uint8_t>& ShowingFrame(const Sampling& sampling, const LogoSearch& search) {
  if (!sampling.keptAll || sampling.sampled.empty() || search.shapes.empty())
    return sampling.firstFrame;
  ShapePresence presence(sampling.statistics, search.shapes.front());
  std::size_t best = 0;
  double bestShare = -1;
  for (std::size_t i = 0; i < sampling.sampled.size(); ++i) {
    const double share = presence.Shows(sampling.sampled[i].data(), sampling.stride);
    if (share > bestShare) {
      best = i;
      bestShare = share;
    }
  }
  return sampling.sampled[best];
}

std::string WriteOverlay(const DetectOptions& options, const StreamLayout& layout,
                         const Sampling& sampling, const LogoSearch& search, const LogoMask& logo,
                         const Rect& area) {
  const std::vector<std::uint8_t> rgb = LogoOverlayRgb(
      layout.format, layout.size, ShowingFrame(sampling, search).data(), logo, area);
  const std::vector<std::uint8_t> png =
      EncodePng({rgb.data(), layout.size.width, layout.size.height, 3 * static_cast<std::size_t>(layout.size.width)});
  return WritePictureFile(options.overlayPath, png, "cannot write " + options.overlayPath);
}

bool EndsWithPng(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".png";
}

// The model file the plug-in reads: --model FILE (unless it names a .png,
// the frame-size picture to look at), or with --write beside the mask
// picture; empty: none.
std::string ModelFilePath(const DetectOptions& options, const std::string& maskPath) {
  if (!options.modelPath.empty() && !EndsWithPng(options.modelPath))
    return AbsolutePath(options.modelPath);
  if (!options.writeChannel) return {};
  const std::string::size_type dot = maskPath.find_last_of('.');
  const std::string::size_type folder = maskPath.find_last_of("/\\");
  const bool extension = dot != std::string::npos && (folder == std::string::npos || dot > folder);
  return (extension ? maskPath.substr(0, dot) : maskPath) + "-model.bmp";
}

// The logo's colour (as the tool turns YUV into RGB) and opacity as alpha,
// transparent beyond the mask, at the frame's size: a picture to look at.
std::string WriteModelPng(const std::string& path, const LogoModel& model) {
  const int width = model.Width(), height = model.Height();
  std::vector<std::uint8_t> rgba(4 * static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const LogoModelPixel& pixel = model.At(x, y);
      const std::uint8_t pair[4] = {pixel.y, pixel.u, pixel.y, pixel.v};
      std::uint8_t rgb[6];
      Yuy2PairToRgb(pair, rgb);
      std::uint8_t* out = rgba.data() + 4 * (static_cast<std::size_t>(y) * width + x);
      out[0] = rgb[0];
      out[1] = rgb[1];
      out[2] = rgb[2];
      out[3] = pixel.opacity;
    }
  }
  const std::vector<std::uint8_t> png =
      EncodePng({rgba.data(), width, height, 4 * static_cast<std::size_t>(width), 4});
  return WritePictureFile(path, png, "cannot write " + path);
}

// The model picture as the plug-in reads it, or the frame-size PNG; an error
// text, or empty.
std::string WriteModel(const DetectOptions& options, const std::string& modelFile,
                       const Sampling& sampling, const LogoMask& logo,
                       const LogoPicture& picture) {
  LogoModel model;
  model.Estimate(sampling.partly ? sampling.shown : sampling.statistics, logo);
  if (!options.modelPath.empty() && EndsWithPng(options.modelPath)) {
    if (std::string error = WriteModelPng(options.modelPath, model); !error.empty()) return error;
  }
  if (modelFile.empty()) return {};
  if (!WriteFileReplacing(HostFileSystem(), modelFile,
                          EncodeModelBitmap(BuildModelPicture(model, picture)))) {
    return "cannot write " + modelFile;
  }
  return {};
}

// A record that uses the picture file at `path` for the picture's area.
ChannelSettings RecordFor(const LogoPicture& picture, const std::string& path, std::uint32_t key,
                          std::int32_t expand) {
  ChannelSettings record = TableDefaults();
  record.SetShape(ShapeFor(picture, key, expand));
  record.MaskFileName = path;
  record.ProcEnable = 1;
  return record;
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

// Overlays beside which digits change as a clock's do are the programme's
// clock, not a logo: each is named and left out, and with the logo among
// them the next overlay is the logo, or there is none.
void LeaveOutClocks(const Sampling& sampling, LogoSearch& search) {
  if (search.outcome != LogoSearch::Outcome::Found || !sampling.keptAll) return;
  ClockWatch watch;
  watch.Start(search, sampling.statistics.FrameWidth(), sampling.statistics.FrameHeight(),
              static_cast<std::int32_t>(sampling.sampled.size()));
  for (const std::vector<std::uint8_t>& frame : sampling.sampled)
    watch.Add(frame.data(), sampling.stride, sampling.mode);
  for (const Rect& box : watch.LeaveOutClocks(search)) {
    std::fprintf(stderr, "detect: a clock at x %d..%d, y %d..%d (digits beside it change at "
                 "regular times), left out\n", box.left, box.right - 1, box.top, box.bottom - 1);
  }
}

// A second look at the sampled frames: the first shape (the logo, then
// shapes taken for scenery; with no logo found, also shapes whose edges
// last in half the frames) that some frames clearly show and others clearly
// do not (an ad break, a logo faded out; at most a fifth of the frames
// unclear) is looked for again in the frames that show it alone, and its
// colour and opacity estimated from them. A logo found at first keeps its
// mask; otherwise the search is replaced when the second look finds it.
void LookAgain(Sampling& sampling, LogoSearch& search) {
  if (!sampling.keptAll || sampling.sampled.empty()) return;
  const std::size_t n = sampling.sampled.size();
  const bool wasFound = search.outcome == LogoSearch::Outcome::Found;
  std::vector<LogoMask> shapes = search.shapes;
  // A logo found: only its own frames matter, not those of other shapes.
  if (wasFound) shapes.resize(1);
  if (!wasFound) {
    // Nothing lasts in most frames: shapes that last in half of them.
    LogoSearch loose = LogoFinder(LogoFinder::kLooseLastingTenths).Find(sampling.statistics);
    for (LogoMask& shape : loose.shapes) shapes.push_back(std::move(shape));
  }
  for (const LogoMask& shape : shapes) {
    ShapePresence presence(sampling.statistics, shape);
    std::vector<bool> shows(n);
    std::size_t shown = 0, unclear = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double share = presence.Shows(sampling.sampled[i].data(), sampling.stride);
      shows[i] = share >= ShapePresence::kShownShare;
      shown += shows[i];
      unclear += !shows[i] && share > ShapePresence::kHiddenShare;
    }
    if (shown == n || 5 * unclear > n) continue;  // shown throughout, or no clear split
    if (shown < static_cast<std::size_t>(LogoFinder::kMinSamples)) continue;
    LogoStatistics again;
    const LogoStatistics& all = sampling.statistics;
    if (!again.Start(all.FrameWidth(), all.FrameHeight(), all.Mode(), LogoStatistics::kMaxWholePixels))
      return;
    for (std::size_t i = 0; i < n; ++i) {
      if (shows[i]) again.AddFrame(sampling.sampled[i].data(), sampling.stride);
    }
    LogoSearch found = LogoFinder().Find(again);
    if (!FoundAgain(found, shape, all.Scale())) continue;
    std::fprintf(stderr, "detect: the logo shows in %" PRId64 " of %" PRId64 " frames looked at; %s\n",
                 static_cast<std::int64_t>(shown), static_cast<std::int64_t>(n),
                 wasFound ? "its colour and opacity are estimated from those"
                          : "found again in those");
    // A logo found in all frames keeps its mask; one found only in those
    // that show it takes that search.
    if (!wasFound) search = std::move(found);
    sampling.shown = std::move(again);
    sampling.partly = true;
    return;
  }
}

// Every overlay found (the logo, then the others strongest first), and the
// picture inside any bars.
void ReportOverlays(const LogoSearch& search, const FrameSize& size) {
  const Rect& p = search.picture;
  if (p.left > 0 || p.top > 0 || p.right < size.width || p.bottom < size.height) {
    std::fprintf(stderr, "detect: the picture inside the bars is x %d..%d, y %d..%d\n", p.left,
                 p.right - 1, p.top, p.bottom - 1);
  }
  for (std::size_t i = 0; i < search.overlays.size(); ++i) {
    const FoundOverlay& overlay = search.overlays[i];
    std::fprintf(stderr, "detect: overlay %" PRId64 " at x %d..%d, y %d..%d, score %.0f%s\n",
                 static_cast<std::int64_t>(i + 1),
                 overlay.box.left, overlay.box.right - 1, overlay.box.top, overlay.box.bottom - 1,
                 overlay.score, i == 0 ? " (the logo)" : "");
  }
}

// The logo's pixels, or with --all-overlays those of every overlay.
LogoMask MaskOf(const LogoSearch& search, bool allOverlays) {
  LogoMask mask = search.mask;
  if (!allOverlays) return mask;
  for (const FoundOverlay& overlay : search.overlays) {
    for (int y = overlay.box.top; y < overlay.box.bottom; ++y) {
      for (int x = overlay.box.left; x < overlay.box.right; ++x) {
        if (overlay.mask.At(x, y)) mask.Set(x, y, true);
      }
    }
  }
  return mask;
}

}  // namespace

int RunDetect(const DetectOptions& options, const std::string& settingsFile) {
  CatchInterrupts();
  InputFile input;
  if (!input.Open(options.input)) return Report(kExitDetectError, input.Error());
  VideoReader reader(input);
  if (!reader.Start(options.format, options.size)) {
    return Report(reader.IsUsageError() ? kExitUsageError : kExitDetectError, reader.Error());
  }
  const FrameSize size = reader.Layout().size;
  if (static_cast<std::int64_t>(size.width) * size.height > LogoStatistics::kMaxPixels) {
    return Report(kExitUsageError, "frames of " + std::to_string(size.width) + "x" +
                                       std::to_string(size.height) +
                                       " are too large to look for a logo in; scale them down first");
  }
  Sampling sampling;
  if (std::string error = Sample(options, reader, input, sampling); !error.empty()) {
    return Report(kExitDetectError, error);
  }
  if (sampling.seconds > 0 && sampling.framesRead > 0) {
    std::fprintf(stderr, "detect: %" PRId64 " frames read in %.2f s (%.0f frames/s)\n",
                 sampling.framesRead, sampling.seconds, sampling.framesRead / sampling.seconds);
  }
  const auto decided = std::chrono::steady_clock::now();
  LogoSearch search = LogoFinder().Find(sampling.statistics);
  LeaveOutClocks(sampling, search);
  LookAgain(sampling, search);
  std::fprintf(stderr, "detect: decided in %.3f s\n",
               std::chrono::duration<double>(std::chrono::steady_clock::now() - decided).count());
  if (search.outcome != LogoSearch::Outcome::Found) {
    return Report(search.outcome == LogoSearch::Outcome::NoLogo ? kExitNoLogo : kExitCannotTell,
                  NoLogoText(search, sampling, options.step));
  }

  const StreamLayout& layout = reader.Layout();
  ReportOverlays(search, layout.size);
  const LogoMask logo = MaskOf(search, options.allOverlays);
  std::optional<LogoSettingsFile> settings;
  ChannelSettings detected = TableDefaults();
  if (options.writeChannel) {
    if (settingsFile.empty()) {
      return Report(kExitDetectError,
                    "cannot tell where the plug-in keeps its settings file; give --settings FILE");
    }
    settings.emplace(settingsFile);
    if (!settings->Load()) return Report(kExitDetectError, settings->Error());
    detected.ColorKey = settings->Channel(*options.writeChannel).ColorKey & 0xFFFFFFu;
  }
  if (options.key) detected.ColorKey = *options.key;

  LogoCoverage coverage(layout.size.width, layout.size.height);
  LogoPicture picture = PlaceLogoPicture(logo, options.margin);
  coverage.Fit(picture, logo, detected.ColorKey);
  const std::string maskPath = AbsolutePath(options.maskPath);
  if (!WriteFileReplacing(HostFileSystem(), maskPath, EncodeMaskBitmap(picture, detected.ColorKey))) {
    return Report(kExitDetectError, "cannot write " + maskPath);
  }
  detected = RecordFor(picture, maskPath, detected.ColorKey, options.expand);
  LogoMask rebuilt;
  std::string loaded = maskPath;
  if (!coverage.OfFile(loaded, detected.Shape(), rebuilt)) {
    return Report(kExitDetectError, "the plug-in cannot load the mask picture written to " + maskPath);
  }
  ReportFit(logo, rebuilt, picture);
  if (!options.overlayPath.empty()) {
    if (std::string error = WriteOverlay(options, layout, sampling, search, logo, picture.area); !error.empty()) {
      return Report(kExitDetectError, error);
    }
  }
  const std::string modelFile = ModelFilePath(options, maskPath);
  if (std::string error = WriteModel(options, modelFile, sampling, logo, picture); !error.empty())
    return Report(kExitDetectError, error);
  detected.LogoModelFile = modelFile;
  detected.LogoPresenceCheck = 1;  // a found logo is taken out only while it shows
  detected.LogoSeeThrough = 1;     // with or without a model
  if (settings) {
    if (!settings->Store(*options.writeChannel, detected)) return Report(kExitDetectError, settings->Error());
    std::fprintf(stderr, "detect: channel %" PRId64 " of %s now uses the mask\n",
                 static_cast<std::int64_t>(*options.writeChannel), settingsFile.c_str());
  } else {
    // A section on a file's first line is never read as a channel: COMMON
    // comes first, so that the printed text saved as a file works as it is.
    std::fputs(("[COMMON]\n" + LogoSectionText(options.channelId, detected)).c_str(), stdout);
  }
  return kExitDone;
}

}  // namespace kestrimo
