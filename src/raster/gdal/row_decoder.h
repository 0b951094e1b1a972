// A raster file decoded from its first row on by its format's own library,
// straight into blue-green-red rows. GDAL's drivers give the same pixels
// (the same libraries with their default settings) but through GDAL's block
// cache a channel at a time, at a half to a third of the speed; GDAL still opens
// the file, says what it holds and where it lies.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "base/failure.h"
#include "base/messages.h"
#include "base/system_errors.h"

namespace pelmora {

class RowDecoder {
 public:
  virtual ~RowDecoder() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Decodes the next `count` rows into `out`, rows of width() * 3 bytes one
  // after the other. Throws Failure with the library's own words when it fails.
  virtual void read(int count, std::uint8_t* out) = 0;
};

// `path` opened for reading as a stdio stream, which the decoding libraries
// read from. Throws Failure naming the cause.
inline FILE* openRasterStream(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  FILE* file = fd < 0 ? nullptr : fdopen(fd, "rb");
  if (!file) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    throw Failure(messages::cannotOpenFile(systemErrorText(error)), path);
  }
  return file;
}

}  // namespace pelmora
