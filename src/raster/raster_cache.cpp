#include "raster/raster_cache.h"

#include "raster/raster_opening.h"

#include <QFileInfo>

namespace pelmora {

RasterCache::Key RasterCache::keyOf(const QString& path) {
  QFileInfo info(path);
  if (path.isEmpty() || !info.isFile()) return Key{path, -1, {}};
  return Key{path, info.size(), info.lastModified()};
}

std::shared_ptr<const RasterSource> RasterCache::open(const QString& path, Progress* progress) {
  const Key key = keyOf(path);
  std::lock_guard lock(mutex_);
  if (source_ && key.size >= 0 && key == key_) return source_;
  // No source holds its raster in memory (every one reads its file row by
  // row), so the old one can stay while the new one opens: a cancelled or
  // failed opening leaves the cache as it was.
  auto opened = openRaster(path, progress, decoding_);
  if (!opened) return nullptr;
  key_ = key;
  source_ = opened;
  return opened;
}

}  // namespace pelmora
