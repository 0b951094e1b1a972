// How much darker than the paper around it each pixel of a reduced copy of a
// raster is: where the long lines of a sheet's frame are looked for.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pelmora {
class RasterSource;
}

namespace pelmora::frame {

class SearchThreads;

// Pixel (x, y) of the copy stands for the raster's pixels [x f, (x + 1) f)
// across and [y f, (y + 1) f) down, f being `factor`.
struct Darkness {
  int width = 0, height = 0, factor = 1;
  // The paper's grey level less the pixel's, in whole grey levels, 0 where
  // the pixel is the lighter: the paper is the lightest of the blurred copy
  // within 7 pixels each way.
  std::vector<std::uint8_t> belowPaper;
  // What the noise alone gives: 3 robust standard deviations of the copy's
  // pixels from the median of their 3 × 3 neighbours.
  float noiseFloor = 0;

  float at(int x, int y) const {
    return std::max(0.0f, float(belowPaper[std::size_t(y) * std::size_t(width) + std::size_t(x)]) - noiseFloor);
  }
};

// Reads every row of `source` once (in bands of rows shared by `threads`)
// and returns the darkness of its copy reduced `factor` times each way by
// box averaging the mean of the three channels. Throws what the source throws.
Darkness darknessOf(const RasterSource& source, int factor, SearchThreads& threads);

}  // namespace pelmora::frame
