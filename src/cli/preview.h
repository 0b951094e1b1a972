// --preview: a small PNG of each raster for checking by eye what a run will
// cut: the whole scan as loaded (before its frame is set upright), reduced,
// with the frame in blue and the division grid in red over it.
#pragma once

#include "commands/front_end.h"

#include <QString>
#include <QStringList>
#include <map>
#include <optional>

namespace pelmora {

// The long side of a preview in pixels; a smaller raster keeps its size.
inline constexpr int kPreviewLongSide = 1000;

// Each raster's preview file in `folder`, by the raster as given: its base
// name (as its tile set's) with ".png". A name an earlier raster of the list
// took gets "-2", "-3", … in the order the rasters are given, so that two
// scans of one name in different folders both show, and a batch run again
// writes the same files. None when `folder` is empty.
std::map<QString, QString> previewPaths(const QStringList& rasters, const QString& folder);

// Draws the preview of `scan` with `frame` (its edges when none) and the grid
// of `rows` by `columns` on it, and writes it to `path`, creating the folder.
// Throws Failure naming the folder or the file and the cause.
void writePreview(const RasterSource& scan, const std::optional<FrameCorners>& frame, double rows, double columns,
                  const QString& path, int threads);

}  // namespace pelmora
