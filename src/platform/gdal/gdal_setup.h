// Inside pelmora-gdal.so: GDAL set up once per process the way the raster
// sources need it: every driver registered, messages kept for our own
// failures instead of printed, the block cache bounded so that memory does
// not grow with the raster.
#pragma once

#include <QString>

namespace pelmora {

void ensureGdal();

// GDAL's last message on this thread, or `fallback` when it gave none.
QString lastGdalError(const QString& fallback);

}  // namespace pelmora
