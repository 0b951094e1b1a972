// Small generated rasters for the tests.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace pelmora::testing {

// A raster whose pixels encode their own position: blue = x mod 256,
// green = y mod 256, red = (x / 256 mod 16) + 16 × (y / 256 mod 16).
QImage positionImage(int width, int height);
// (x, y) decoded from a pixel of positionImage().
QPoint decodePosition(QRgb pixel);

// Writes `image` as a 24-bit bottom-up BMP; returns the path.
QString writeBmp24(const QString& path, const QImage& image);

// How writeBmp stores a raster.
struct BmpOptions {
  int bits = 24;           // 1, 4, 8, 24 or 32
  bool topDown = false;    // negative height
  int headerSize = 40;     // 12 (core), 40, 108 or 124
  bool bitFields = false;  // 32-bit with explicit blue-green-red masks
  bool rle8 = false;       // 8-bit run-length compressed
};

// A palette of 2^bits distinct colours, and an image drawn only in them.
QList<QRgb> testPalette(int bits);
QImage paletteImage(int width, int height, const QList<QRgb>& palette);

// The bytes of `image` as a BMP file. Bitmaps of 8 bits or fewer store each
// pixel as its index in `palette` (every pixel must be one of its colours).
QByteArray bmpBytes(const QImage& image, const BmpOptions& options,
                    const QList<QRgb>& palette = {});
// Writes bmpBytes() to `path`; returns the path.
QString writeBmp(const QString& path, const QImage& image, const BmpOptions& options,
                 const QList<QRgb>& palette = {});
QString writeBytes(const QString& path, const QByteArray& bytes);

// Runs GDAL's `tool` (gdal_translate, gdalinfo) with `arguments`, its
// standard output into `out` when given; false (the error on stderr) when it failed.
bool runGdalTool(const QString& tool, const QStringList& arguments, QString* out = nullptr);

}  // namespace pelmora::testing
