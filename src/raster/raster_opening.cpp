#include "raster/raster_opening.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "base/failure.h"
#include "base/messages.h"
#include "base/file_io.h"
#include "base/system_errors.h"
#include "raster/bmp_header.h"
#include "raster/bmp_file.h"
#include "raster/gdal_raster.h"

namespace pelmora {
namespace {

Failure cannotOpen(int error, const QString& path) {
  if (error == ENOENT || error == ENOTDIR)
    return Failure(messages::fileNotFound(), path);
  return Failure(
      messages::cannotOpenFile(systemErrorText(error)),
      path);
}

}  // namespace

OpenedRaster openRaster(const QString& path, Progress* progress, Decoding decoding) {
  if (path.isEmpty()) throw Failure(messages::fileNotFound(), path);
  const FileDescriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
  if (!file.isOpen()) throw cannotOpen(errno, path);
  struct stat status {};
  if (fstat(file.get(), &status) != 0) throw cannotOpen(errno, path);
  if (!S_ISREG(status.st_mode)) throw Failure(messages::fileNotFound(), path);
  if (status.st_size == 0) throw Failure(messages::fileEmpty(), path);

  std::uint8_t head[kBmpHeadBytes];
  const ssize_t got = pread(file.get(), head, sizeof head, 0);
  if (got < 0) throw cannotOpen(errno, path);
  if (looksLikeBmp(head, std::size_t(got))) {
    try {
      if (auto layout = inspectBmp(head, std::size_t(got), status.st_size)) {
        auto bitmap = std::make_shared<BmpFile>(file.get(), status, std::move(*layout), path);
        // A bitmap carries no placement of its own; the files beside it may.
        Georeference placement = readSidecars(path, bitmap->width(), bitmap->height());
        return {std::move(bitmap), std::move(placement)};
      }
    } catch (const Failure& failure) {
      if (!failure.file().isEmpty()) throw;
      throw Failure(failure.cause(), path);
    }
  }
  return decodeWithGdal(path, progress, decoding);
}

}  // namespace pelmora
