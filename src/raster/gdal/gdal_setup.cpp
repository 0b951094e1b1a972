#include "raster/gdal/gdal_setup.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_http.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <mutex>

#include "base/failure.h"
#include "base/messages.h"

namespace pelmora {
namespace {

// Stands in for every HTTP request GDAL would make (a coordinate system given
// as a URL, a remote dictionary): each one fails without a connection.
CPLHTTPResult* refuseRequest(const char*, CSLConstList, GDALProgressFunc, void*,
                             CPLHTTPFetchWriteFunc, void*, void*) {
  auto* result = static_cast<CPLHTTPResult*>(CPLCalloc(1, sizeof(CPLHTTPResult)));
  result->nStatus = 1;
  result->pszErrBuf = CPLStrdup("network access is disabled");
  return result;
}

}  // namespace

void keepGdalLocal() {
  static std::once_flag once;
  std::call_once(once, [] {
    // The drivers that read remote data are never asked to open anything
    // (decoded_file.cpp names the drivers allowed); this closes the ways left.
    CPLHTTPSetFetchCallback(refuseRequest, nullptr);
    OSRSetPROJEnableNetwork(FALSE);
  });
}

void ensureGdal() {
  static std::once_flag once;
  std::call_once(once, [] {
    keepGdalLocal();
    GDALAllRegister();
    CPLSetErrorHandler(CPLQuietErrorHandler);
    // Each block is decoded once into our own file, so a small cache suffices;
    // GDAL's default (5% of the memory) would hold a gigabyte of blocks.
    GDALSetCacheMax64(std::int64_t(64) << 20);
    // A truncated JPEG is a warning to libjpeg, which would hand out grey rows.
    CPLSetConfigOption("GDAL_ERROR_ON_LIBJPEG_WARNING", "TRUE");
  });
}

QByteArray gdalFileName(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  if (absolute.startsWith(QLatin1String("/vsi")))
    throw Failure(messages::virtualFileSystemRefused(), path);
  return QFile::encodeName(absolute);
}

QString lastGdalError(const QString& sentence) {
  const char* message = CPLGetLastErrorMsg();
  return messages::withLibraryDetail(sentence, QStringLiteral("GDAL"),
                                     message ? QString::fromUtf8(message).trimmed() : QString());
}

}  // namespace pelmora
