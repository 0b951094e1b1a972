// Small generated rasters for the tests.
#pragma once

#include <QImage>
#include <QString>

namespace pelmora::testing {

// A raster whose pixels encode their own position: blue = x mod 256,
// green = y mod 256, red = (x / 256 mod 16) + 16 × (y / 256 mod 16).
QImage positionImage(int width, int height);
// (x, y) decoded from a pixel of positionImage().
QPoint decodePosition(QRgb pixel);

// Writes `image` as a 24-bit bottom-up BMP; returns the path.
QString writeBmp24(const QString& path, const QImage& image);

}  // namespace pelmora::testing
