// The long straight dark lines of a raster, found on a reduced copy of it:
// the candidates for the sides of a sheet's frame.
#pragma once

#include <vector>

namespace pelmora {
class RasterSource;
}

namespace pelmora::frame {

class SearchThreads;

// A straight line near one of the raster's axes, in full-resolution pixels
// ((0, 0) the top-left corner of the top-left pixel). Along a horizontal
// line u is x and v is y; along a vertical one u is y and v is x.
struct LineModel {
  double offset = 0, slope = 0, pivot = 0;
  double at(double u) const { return offset + slope * (u - pivot); }
};

struct LineCandidate {
  bool horizontal = true;
  LineModel line;
  double from = 0, to = 0;  // where along u the line is drawn without a long gap
};

struct LongLines {
  std::vector<LineCandidate> lines;
  int factor = 1;  // full-resolution pixels per reduced pixel, each way
};

// Reads every row of `source` once into a copy reduced by box averaging, and
// returns the long lines found on it, the work shared by `threads`. Throws
// what the source throws.
LongLines findLongLines(const RasterSource& source, SearchThreads& threads);

// Where horizontal line `h` crosses vertical line `v`: {x, y}.
struct Crossing {
  double x = 0, y = 0;
};
Crossing crossingOf(const LineModel& h, const LineModel& v);

}  // namespace pelmora::frame
