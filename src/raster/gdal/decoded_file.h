// Inside pelmora-gdal.so: every raster that is not an uncompressed bitmap,
// decoded once (decoder.h) into an unnamed temporary file of 24-bit rows that
// the renderer then reads with pread. Decoded before the opening returns, or
// behind the readers: then a reader waits only for rows not yet decoded, and
// a failure of the decoder reaches the readers. Decoding once serves the
// load's drawing, the overview and every tile alike; reading the file with
// pread rather than mapping it keeps it out of the process's resident memory.
// The file has no name, so the system removes it when the raster is released
// or the process ends, however it ends.
#pragma once

#include <QString>
#include <memory>
#include <thread>

#include "base/file_io.h"
#include "raster/gdal_module_api.h"
#include "raster/raster_source.h"

namespace pelmora {

class Decoder;

class DecodedFile final : public RasterSource {
 public:
  DecodedFile(int width, int height, FileDescriptor fd);
  ~DecodedFile() override;  // stops a decoding behind the readers first
  DecodedFile(const DecodedFile&) = delete;
  DecodedFile& operator=(const DecodedFile&) = delete;

  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override;
  const std::uint8_t* rowColumns(int y, int first, int end,
                                 std::vector<std::uint8_t>& scratch) const override;
  RowBlock readRows(int first, int count, std::uint8_t* buffer) const override;
  void willRead(int first, int last) const override;
  void checkUnchanged() const override;
  void awaitDecoded() const override;

  // Runs `decoder`, which writes this file's rows, on a thread of its own.
  void decodeBehind(std::unique_ptr<Decoder> decoder);

 private:
  void readAt(std::uint8_t* into, std::size_t bytes, std::int64_t offset) const;
  // Waits until rows [0, end) are decoded.
  void awaitRows(int end) const;
  FileDescriptor fd_;
  std::size_t rowBytes_;
  std::unique_ptr<Decoder> decoder_;  // while it decodes behind the readers
  std::thread decoding_;
};

// Opens `path` with GDAL, decoded as `decoding` says, and gives its placement
// in `placement`; null when `progress` asked to cancel. Throws Failure naming
// the file and the cause (GDAL's own, or the pixel type it has when that is
// not 8-bit gray, palette, RGB or RGBA).
std::unique_ptr<RasterSource> decodeFile(const QString& path, Progress* progress, Decoding decoding,
                                         GdalPlacement& placement);

}  // namespace pelmora
