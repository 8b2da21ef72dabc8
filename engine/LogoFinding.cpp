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
  files_ = &files;
  frameLock_ = &state.SettingsLock;
  if (!statistics_.Start(width_, height_, mode_)) return Reason::OutOfMemory;
  band_ = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(kPixelsPerFrame / statistics_.Width(), 1, statistics_.Height()));
  cursor_ = 0;
  samples_.store(0);
  startTicks_ = NowTicks();
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
  bool pending = false;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    pending = !taken_ && !mask_.written.empty();
  }
  if (pending) UndoPicture();
  statistics_ = LogoStatistics();
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
  taken_ = true;
  phase_.store(Phase::Idle);
  return true;
}

void LogoFinding::KeepPicture() {
  std::lock_guard<std::mutex> guard(mutex_);
  Keep(mask_);
  Keep(model_);
  taken_ = false;
}

void LogoFinding::UndoPicture() {
  std::lock_guard<std::mutex> guard(mutex_);
  Undo(mask_);
  Undo(model_);
  taken_ = false;
}

void LogoFinding::Keep(WrittenFile& file) {
  if (!file.replaced.empty()) files_->RemoveFile(file.replaced);
  file = {};
}

void LogoFinding::Undo(WrittenFile& file) {
  if (file.written.empty()) return;
  if (file.replaced.empty()) {
    files_->RemoveFile(file.written);
  } else {
    files_->RenameReplacing(file.replaced, file.written);
  }
  file = {};
}

double LogoFinding::Seconds() const {
  return static_cast<double>(NowTicks() - startTicks_) / 1000.0;
}

void LogoFinding::AddFrame(const std::uint8_t* pixels, ChannelId channel, std::int32_t width,
                           std::int32_t height, std::int32_t mode) {
  if (pixels == nullptr || phase_.load(std::memory_order_acquire) != Phase::Collecting) return;
  if (channel != channel_ || width != width_ || height != height_ || mode != mode_) {
    Finish(Phase::NotFound, Reason::Interrupted);
    return;
  }
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(width) * (mode == kFrameModeBgr ? 3 : 2);
  statistics_.AddRows(pixels, stride, cursor_, band_);
  cursor_ += band_;
  if (cursor_ >= statistics_.Height()) {
    cursor_ = 0;
    samples_.fetch_add(1);
  }
  if (samples_.load() >= kEnoughSamples || Seconds() >= kMaxSeconds) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      phase_.store(Phase::Deciding, std::memory_order_release);
    }
    wake_.notify_all();
  }
}

void LogoFinding::Finish(Phase phase, Reason reason) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    reason_ = reason;
    phase_.store(phase, std::memory_order_release);
  }
  wake_.notify_all();
}

// The worker: waits for the collection to end, decides, and ends.
void LogoFinding::Work() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || phase_.load() != Phase::Collecting; });
    if (stopping_ || phase_.load() != Phase::Deciding) return;
  }
  Decide();
}

void LogoFinding::Decide() {
  try {
    const LogoSearch search = LogoFinder().Find(statistics_);
    if (search.outcome != LogoSearch::Outcome::Found) return Finish(Phase::NotFound, ReasonOf(search.outcome));
    LogoPicture picture = PlaceLogoPicture(search.mask, kMargin);
    LogoCoverage(width_, height_).Fit(picture, search.mask, key_);
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (stopping_) return;
    }
    LogoModel model;
    model.Estimate(statistics_, search.mask);
    const std::string name = folder_ + std::to_string(channel_);
    if (!WritePicture(mask_, name + ".bmp", EncodeMaskBitmap(picture, key_)))
      return Finish(Phase::NotFound, Reason::CannotWrite);
    // Without its model the mask still works: the channel then fills.
    const bool modelWritten =
        WritePicture(model_, name + "-model.bmp", EncodeModelBitmap(BuildModelPicture(model, picture)));
    std::lock_guard<std::mutex> guard(mutex_);
    found_.channel = channel_;
    found_.maskFileName = mask_.written;
    found_.shape = ShapeFor(picture, key_, 0);
    found_.modelFileName = modelWritten ? model_.written : std::string();
  } catch (const std::bad_alloc&) {
    return Finish(Phase::NotFound, Reason::OutOfMemory);
  }
  Finish(Phase::Found, Reason::None);
}

// <folder>\<channel id>.bmp (and -model.bmp), the folder made if missing. A
// file already there is put aside until the new one is kept or undone; one
// this search wrote before (not yet kept or undone) is simply replaced.
bool LogoFinding::WritePicture(WrittenFile& file, const std::string& path,
                               const std::string& bytes) {
  files_->MakeDirectory(folder_.substr(0, folder_.size() - 1));
  const std::string aside = path + ".old";
  bool ours = false;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    ours = file.written == path;
  }
  const bool putAside = !ours && files_->RenameReplacing(path, aside);
  if (!WriteFileReplacing(*files_, path, bytes)) {
    if (putAside) files_->RenameReplacing(aside, path);
    return false;
  }
  std::lock_guard<std::mutex> guard(mutex_);
  if (!ours) {
    // A file of another channel, written and not yet kept: keep it.
    if (!file.written.empty() && !file.replaced.empty()) files_->RemoveFile(file.replaced);
    file.replaced = putAside ? aside : std::string();
  }
  file.written = path;
  return true;
}

}  // namespace kestrimo
