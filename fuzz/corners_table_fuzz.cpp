// The --corners reader on any bytes, for a few rasters: a table, notes or a
// usage error, never a crash; every corner kept belongs to a raster given and
// reads as a number, from a line the file has.
#include <unistd.h>
#include <sys/mman.h>

#include <QString>
#include <QStringList>
#include <cstdint>

#include "base/failure.h"
#include "base/field_text.h"
#include "cli/corners_table.h"

namespace {

bool readsAsNumber(const QString& text) {
  try {
    return pelmora::readWholeFieldText(text).has_value();
  } catch (const pelmora::Failure&) {
    return true;  // a number beyond a double
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("corners", MFD_CLOEXEC);
  static const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
  static const QStringList rasters{QStringLiteral("sheetA.bmp"), QStringLiteral("dir/市街図A.tif"),
                                   QStringLiteral("Sheet.BMP")};
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) __builtin_trap();
  const pelmora::CornersTable table = pelmora::readCornersTable(path, rasters);
  for (const auto& [raster, corners] : table.byRaster) {
    if (!rasters.contains(raster)) __builtin_trap();
    if (corners.lineNumber < 1 || std::size_t(corners.lineNumber) > size) __builtin_trap();
    for (const QString* text : {&corners.lowerLeftX, &corners.lowerLeftY, &corners.upperRightX, &corners.upperRightY})
      if (!readsAsNumber(*text)) __builtin_trap();
  }
  for (const QString& note : table.notes)
    if (note.isEmpty()) __builtin_trap();
  return 0;
}
