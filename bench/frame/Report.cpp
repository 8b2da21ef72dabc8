#include "bench/frame/Report.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>

namespace kestrimo::bench {
namespace {

constexpr const char* kPeerNames[] = {"delogo", "removelogo", "inpaint"};

std::string Format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

std::string Ratio(double numerator, double denominator) {
  return numerator > 0 && denominator > 0 ? Format("%.2f", numerator / denominator) : "–";
}

std::string Micro(double ns) { return ns > 0 ? Format("%.1f", ns / 1000.0) : "–"; }

}  // namespace

void Report::Add(SpeedRow row) {
  std::fprintf(stderr, "%-6s %-15s %-16s %-10s EB%-2d SB%-2d %12.0f ns  %7.2f ns/px\n",
               row.suite.c_str(), row.frame.c_str(), Describe(row.area).c_str(), row.method.c_str(),
               row.edgeBlur, row.screenBlur, row.timing.medianNs, row.NsPerPixel());
  speed_.push_back(std::move(row));
}

double Report::Ns(const std::string& suite, const std::string& frame, const Area& area,
                  const std::string& method, int edgeBlur, int screenBlur) const {
  for (const SpeedRow& r : speed_) {
    if (r.suite == suite && r.frame == frame && r.area == area && r.method == method &&
        r.edgeBlur == edgeBlur && r.screenBlur == screenBlur)
      return r.timing.medianNs;
  }
  return 0;
}

bool Report::WriteCsv(const std::string& folder) const {
  std::ofstream speed(folder + "/speed.csv", std::ios::trunc);
  speed << "suite,frame,area_x,area_y,area_w,area_h,area_px,method,edge_blur,screen_blur,"
           "median_ns,min_ns,ns_per_px,samples,calls_per_sample,rotation\n";
  for (const SpeedRow& r : speed_) {
    speed << r.suite << ',' << r.frame << ',' << r.area.x << ',' << r.area.y << ','
          << r.area.width << ',' << r.area.height << ',' << r.area.Pixels() << ',' << r.method
          << ',' << r.edgeBlur << ',' << r.screenBlur << ',' << r.timing.medianNs << ','
          << r.timing.minNs << ',' << r.NsPerPixel() << ',' << r.timing.samples << ','
          << r.timing.callsPerSample << ',' << r.rotation << '\n';
  }
  std::ofstream quality(folder + "/quality.csv", std::ios::trunc);
  quality << "frame,picture,method,psnr_db\n";
  for (const QualityRow& r : quality_)
    quality << r.frame << ',' << r.picture << ',' << r.method << ',' << r.psnr << '\n';
  return static_cast<bool>(speed) && static_cast<bool>(quality);
}

std::string Report::FrameTables() const {
  std::string out =
      "### Per frame (median of repeated runs)\n\n"
      "| frame | logo area | EdgeBlur | ScreenBlur | ours µs | ours ns/area px | ours ÷ copy |"
      " delogo ÷ ours | removelogo ÷ ours | inpaint ÷ ours |\n"
      "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|\n";
  std::string peers =
      "| frame | logo area | copy µs | delogo µs | removelogo µs | inpaint µs |"
      " empty libavfilter graph µs |\n"
      "|---|---|---:|---:|---:|---:|---:|\n";
  std::set<std::string> seen;
  for (const SpeedRow& r : speed_) {
    if (r.suite != "frame") continue;
    const double copy = Ns("frame", r.frame, r.area, "copy");
    if (r.method == "ours") {
      out += "| " + r.frame + " | " + Describe(r.area) + " | " + std::to_string(r.edgeBlur) +
             " | " + std::to_string(r.screenBlur) + " | " + Micro(r.timing.medianNs) + " | " +
             Format("%.2f", r.NsPerPixel()) + " | " + Ratio(r.timing.medianNs, copy);
      for (const char* peer : kPeerNames)
        out += " | " + Ratio(Ns("frame", r.frame, r.area, peer), r.timing.medianNs);
      out += " |\n";
    } else if (seen.insert(r.frame).second) {
      peers += "| " + r.frame + " | " + Describe(r.area) + " | " + Micro(copy);
      for (const char* peer : kPeerNames) peers += " | " + Micro(Ns("frame", r.frame, r.area, peer));
      peers += " | " + Micro(Ns("frame", r.frame, r.area, "passthrough")) + " |\n";
    }
  }
  return out + "\n### Peers and the bare copy on the same frames\n\n" + peers;
}

std::string Report::LiveTable() const {
  std::string out =
      "### Live frames: one frame over and over (hot), a new frame out of the caches each"
      " call (fresh), and everything out of the caches (cold) (EdgeBlur 0, ScreenBlur 0)\n\n"
      "| frame | logo area | frames in rotation | condition | ours µs | copy µs | delogo µs |"
      " empty graph µs | ours ÷ copy | delogo ÷ ours |\n"
      "|---|---|---:|---|---:|---:|---:|---:|---:|---:|\n";
  for (const SpeedRow& r : speed_) {
    if (r.suite != "fresh" || r.method != "ours") continue;
    for (const char* condition : {"hot", "fresh", "cold"}) {
      const double ours = Ns(condition, r.frame, r.area, "ours");
      const double copy = Ns(condition, r.frame, r.area, "copy");
      const double delogo = Ns(condition, r.frame, r.area, "delogo");
      out += "| " + r.frame + " | " + Describe(r.area) + " | " +
             (std::string(condition) == "hot" ? std::string("1") : std::to_string(r.rotation)) + " | " +
             condition + " | " + Micro(ours) + " | " + Micro(copy) + " | " + Micro(delogo) +
             " | " + Micro(Ns(condition, r.frame, r.area, "passthrough")) + " | " +
             Ratio(ours, copy) + " | " + Ratio(delogo, ours) + " |\n";
    }
  }
  return out;
}

std::string Report::SweepTable() const {
  std::string out =
      "### Cost against the logo area (EdgeBlur 0, ScreenBlur 0)\n\n"
      "| frame | logo area | pixels | copy µs | ours µs | ours ÷ copy | delogo µs | removelogo µs |"
      " inpaint µs | delogo ÷ ours | removelogo ÷ ours | inpaint ÷ ours |\n"
      "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
  for (const SpeedRow& r : speed_) {
    if (r.suite != "sweep" || r.method != "ours") continue;
    const double ours = r.timing.medianNs;
    const double copy = Ns("sweep", r.frame, r.area, "copy");
    out += "| " + r.frame + " | " + Describe(r.area) + " | " + std::to_string(r.area.Pixels()) +
           " | " + Micro(copy) + " | " + Micro(ours) + " | " + Ratio(ours, copy);
    for (const char* peer : kPeerNames) out += " | " + Micro(Ns("sweep", r.frame, r.area, peer));
    for (const char* peer : kPeerNames) out += " | " + Ratio(Ns("sweep", r.frame, r.area, peer), ours);
    out += " |\n";
  }
  return out;
}

std::string Report::QualityTables() const {
  std::map<std::string, std::vector<const QualityRow*>> byFrame;
  std::vector<std::string> frames;
  for (const QualityRow& r : quality_) {
    if (byFrame.find(r.frame) == byFrame.end()) frames.push_back(r.frame);
    byFrame[r.frame].push_back(&r);
  }
  std::string out;
  for (const std::string& frame : frames) {
    std::vector<std::string> methods, pictures;
    std::map<std::pair<std::string, std::string>, double> value;
    std::map<std::string, double> sum;
    for (const QualityRow* r : byFrame[frame]) {
      if (std::find(methods.begin(), methods.end(), r->method) == methods.end()) methods.push_back(r->method);
      if (std::find(pictures.begin(), pictures.end(), r->picture) == pictures.end()) pictures.push_back(r->picture);
      value[{r->picture, r->method}] = r->psnr;
      sum[r->method] += r->psnr;
    }
    out += "### Luma PSNR of the rebuilt pixels, " + frame + " (dB, higher is better)\n\n| picture |";
    for (const std::string& m : methods) out += " " + m + " |";
    out += "\n|---|";
    for (std::size_t i = 0; i < methods.size(); ++i) out += "---:|";
    out += "\n";
    for (const std::string& p : pictures) {
      out += "| " + p + " |";
      for (const std::string& m : methods) out += " " + Format("%.2f", value[{p, m}]) + " |";
      out += "\n";
    }
    out += "| **mean** |";
    for (const std::string& m : methods) out += " **" + Format("%.2f", sum[m] / pictures.size()) + "** |";
    out += "\n\n";
  }
  return out;
}

std::string Report::Markdown() const {
  std::string out;
  for (const SpeedRow& r : speed_) {
    if (r.suite == "fresh") {
      out += LiveTable() + "\n";
      break;
    }
  }
  return out + FrameTables() + "\n" + SweepTable() + "\n" + QualityTables();
}

}  // namespace kestrimo::bench
