// An uncompressed bitmap read where it lies: the file is mapped read-only and
// its rows are addressed in the mapping, without decoding or copying. Written
// here rather than taken from an image library: the libraries at hand decode
// into a copy of the whole raster (gigabytes, seconds of first-touch faults)
// and Qt's reader refuses anything over 16384 × 16384 pixels.
#pragma once

#include <QString>
#include <memory>

#include <sys/stat.h>

#include "platform/bmp_header.h"
#include "platform/mapping_guard.h"
#include "platform/raster_source.h"

namespace pelmora {

class MappedBmp : public RasterSource {
 public:
  // Maps `fd` (left open to the caller; a duplicate is kept to notice changes)
  // described by `status`, whose headers gave `layout`.
  MappedBmp(int fd, const struct stat& status, BmpLayout layout, const QString& path);
  ~MappedBmp() override;
  MappedBmp(const MappedBmp&) = delete;
  MappedBmp& operator=(const MappedBmp&) = delete;

  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override;
  const std::uint8_t* rowInPlace(int y) const override;
  void willRead(int first, int last) const override;
  void checkUnchanged() const override;

 private:
  const std::uint8_t* storedRow(int y) const;
  [[noreturn]] void throwChanged() const;

  BmpLayout layout_;
  QString path_;
  void* mapping_ = nullptr;
  std::size_t mappedBytes_ = 0;
  std::unique_ptr<MappingGuard> guard_;
  int fd_ = -1;
  struct stat opened_ {};
};

}  // namespace pelmora
