#include "platform/gdal/gdal_setup.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>

#include <cstdint>
#include <mutex>

namespace pelmora {

void ensureGdal() {
  static std::once_flag once;
  std::call_once(once, [] {
    GDALAllRegister();
    CPLSetErrorHandler(CPLQuietErrorHandler);
    // Each block is decoded once into our own file, so a small cache suffices;
    // GDAL's default (5% of the memory) would hold a gigabyte of blocks.
    GDALSetCacheMax64(std::int64_t(64) << 20);
    // A truncated JPEG is a warning to libjpeg, which would hand out grey rows.
    CPLSetConfigOption("GDAL_ERROR_ON_LIBJPEG_WARNING", "TRUE");
  });
}

QString lastGdalError(const QString& fallback) {
  const char* message = CPLGetLastErrorMsg();
  if (!message || !*message) return fallback;
  return QString::fromUtf8(message).trimmed();
}

}  // namespace pelmora
