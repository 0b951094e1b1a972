// A frame line's side measured at full resolution: the middle of the line
// at many points along it, and the straight line through them.
#pragma once

#include <vector>

#include "frame/frame_lines.h"

namespace pelmora {
class RasterSource;
}

namespace pelmora::frame {

struct RefinedLine {
  bool found = false;
  LineModel line;    // through the line's middle
  double width = 0;  // the line's thickness in pixels (median over the points kept)
  int points = 0;    // points the fit kept
};

// Samples the darkness across `candidate` (found on a copy reduced by
// `factor`, where lines a few pixels apart merge) at many points along it,
// takes the centre of darkness of each dark run there, and fits a line
// through each group of runs that follow one another, rejecting outliers
// (labels touching it, lines crossing it). The lines found, the topmost
// (leftmost) first; none where too few points agree.
std::vector<RefinedLine> refineLine(const RasterSource& source, const LineCandidate& candidate, int factor);

}  // namespace pelmora::frame
