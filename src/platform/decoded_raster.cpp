#include "platform/decoded_raster.h"

#include <QImageReader>

#include "base/failure.h"

namespace pelmora {

DecodedRaster::DecodedRaster(QImage image)
    : RasterSource(image.width(), image.height(), PixelLayout::BGRX32), image_(std::move(image)) {}

const std::uint8_t* DecodedRaster::row(int y, std::vector<std::uint8_t>&) const {
  return image_.constScanLine(y);
}

std::shared_ptr<const RasterSource> decodeRaster(const QString& path) {
  // Maps are far larger than the reader's default limit of 256 MB.
  QImageReader::setAllocationLimit(16 * 1024);
  QImageReader reader(path);
  if (!reader.canRead()) {
    throw Failure(QStringLiteral("この形式の画像は読み込めません: %1").arg(reader.errorString()),
                  path);
  }
  // A known format that still fails: too large for the reader, or damaged.
  const QSize size = reader.size();
  QImage image;
  if (!reader.read(&image) || image.isNull()) {
    QString reason = reader.errorString();
    if (reason.isEmpty()) reason = QStringLiteral("不明な理由");
    if (size.isValid())
      reason += QStringLiteral("（%1 × %2 画素）").arg(size.width()).arg(size.height());
    throw Failure(QStringLiteral("画像を読み込めません: %1").arg(reason), path);
  }
  if (image.format() != QImage::Format_RGB32) {
    image = std::move(image).convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
      throw Failure(QStringLiteral("画像を変換するためのメモリーが足りません。"), path);
  }
  return std::make_shared<DecodedRaster>(std::move(image));
}

}  // namespace pelmora
