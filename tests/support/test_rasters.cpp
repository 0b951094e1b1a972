#include "support/test_rasters.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <cstdio>
#include <stdexcept>

namespace pelmora::testing {
namespace {

void put16(QByteArray& bytes, int at, quint16 v) {
  bytes[at] = char(v & 255);
  bytes[at + 1] = char(v >> 8);
}
void put32(QByteArray& bytes, int at, quint32 v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = char((v >> (8 * i)) & 255);
}

QByteArray rowBytes(const QImage& image, int y, const BmpOptions& options,
                    const QHash<QRgb, int>& index) {
  const int w = image.width();
  QByteArray row;
  if (options.bits >= 24) {
    for (int x = 0; x < w; ++x) {
      const QRgb p = image.pixel(x, y);
      row.append(char(qBlue(p))).append(char(qGreen(p))).append(char(qRed(p)));
      if (options.bits == 32) row.append(char(x & 255));  // the unused byte is not alpha
    }
  } else {
    const int perByte = 8 / options.bits;
    row.fill(0, (w + perByte - 1) / perByte);
    for (int x = 0; x < w; ++x) {
      const int i = index.value(image.pixel(x, y) | 0xFF000000u, -1);
      if (i < 0) throw std::runtime_error("pixel not in the palette");
      const int shift = 8 - options.bits * (x % perByte + 1);
      row[x / perByte] = char(uchar(row[x / perByte]) | (i << shift));
    }
  }
  return row;
}

// Run-length 8-bit: each row as runs of equal indices, then end of line.
QByteArray rle8Rows(const QImage& image, const QHash<QRgb, int>& index) {
  QByteArray data;
  for (int y = image.height() - 1; y >= 0; --y) {
    int x = 0;
    while (x < image.width()) {
      const int i = index.value(image.pixel(x, y) | 0xFF000000u);
      int run = 1;
      while (x + run < image.width() && run < 255 &&
             index.value(image.pixel(x + run, y) | 0xFF000000u) == i)
        ++run;
      data.append(char(run)).append(char(i));
      x += run;
    }
    data.append(char(0)).append(char(0));
  }
  data.append(char(0)).append(char(1));
  return data;
}

}  // namespace

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

QList<QRgb> testPalette(int bits) {
  QList<QRgb> palette;
  const int n = 1 << bits;
  for (int i = 0; i < n; ++i)
    palette.append(qRgb((i * 37 + 11) & 255, (i * 91 + 200) & 255, (255 - i * 13) & 255));
  return palette;
}

QImage paletteImage(int width, int height, const QList<QRgb>& palette) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, palette[(x * 7 + y * 3 + x * y) % palette.size()]);
  return image;
}

QByteArray bmpBytes(const QImage& image, const BmpOptions& options, const QList<QRgb>& palette) {
  const bool core = options.headerSize == 12;
  const bool masksAfterHeader = options.bitFields && options.headerSize == 40;
  const int entryBytes = core ? 3 : 4;
  const int tableBytes =
      (options.bits <= 8 ? int(palette.size()) * entryBytes : 0) + (masksAfterHeader ? 12 : 0);
  const int offset = 14 + options.headerSize + tableBytes;

  QHash<QRgb, int> index;
  for (int i = 0; i < palette.size(); ++i) index.insert(palette[i] | 0xFF000000u, i);
  QByteArray pixels;
  if (options.rle8) {
    pixels = rle8Rows(image, index);
  } else {
    const int stride = (image.width() * options.bits + 31) / 32 * 4;
    for (int i = 0; i < image.height(); ++i) {
      const int y = options.topDown ? i : image.height() - 1 - i;
      QByteArray row = rowBytes(image, y, options, index);
      row.append(QByteArray(stride - row.size(), '\0'));
      pixels.append(row);
    }
  }

  QByteArray bytes(offset, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(bytes, 2, quint32(offset + pixels.size()));
  put32(bytes, 10, quint32(offset));
  put32(bytes, 14, quint32(options.headerSize));
  const int height = options.topDown ? -image.height() : image.height();
  if (core) {
    put16(bytes, 18, quint16(image.width()));
    put16(bytes, 20, quint16(height));
    put16(bytes, 22, 1);
    put16(bytes, 24, quint16(options.bits));
  } else {
    put32(bytes, 18, quint32(image.width()));
    put32(bytes, 22, quint32(height));
    put16(bytes, 26, 1);
    put16(bytes, 28, quint16(options.bits));
    put32(bytes, 30, options.rle8 ? 1 : options.bitFields ? 3 : 0);
    put32(bytes, 34, quint32(pixels.size()));
    put32(bytes, 38, 2835);
    put32(bytes, 42, 2835);
    put32(bytes, 46, options.bits <= 8 ? quint32(palette.size()) : 0);
    if (options.bitFields || options.headerSize >= 52) {
      put32(bytes, 54, 0x00FF0000);
      put32(bytes, 58, 0x0000FF00);
      put32(bytes, 62, 0x000000FF);
    }
    if (options.headerSize >= 108) put32(bytes, 70, 0x73524742);  // sRGB
  }
  int at = 14 + options.headerSize + (masksAfterHeader ? 12 : 0);
  if (options.bits <= 8) {
    for (QRgb colour : palette) {
      bytes[at] = char(qBlue(colour));
      bytes[at + 1] = char(qGreen(colour));
      bytes[at + 2] = char(qRed(colour));
      at += entryBytes;
    }
  }
  return bytes + pixels;
}

QString writeBmp(const QString& path, const QImage& image, const BmpOptions& options,
                 const QList<QRgb>& palette) {
  return writeBytes(path, bmpBytes(image, options, palette));
}

QString writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    throw std::runtime_error("cannot write " + path.toStdString());
  return path;
}

bool runGdalTool(const QString& tool, const QStringList& arguments, QString* out) {
  QProcess process;
  process.start(tool, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    std::fprintf(stderr, "%s failed: %s\n", qPrintable(tool),
                 process.readAllStandardError().constData());
    return false;
  }
  if (out) *out = QString::fromUtf8(process.readAllStandardOutput());
  return true;
}

}  // namespace pelmora::testing
