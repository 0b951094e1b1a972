// A corners table for a batch of rasters: one line per raster in the index's
// own order, RASTER,左下X,左下Y,右上X,右上Y, as a spreadsheet saves it.
#pragma once

#include <QString>
#include <QStringList>
#include <map>

namespace pelmora {

struct TableCorners {
  // The four numbers as written (blanks around them dropped), in the window's
  // number syntax; they reach the corner fields as typed text does.
  QString lowerLeftX, lowerLeftY, upperRightX, upperRightY;
  int lineNumber = 0;
};

struct CornersTable {
  std::map<QString, TableCorners> byRaster;  // keyed by the raster as given
  QString error;                             // non-empty: a usage error naming the line
};

// Reads `path` (UTF-8 with or without a byte-order mark, or CP932; lines
// ending in CR LF, LF or CR) for the given `rasters`. A line's RASTER is a
// raster's file name with or without its extension. Lines starting with "#",
// blank lines and a first line whose last four fields are not numbers (a
// header) are skipped; a line for no given raster is ignored, damaged or not.
// A damaged line for a given raster, or a file that cannot be read, is an error.
CornersTable readCornersTable(const QString& path, const QStringList& rasters);

}  // namespace pelmora
