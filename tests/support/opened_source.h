// The source of a raster opened as the programs open it, for tests that read
// its rows only.
#pragma once

#include "raster/raster_opening.h"

namespace pelmora::testing {

inline std::shared_ptr<const RasterSource> openRasterSource(const QString& path, Progress* progress = nullptr,
                                                            Decoding decoding = Decoding::beforeOpening) {
  return openRaster(path, progress, decoding).source;
}

}  // namespace pelmora::testing
