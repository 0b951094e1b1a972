// A raster held in memory, handing out its rows as every source does.
#pragma once

#include <QImage>

#include "raster/raster_source.h"

namespace pelmora::testing {

class ImageRaster final : public RasterSource {
 public:
  explicit ImageRaster(const QImage& image)
      : RasterSource(image.width(), image.height()),
        image_(image.convertToFormat(QImage::Format_BGR888)) {}
  const std::uint8_t* row(int y, std::vector<std::uint8_t>&) const override {
    return image_.constScanLine(y);
  }

 private:
  QImage image_;
};

}  // namespace pelmora::testing
