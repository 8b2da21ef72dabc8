// The clean pictures of the quality runs: natural photographs decoded from
// files and scaled to cover the frame (centre crop), and synthetic test
// patterns from libavfilter's sources.
#pragma once

#include <string>
#include <vector>

#include "bench/frame/Frames.h"

namespace kestrimo::bench {

struct NamedPicture {
  std::string name;
  RgbPicture picture;
};

// Decodes the file; false (with `error`) when it cannot.
bool LoadPicture(const std::string& path, RgbPicture& picture, std::string& error);

// Bilinear scale that covers width x height, then the centre crop of that size.
RgbPicture CoverAndCrop(const RgbPicture& source, int width, int height);

// The photographs found in `folder` among the known names, then the patterns,
// all at width x height. Missing files are skipped with a note on stderr.
std::vector<NamedPicture> QualityPictures(const std::string& folder, int width, int height);

}  // namespace kestrimo::bench
