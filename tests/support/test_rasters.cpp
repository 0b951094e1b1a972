#include "support/test_rasters.h"

#include <QFile>
#include <stdexcept>

namespace pelmora::testing {

QImage positionImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x)
      line[x] = qRgb(((x >> 8) & 15) | (((y >> 8) & 15) << 4), y & 255, x & 255);
  }
  return image;
}

QPoint decodePosition(QRgb pixel) {
  const int high = qRed(pixel);
  return QPoint(qBlue(pixel) | ((high & 15) << 8), qGreen(pixel) | ((high >> 4) << 8));
}

QString writeBmp24(const QString& path, const QImage& image) {
  if (!image.convertToFormat(QImage::Format_RGB888).save(path, "BMP"))
    throw std::runtime_error("cannot write " + path.toStdString());
  return path;
}

}  // namespace pelmora::testing
