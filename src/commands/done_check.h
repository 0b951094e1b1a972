// --skip-done: tells a raster whose set of images is already complete, so
// that a stopped batch resumes where it stopped and nothing is cut twice.
#pragma once

#include <QString>

namespace pelmora {

// True when the index at `indexPath` is newer than the raster and every image
// it lists (and, with `worldFiles`, every image's world file, and its
// .aux.xml when any image has one) exists beside it. An index that cannot be
// read counts as not done: the raster is cut again.
bool setIsDone(const QString& rasterPath, const QString& indexPath, bool worldFiles);

}  // namespace pelmora
