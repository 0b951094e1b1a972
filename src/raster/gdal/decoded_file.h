// Inside pelmora-gdal.so: every raster that is not an uncompressed bitmap,
// decoded once through GDAL,
// on every core where the format allows reading its blocks out of order, into
// an unnamed temporary file of 24-bit rows that the renderer then reads with
// pread. Decoding once serves the load's drawing, the overview and every tile
// alike; reading the file with pread rather than mapping it keeps it out of
// the process's resident memory. The file has no name, so the system removes
// it when the raster is released or the process ends, however it ends.
#pragma once

#include <QString>
#include <memory>

#include "raster/gdal_module_api.h"
#include "raster/raster_source.h"

namespace pelmora {

class DecodedFile final : public RasterSource {
 public:
  DecodedFile(int width, int height, int fd);  // takes `fd`
  ~DecodedFile() override;
  DecodedFile(const DecodedFile&) = delete;
  DecodedFile& operator=(const DecodedFile&) = delete;

  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override;
  const std::uint8_t* rowColumns(int y, int first, int end,
                                 std::vector<std::uint8_t>& scratch) const override;
  RowBlock readRows(int first, int count, std::uint8_t* buffer) const override;
  void willRead(int first, int last) const override;

 private:
  void readAt(std::uint8_t* into, std::size_t bytes, std::int64_t offset) const;
  int fd_;
  std::size_t rowBytes_;
};

// Decodes `path` with GDAL and gives its placement in `placement`; null when
// `progress` asked to cancel. Throws Failure naming the file and the cause
// (GDAL's own, or the pixel type it has when that is not 8-bit gray, palette,
// RGB or RGBA).
std::unique_ptr<RasterSource> decodeFile(const QString& path, Progress* progress,
                                         GdalPlacement& placement);

}  // namespace pelmora
