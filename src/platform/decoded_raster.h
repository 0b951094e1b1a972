// A raster decoded once by Qt's image reader and held in memory as 32-bit
// blue-green-red-x rows: every format that cannot be mapped.
#pragma once

#include <QImage>
#include <QString>

#include "platform/raster_source.h"

namespace pelmora {

class DecodedRaster : public RasterSource {
 public:
  explicit DecodedRaster(QImage image);  // Format_RGB32
  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override;
  const std::uint8_t* rowInPlace(int y) const override { return image_.constScanLine(y); }

 private:
  QImage image_;
};

// Decodes `path` with Qt's image reader. Throws Failure with the reader's
// reason when it cannot.
std::shared_ptr<const RasterSource> decodeRaster(const QString& path);

}  // namespace pelmora
