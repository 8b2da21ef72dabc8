// Finding the logo of the channel being watched, while it plays. The
// settings window starts a collection; from the next frame on, the frame
// driver adds a band of each frame's rows to the statistics (a fixed cost
// per frame, nothing allocated); when enough is collected, a worker thread
// decides. When nothing lasted through the samples but shapes lasted in
// half of them (a logo taken off for an ad break), it collects once more,
// from the frames that show the first such shape only, and decides on
// those. When it found overlays, the frame driver then keeps their
// surroundings from a few seconds of frames (ClockWatch) and a clock among
// them is left out. The worker fits the mask picture to the plug-in's own
// rebuild and writes it
// and the logo model into a folder beside the settings file, under names new
// to the folder (FoundPictureFiles); the window polls for the outcome and
// applies it to the channel. A channel switch or a new frame format ends a
// collection without a result.
//
// No file a setting names is ever changed: a result only ever adds files, and
// the channel records alone decide which of them stay. What the search wrote
// and no record, restorable record or saved setting names is removed when a
// search starts or stops, and when the window keeps or discards its changes.
//
// Threads: Start, Stop, Poll, TakeFound, KeepNamedPictures and
// RemoveUnnamedPictures belong to the window's thread (or the shutdown),
// AddFrame to the video thread under SettingsLock; the worker never takes
// SettingsLock, and no lock is held while the worker is joined.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "detect/ClockWatch.h"
#include "detect/LogoFinder.h"
#include "detect/LogoStatistics.h"
#include "detect/ShapePresence.h"
#include "engine/FoundPictureFiles.h"
#include "engine/NamedFiles.h"
#include "mask/MaskShape.h"
#include "model/HostRecords.h"
#include "platform/FileSystem.h"
#include "platform/RecursiveLock.h"

namespace kestrimo {

class PluginState;

class LogoFinding {
 public:
  enum class Phase { Idle, Collecting, Deciding, Watching, Found, NotFound };
  enum class Reason {
    None,
    NoFrames,          // no frame format yet, or no channel
    OutOfMemory,
    UnsupportedFormat, // frames neither YUY2 nor 24-bit RGB
    FrameTooLarge,     // more pixels than the statistics take (LogoStatistics::kMaxPixels)
    TooLittleMovement, // a still picture or camera, or too few samples
    NoLogo,            // the picture moves but nothing stays near the edges
    CannotWrite,       // the folder or the picture file could not be written
    Interrupted,       // channel switch or new frame format
  };
  struct Progress {
    Phase phase = Phase::Idle;
    Reason reason = Reason::None;
    std::int32_t samples = 0;  // whole frames' worth of rows collected
    double seconds = 0;        // since the collection started
  };
  // The mask found: the channel searched, the picture's file and the shape
  // that places it, and the file of the logo's colour and opacity (empty
  // when none was written).
  struct Found {
    ChannelId channel = 0;
    std::string maskFileName;
    MaskShape shape;
    std::string modelFileName;
  };

  // Enough samples to decide; the collection decides after kMaxSeconds with
  // what it has.
  static constexpr std::int32_t kEnoughSamples = 64;
  static constexpr double kMaxSeconds = 20.0;
  // Pixels of the statistics added per frame: a 720 x 576 frame is swept in
  // 8 frames, a 1920 x 1080 one (looked at in halves) in 10.
  static constexpr std::int64_t kPixelsPerFrame = std::int64_t{720} * 576 / 8;
  // The overlays found are watched for a clock over this many frames, one
  // in kWatchStep: 5 seconds at 25 frames a second, 4 ticks of a clock's
  // seconds.
  static constexpr std::int32_t kWatchSamples = 64;
  static constexpr std::int32_t kWatchStep = 2;
  // Frame pixels of kept picture around the logo in the mask picture.
  static constexpr std::int32_t kMargin = 4;

  LogoFinding() = default;
  LogoFinding(const LogoFinding&) = delete;
  LogoFinding& operator=(const LogoFinding&) = delete;
  ~LogoFinding() { Stop(); }

  // Starts a collection on the current channel and frame format (a running
  // one is stopped first), after removing what earlier searches left that
  // nothing names. Reason::None when started.
  Reason Start(PluginState& state, FileSystem& files = HostFileSystem());
  // Ends a collection or a decision without a result, waits for the worker
  // and frees the statistics; a result written but not taken is removed.
  void Stop();
  Progress Poll() const;
  // Once Found: the result, and back to Idle. False otherwise.
  bool TakeFound(Found& found);

  // After the window applied results to the records: the files written that
  // the channel records name now are kept for good (never removed by a
  // search); the others that nothing names are removed. Keep when the
  // window's changes stay, remove when they are discarded (once the records
  // are restored) or a result was not applied.
  void KeepNamedPictures();
  void RemoveUnnamedPictures();

  // Video thread, under SettingsLock: adds this frame's band of rows.
  void AddFrame(const std::uint8_t* pixels, ChannelId channel, std::int32_t width,
                std::int32_t height, std::int32_t mode);

 private:
  void Work();
  void Decide();
  bool Watch(LogoSearch& search);
  bool LookAgain(LogoSearch& search);
  bool Collected();
  bool Shows(const std::uint8_t* pixels, std::ptrdiff_t stride);
  void Finish(Phase phase, Reason reason);
  void EndPhase(Phase from, Phase to);
  void Tidy(bool keep);
  double Seconds() const;

  // Fixed while a collection runs.
  ChannelId channel_ = 0;
  std::int32_t width_ = 0, height_ = 0, mode_ = 0;
  std::uint32_t key_ = 0;
  std::string folder_;  // ends with a backslash
  FileSystem* files_ = nullptr;
  PluginState* state_ = nullptr;  // null until the first Start
  NamedFiles named_;              // at Start: names the worker does not give
  RecursiveLock* frameLock_ = nullptr;  // SettingsLock, held around AddFrame

  // The video thread's, while collecting; the worker's while deciding.
  LogoStatistics statistics_;
  LogoStatistics* collecting_ = &statistics_;
  std::int32_t cursor_ = 0;
  std::int32_t band_ = 1;
  std::int64_t startTicks_ = 0;
  std::int64_t collectTicks_ = 0;  // since the collection under way started
  // A second look: the frames that show `shape_` (or not, or unclear),
  // and the statistics of those that show it.
  std::optional<ShapePresence> shape_;
  std::int32_t shown_ = 0, hidden_ = 0, unclear_ = 0;
  LogoStatistics showing_;
  // The worker's until Watching, then the video thread's until Deciding.
  ClockWatch clocks_;
  std::int32_t watchFrames_ = 0;

  FoundPictureFiles pictures_;  // serialises its own work

  std::atomic<Phase> phase_{Phase::Idle};
  std::atomic<std::int32_t> samples_{0};
  mutable std::mutex mutex_;  // guards what follows
  std::condition_variable wake_;
  bool stopping_ = false;
  Reason reason_ = Reason::None;
  Found found_;
  std::thread worker_;
};

}  // namespace kestrimo
