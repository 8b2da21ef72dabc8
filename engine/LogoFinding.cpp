#include "engine/LogoFinding.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "base/FrameGeometry.h"
#include "detect/LogoCoverage.h"
#include "detect/LogoFinder.h"
#include "detect/LogoModel.h"
#include "detect/LogoPicture.h"
#include "detect/MaskBitmap.h"
#include "detect/ModelPicture.h"
#include "engine/PluginState.h"

namespace kestrimo {
namespace {

std::int64_t NowTicks() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

LogoFinding::Reason ReasonOf(LogoSearch::Outcome outcome) {
  return outcome == LogoSearch::Outcome::NoLogo ? LogoFinding::Reason::NoLogo
                                                : LogoFinding::Reason::TooLittleMovement;
}

}  // namespace

LogoFinding::Reason LogoFinding::Start(PluginState& state, FileSystem& files) {
  Stop();
  {
    LockHold hold(state.SettingsLock);
    const ChannelSettings* record = state.CurrentRecord();
    if (state.FormatKnown == 0 || record == nullptr || state.FrameWidth < 1 ||
        state.FrameHeight < 1) {
      return Reason::NoFrames;
    }
    const SettingsLocation& location = state.Profile.Location();
    if (location.folder.empty()) return Reason::CannotWrite;
    channel_ = record->Id;
    width_ = state.FrameWidth;
    height_ = state.FrameHeight;
    mode_ = state.FrameMode;
    key_ = record->ColorKey & 0xFFFFFFu;
    folder_ = location.folder + location.moduleName + "\\";
  }
  if (mode_ != kFrameModeYuy2 && mode_ != kFrameModeBgr) return Reason::UnsupportedFormat;
  if (std::int64_t{width_} * height_ > LogoStatistics::kMaxPixels) return Reason::FrameTooLarge;
  files_ = &files;
  state_ = &state;
  frameLock_ = &state.SettingsLock;
  pictures_.SetFolder(files, folder_);
  // What earlier searches wrote and nothing names, also those of a program
  // that ended before it could tidy.
  named_ = CollectNamedFiles(state, files);
  pictures_.Tidy(named_, false);
  if (!statistics_.Start(width_, height_, mode_)) return Reason::OutOfMemory;
  band_ = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(kPixelsPerFrame / statistics_.Width(), 1, statistics_.Height()));
  collecting_ = &statistics_;
  shape_.reset();
  cursor_ = 0;
  samples_.store(0);
  startTicks_ = collectTicks_ = NowTicks();
  {
    std::lock_guard<std::mutex> guard(mutex_);
    stopping_ = false;
    reason_ = Reason::None;
  }
  // Collecting before the worker starts: a worker that found the phase still
  // Idle would end at once, and no one would decide.
  phase_.store(Phase::Collecting, std::memory_order_release);
  try {
    worker_ = std::thread(&LogoFinding::Work, this);
  } catch (const std::system_error&) {
    Stop();
    return Reason::OutOfMemory;
  }
  return Reason::None;
}

void LogoFinding::Stop() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    stopping_ = true;
    phase_.store(Phase::Idle, std::memory_order_release);
  }
  wake_.notify_all();
  // A frame being added finishes before the statistics go.
  if (frameLock_ != nullptr) LockHold hold(*frameLock_);
  if (worker_.joinable()) worker_.join();
  if (pictures_.HasPending()) {
    pictures_.Release();
    Tidy(false);
  }
  shape_.reset();  // it reads the statistics
  statistics_ = LogoStatistics();
  showing_ = LogoStatistics();
  clocks_ = ClockWatch();
}

LogoFinding::Progress LogoFinding::Poll() const {
  Progress progress;
  progress.phase = phase_.load(std::memory_order_acquire);
  progress.samples = samples_.load();
  progress.seconds = progress.phase == Phase::Idle ? 0.0 : Seconds();
  std::lock_guard<std::mutex> guard(mutex_);
  progress.reason = reason_;
  return progress;
}

bool LogoFinding::TakeFound(Found& found) {
  if (phase_.load(std::memory_order_acquire) != Phase::Found) return false;
  if (worker_.joinable()) worker_.join();
  std::lock_guard<std::mutex> guard(mutex_);
  found = found_;
  pictures_.Release();
  phase_.store(Phase::Idle);
  return true;
}

void LogoFinding::KeepNamedPictures() { Tidy(true); }

void LogoFinding::RemoveUnnamedPictures() { Tidy(false); }

// Names are taken now: the records may have changed since the search started.
void LogoFinding::Tidy(bool keep) {
  if (state_ == nullptr) return;  // no search ran: nothing of its files to look at
  pictures_.Tidy(CollectNamedFiles(*state_, *files_), keep);
}

double LogoFinding::Seconds() const {
  return static_cast<double>(NowTicks() - startTicks_) / 1000.0;
}

void LogoFinding::AddFrame(const std::uint8_t* pixels, ChannelId channel, std::int32_t width,
                           std::int32_t height, std::int32_t mode) {
  const Phase phase = phase_.load(std::memory_order_acquire);
  if (pixels == nullptr || (phase != Phase::Collecting && phase != Phase::Watching)) return;
  if (channel != channel_ || width != width_ || height != height_ || mode != mode_) {
    Finish(Phase::NotFound, Reason::Interrupted);
    return;
  }
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(width) * (mode == kFrameModeBgr ? 3 : 2);
  if (phase == Phase::Watching) {
    if (watchFrames_++ % kWatchStep == 0) clocks_.Add(pixels, stride, mode);
    if (clocks_.Full()) EndPhase(Phase::Watching, Phase::Deciding);
    return;
  }
  if (!shape_ || Shows(pixels, stride)) {
    collecting_->AddRows(pixels, stride, cursor_, band_);
    cursor_ += band_;
    if (cursor_ >= collecting_->Height()) {
      cursor_ = 0;
      samples_.fetch_add(1);
    }
  }
  if (samples_.load() >= kEnoughSamples ||
      static_cast<double>(NowTicks() - collectTicks_) / 1000.0 >= kMaxSeconds) {
    EndPhase(Phase::Collecting, Phase::Deciding);
  }
}

// On a second look: whether the frame shows the shape, counted.
bool LogoFinding::Shows(const std::uint8_t* pixels, std::ptrdiff_t stride) {
  const double share = shape_->Shows(pixels, stride);
  if (share >= ShapePresence::kShownShare) return ++shown_, true;
  if (share > ShapePresence::kHiddenShare) ++unclear_;
  else ++hidden_;
  return false;
}

// The video thread hands its part over to the worker, unless the search
// was stopped or ended meanwhile.
void LogoFinding::EndPhase(Phase from, Phase to) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (phase_.load() != from) return;
    phase_.store(to, std::memory_order_release);
  }
  wake_.notify_all();
}

void LogoFinding::Finish(Phase phase, Reason reason) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (stopping_) return;  // a stopped search stays Idle
    reason_ = reason;
    phase_.store(phase, std::memory_order_release);
  }
  wake_.notify_all();
}

// The worker: waits for the collection to end, decides, and ends.
void LogoFinding::Work() {
  if (Collected()) Decide();
}

// Waits for the collection under way to end: true when it is the worker's
// to decide, false when the search was stopped or interrupted.
bool LogoFinding::Collected() {
  std::unique_lock<std::mutex> lock(mutex_);
  wake_.wait(lock, [this] { return stopping_ || phase_.load() != Phase::Collecting; });
  return !stopping_ && phase_.load() == Phase::Deciding;
}

// A second look, for a logo taken off for part of the collection: the
// first shape that lasted (taken for scenery, or lasting in half the
// samples only) is looked for in every frame of a new collection, which
// keeps the frames that show it. When the frames told clearly whether
// they show it (at most a fifth unclear) and the logo is found in those
// that do, where the shape is, `search` becomes that search, and the
// logo's colour and opacity come from those frames. False when the search
// was stopped or interrupted meanwhile.
bool LogoFinding::LookAgain(LogoSearch& search) {
  LogoSearch loose = LogoFinder(LogoFinder::kLooseLastingTenths).Find(statistics_);
  const LogoMask* shape = !search.shapes.empty()  ? &search.shapes.front()
                          : !loose.shapes.empty() ? &loose.shapes.front()
                                                  : nullptr;
  if (shape == nullptr) return true;
  shape_.emplace(statistics_, *shape);
  if (!showing_.Start(width_, height_, mode_)) throw std::bad_alloc();
  shown_ = hidden_ = unclear_ = 0;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (stopping_) return false;
    collecting_ = &showing_;
    cursor_ = 0;
    samples_.store(0);
    collectTicks_ = NowTicks();
    phase_.store(Phase::Collecting, std::memory_order_release);
  }
  if (!Collected()) return false;
  if (5 * unclear_ > shown_ + hidden_ + unclear_) return true;
  LogoSearch found = LogoFinder().Find(showing_);
  if (FoundAgain(found, *shape, statistics_.Scale())) search = std::move(found);
  return true;
}

// Hands the overlays of `search` to the video thread to watch for a clock,
// waits until it has watched enough frames, and leaves the clocks out.
// False when the search was stopped or interrupted meanwhile.
bool LogoFinding::Watch(LogoSearch& search) {
  clocks_.Start(search, width_, height_, kWatchSamples);
  watchFrames_ = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  if (stopping_) return false;
  phase_.store(Phase::Watching, std::memory_order_release);
  wake_.wait(lock, [this] { return stopping_ || phase_.load() != Phase::Watching; });
  if (stopping_ || phase_.load() != Phase::Deciding) return false;
  lock.unlock();
  clocks_.LeaveOutClocks(search);
  return true;
}

void LogoFinding::Decide() {
  try {
    LogoSearch search = LogoFinder().Find(statistics_);
    const LogoStatistics* modelled = &statistics_;
    if (search.outcome == LogoSearch::Outcome::NoLogo) {
      if (!LookAgain(search)) return;
      if (search.outcome == LogoSearch::Outcome::Found) modelled = &showing_;
    }
    if (search.outcome == LogoSearch::Outcome::Found && !Watch(search)) return;
    if (search.outcome != LogoSearch::Outcome::Found) return Finish(Phase::NotFound, ReasonOf(search.outcome));
    LogoPicture picture = PlaceLogoPicture(search.mask, kMargin);
    LogoCoverage(width_, height_).Fit(picture, search.mask, key_);
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (stopping_) return;
    }
    LogoModel model;
    model.Estimate(*modelled, search.mask);
    std::string maskFile, modelFile;
    // Without its model the mask still works: the channel then fills.
    if (!pictures_.Write(channel_, EncodeMaskBitmap(picture, key_),
                         EncodeModelBitmap(BuildModelPicture(model, picture)), named_, maskFile,
                         modelFile)) {
      return Finish(Phase::NotFound, Reason::CannotWrite);
    }
    std::lock_guard<std::mutex> guard(mutex_);
    found_.channel = channel_;
    found_.maskFileName = maskFile;
    found_.shape = ShapeFor(picture, key_, 0);
    found_.modelFileName = modelFile;
  } catch (const std::bad_alloc&) {
    return Finish(Phase::NotFound, Reason::OutOfMemory);
  }
  Finish(Phase::Found, Reason::None);
}

}  // namespace kestrimo
