// Inside pelmora-gdal.so: GDAL set up once per process the way the raster
// sources need it: every driver registered, messages kept for our own
// failures instead of printed, the block cache bounded so that memory does
// not grow with the raster, and no request ever sent over the network.
#pragma once

#include <QByteArray>
#include <QString>

namespace pelmora {

void ensureGdal();

// What every use of GDAL needs even without its drivers: no network (no HTTP
// fetch, no PROJ download). ensureGdal() includes it.
void keepGdalLocal();

// The name under which GDAL is given the local file `path`: absolute, so that
// no driver takes a prefix of a relative name ("GTIFF_DIR:…") for a request of
// its own. Throws Failure naming `path` when it is a name of one of GDAL's
// virtual file systems (/vsicurl/, /vsizip/, …), which would read from
// elsewhere than the file system.
QByteArray gdalFileName(const QString& path);

// `sentence`, our own words for what failed, followed by GDAL's last message
// on this thread as its detail when it gave one: GDAL's text (English,
// whatever the language) never stands alone.
QString lastGdalError(const QString& sentence);

}  // namespace pelmora
