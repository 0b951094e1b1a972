// Keeps the raster that the last load opened, so that redrawing the grid and
// the registration run never read an unchanged file again.
#pragma once

#include "raster/raster_source.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <mutex>

namespace pelmora {

struct Progress;

class RasterCache {
 public:
  // The raster at `path`, opened anew only when the path, the size or the
  // modification time differ from the cached one; the cached raster stays
  // until the new one is open. Null when `progress` asked to cancel the
  // opening. Throws Failure like openRaster.
  std::shared_ptr<const RasterSource> open(const QString& path, Progress* progress = nullptr);

  // How the rasters opened from now on are decoded (see openRaster); before
  // the opening returns unless set.
  void setDecoding(Decoding decoding) { decoding_ = decoding; }


 private:
  struct Key {
    QString path;
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const Key&) const = default;
  };
  static Key keyOf(const QString& path);

  mutable std::mutex mutex_;
  Key key_;
  std::shared_ptr<const RasterSource> source_;
  Decoding decoding_ = Decoding::beforeOpening;
};

}  // namespace pelmora
