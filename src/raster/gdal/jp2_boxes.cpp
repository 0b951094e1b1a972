#include "raster/gdal/jp2_boxes.h"

#include <QFile>
#include <QtEndian>
#include <cstring>

#include "base/failure.h"
#include "base/messages.h"

namespace pelmora {
namespace {

constexpr unsigned char kSignatureBox[12] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50,
                                             0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};

Failure brokenBoxes(const QString& path, qint64 offset) {
  return Failure(messages::jp2BoxBeyondEnd(offset), path);
}

}  // namespace

void checkJp2Boxes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;  // the opening proper names the cause
  unsigned char head[16];
  if (file.read(reinterpret_cast<char*>(head), 12) != 12 ||
      std::memcmp(head, kSignatureBox, sizeof kSignatureBox) != 0)
    return;
  // A file read through /proc/self/fd or a pipe may not know its size up front.
  const qint64 size = file.size() > 0 ? file.size() : file.readAll().size() + 12;
  qint64 offset = 12;
  while (offset < size) {
    if (size - offset < 8 || !file.seek(offset) || file.read(reinterpret_cast<char*>(head), 8) != 8)
      throw brokenBoxes(path, offset);
    const quint64 shortLength = qFromBigEndian<quint32>(head);
    if (shortLength == 0) return;  // the last box runs to the end of the file
    quint64 length = shortLength;
    quint64 header = 8;
    if (shortLength == 1) {
      if (size - offset < 16 || file.read(reinterpret_cast<char*>(head + 8), 8) != 8)
        throw brokenBoxes(path, offset);
      length = qFromBigEndian<quint64>(head + 8);
      header = 16;
    }
    if (length < header || length > quint64(size - offset)) throw brokenBoxes(path, offset);
    offset += qint64(length);
  }
}

}  // namespace pelmora
