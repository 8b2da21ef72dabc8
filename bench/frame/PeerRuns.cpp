#include "bench/frame/PeerRuns.h"

#include <fstream>

namespace kestrimo::bench {

const char* Name(Peer peer) {
  switch (peer) {
    case Peer::Delogo: return "delogo";
    case Peer::Removelogo: return "removelogo";
    case Peer::Inpaint: return "inpaint";
    case Peer::Passthrough: return "passthrough";
  }
  return "?";
}

bool PeerRun::WriteMask(const PackedFrame& frame, const Area& rebuilt, std::string& path) {
  path = scratch_ + "/removelogo-" + std::to_string(frame.width) + "x" +
         std::to_string(frame.height) + "-" + std::to_string(rebuilt.width) + "x" +
         std::to_string(rebuilt.height) + "-" + std::to_string(rebuilt.x) + "-" +
         std::to_string(rebuilt.y) + ".pgm";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "P5\n" << frame.width << " " << frame.height << "\n255\n";
  std::string row(frame.width, '\0');
  for (int y = 0; y < frame.height; ++y) {
    const bool inside = y >= rebuilt.y && y < rebuilt.y + rebuilt.height;
    for (int x = 0; x < frame.width; ++x)
      row[x] = inside && x >= rebuilt.x && x < rebuilt.x + rebuilt.width ? '\xff' : '\0';
    out.write(row.data(), frame.width);
  }
  if (!out) error_ = "cannot write " + path;
  return static_cast<bool>(out);
}

bool PeerRun::Prepare(Peer peer, const PackedFrame& frame, const Area& area, int copies) {
  peer_ = peer;
  const Area rebuilt = Interior(area);
  if (peer == Peer::Inpaint) {
    inpaint_.Load(frame, rebuilt);
    return true;
  }
  std::string filters;
  PlanarFrame planar;
  if (peer == Peer::Delogo || peer == Peer::Passthrough) {
    // delogo keeps the rectangle's outermost ring and rebuilds the rest, as we do.
    planar = ToPlanar(frame, frame.mode == FrameMode::Yuy2 ? Subsampling::Yuv422 : Subsampling::Yuv444);
    filters = "delogo=x=" + std::to_string(area.x) + ":y=" + std::to_string(area.y) +
              ":w=" + std::to_string(area.width) + ":h=" + std::to_string(area.height);
    if (peer == Peer::Passthrough) filters = "null";
  } else {
    planar = ToPlanar(frame, Subsampling::Yuv420);  // the only format removelogo takes
    std::string maskPath;
    if (!WriteMask(frame, rebuilt, maskPath)) return false;
    filters = "removelogo=filename='" + maskPath + "'";
  }
  if (!filter_.Open(planar, filters) || !filter_.Load(planar, copies)) {
    error_ = filter_.Error();
    return false;
  }
  return true;
}

bool PeerRun::RunOnce() {
  if (peer_ == Peer::Inpaint) {
    inpaint_.Run();
    return true;
  }
  if (filter_.Run()) return true;
  error_ = filter_.Error();
  return false;
}

void PeerRun::FlushNextFrame() const {
  if (peer_ != Peer::Inpaint) filter_.FlushNextFrame();
}

Timing PeerRun::Time(const SamplerLimits& limits) {
  return Measure([this] { RunOnce(); }, limits);
}

std::vector<std::uint8_t> PeerRun::ResultLuma() const {
  if (peer_ == Peer::Inpaint) return inpaint_.ResultLuma();
  return filter_.Result().planes[0];
}

}  // namespace kestrimo::bench
