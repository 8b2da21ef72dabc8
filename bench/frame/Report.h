// The figures of one run: kept as rows, written as CSV for the plot and as
// Markdown tables for the performance notes.
#pragma once

#include <string>
#include <vector>

#include "bench/frame/LogoArea.h"
#include "bench/frame/Sampler.h"

namespace kestrimo::bench {

struct SpeedRow {
  // "frame": the fixed cases; "sweep": cost against area; "hot" and "fresh":
  // the live-frame comparison on one frame and on a rotation of frames.
  std::string suite;
  std::string frame;  // e.g. "720x576 YUY2"
  Area area;
  std::string method;  // "ours", "copy", or a peer's name
  int edgeBlur = 0;
  int screenBlur = 0;
  Timing timing;
  int rotation = 1;  // distinct frames handed over in turn
  double NsPerPixel() const { return timing.medianNs / static_cast<double>(area.Pixels()); }
};

struct QualityRow {
  std::string frame;
  std::string picture;
  std::string method;
  double psnr = 0;
};

class Report {
 public:
  void Add(SpeedRow row);
  void Add(QualityRow row) { quality_.push_back(std::move(row)); }

  // Median time of a method on a frame in a suite; 0 when not measured.
  double Ns(const std::string& suite, const std::string& frame, const Area& area,
            const std::string& method, int edgeBlur = 0, int screenBlur = 0) const;

  bool WriteCsv(const std::string& folder) const;
  std::string Markdown() const;

 private:
  std::string LiveTable() const;
  std::string FrameTables() const;
  std::string SweepTable() const;
  std::string QualityTables() const;

  std::vector<SpeedRow> speed_;
  std::vector<QualityRow> quality_;
};

}  // namespace kestrimo::bench
