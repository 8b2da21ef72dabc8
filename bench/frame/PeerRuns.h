// The peers set up on one frame and logo area: the timing of one frame each,
// and the luma each leaves. The conversion of the frame into the peer's pixel
// format happens once, outside the timing.
#pragma once

#include <string>
#include <vector>

#include "bench/frame/AvFilterPeer.h"
#include "bench/frame/Frames.h"
#include "bench/frame/InpaintPeer.h"
#include "bench/frame/LogoArea.h"
#include "bench/frame/Sampler.h"

namespace kestrimo::bench {

// Passthrough is no peer: an empty libavfilter graph on delogo's frames, the
// cost of handing a frame through a graph at all.
enum class Peer { Delogo, Removelogo, Inpaint, Passthrough };
constexpr Peer kPeers[] = {Peer::Delogo, Peer::Removelogo, Peer::Inpaint};
const char* Name(Peer peer);

class PeerRun {
 public:
  // `scratchFolder` receives the mask picture the removelogo filter reads.
  explicit PeerRun(std::string scratchFolder) : scratch_(std::move(scratchFolder)) {}

  // Sets the peer up on `frame` with the logo at `area` (the ring of the area
  // is kept, its interior rebuilt); the libavfilter peers get `copies`
  // distinct frames, handed over in rotation. False with Error() set.
  bool Prepare(Peer peer, const PackedFrame& frame, const Area& area, int copies = 1);
  bool RunOnce();
  // Drops the frame the next run works on from the caches (libavfilter peers).
  void FlushNextFrame() const;
  Timing Time(const SamplerLimits& limits);
  std::vector<std::uint8_t> ResultLuma() const;

  const std::string& Error() const { return error_; }

 private:
  bool WriteMask(const PackedFrame& frame, const Area& rebuilt, std::string& path);

  std::string scratch_;
  Peer peer_ = Peer::Delogo;
  AvFilterPeer filter_;
  InpaintPeer inpaint_;
  std::string error_;
};

}  // namespace kestrimo::bench
