// PNG files decoded by libpng (see row_decoder.h).
#pragma once

#include <QString>
#include <memory>

#include "raster/gdal/row_decoder.h"

namespace pelmora {

// The PNG file at `path` ready to decode from its first row; null when it is
// not an 8-bit RGB or gray PNG stored row after row (not interlaced), which
// GDAL then decodes itself. Throws Failure when the file cannot be opened or
// its header read.
std::unique_ptr<RowDecoder> openPngRows(const QString& path);

}  // namespace pelmora
