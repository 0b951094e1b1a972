// JPEG files decoded by libjpeg-turbo (see row_decoder.h).
#pragma once

#include <QString>
#include <memory>

#include "raster/gdal/row_decoder.h"

namespace pelmora {

// The JPEG file at `path` ready to decode from its first row; null when it is
// not one this decodes as GDAL does (not 8-bit, CMYK), which GDAL then
// decodes itself. Throws Failure when the file cannot be opened or its header
// read.
std::unique_ptr<RowDecoder> openJpegRows(const QString& path);

}  // namespace pelmora
