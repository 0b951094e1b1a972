#include "platform/raster_cache.h"

#include <QFileInfo>

namespace pelmora {

RasterCache::Key RasterCache::keyOf(const QString& path) {
  QFileInfo info(path);
  if (path.isEmpty() || !info.isFile()) return Key{path, -1, {}};
  return Key{path, info.size(), info.lastModified()};
}

std::shared_ptr<const RasterSource> RasterCache::open(const QString& path) {
  const Key key = keyOf(path);
  std::lock_guard lock(mutex_);
  if (source_ && key.size >= 0 && key == key_) return source_;
  // Drop the old raster first: two maps at once may not fit in memory.
  source_.reset();
  key_ = Key{};
  auto opened = openRaster(path);
  key_ = key;
  source_ = opened;
  return opened;
}

std::shared_ptr<const RasterSource> RasterCache::cached(const QString& path) const {
  const Key key = keyOf(path);
  std::lock_guard lock(mutex_);
  if (source_ && key.size >= 0 && key == key_) return source_;
  return nullptr;
}

void RasterCache::clear() {
  std::lock_guard lock(mutex_);
  source_.reset();
  key_ = Key{};
}

}  // namespace pelmora
