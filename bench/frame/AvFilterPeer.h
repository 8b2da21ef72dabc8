// A peer filter run through libavfilter: a graph buffer -> filter -> buffersink
// on planar frames of one pixel format. The frame is handed to the graph and
// taken back each run, so a filter that works in place does so.
#pragma once

#include <string>
#include <vector>

#include "bench/frame/Frames.h"

struct AVFilterGraph;
struct AVFilterContext;
struct AVFrame;

namespace kestrimo::bench {

class AvFilterPeer {
 public:
  AvFilterPeer() = default;
  ~AvFilterPeer();
  AvFilterPeer(const AvFilterPeer&) = delete;
  AvFilterPeer& operator=(const AvFilterPeer&) = delete;

  // `filters` is a filter chain in libavfilter's text form, e.g.
  // "delogo=x=10:y=10:w=40:h=30". The graph runs on one thread.
  bool Open(const PlanarFrame& layout, const std::string& filters);
  // Copies the picture into `copies` distinct frames the graph works on (not
  // timed); each run hands the next of them over, in rotation, as a live host
  // hands over a new frame each time.
  bool Load(const PlanarFrame& picture, int copies = 1);
  // One frame through the graph.
  bool Run();
  // Drops the frame the next run hands over from the caches.
  void FlushNextFrame() const;
  // The frame the last run left (the first one before any run).
  PlanarFrame Result() const;

  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& what, int code);
  void Close();

  AVFilterGraph* graph_ = nullptr;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  std::vector<AVFrame*> frames_;
  std::size_t next_ = 0;
  std::size_t last_ = 0;
  PlanarFrame layout_;
  std::string error_;
};

// The pixel format name libavfilter uses for a planar layout.
const char* PixelFormatName(const PlanarFrame& layout);

// A picture from a libavfilter source ("testsrc2", "smptebars", ...), RGB.
bool GeneratePattern(const std::string& source, int width, int height, RgbPicture& picture,
                     std::string& error);

}  // namespace kestrimo::bench
