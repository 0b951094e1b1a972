// A corners table for a batch of rasters: one line per raster, by default in
// the index's own order RASTER,左下X,左下Y,右上X,右上Y, read as a spreadsheet
// saves it.
#pragma once

#include <QString>
#include <QStringList>
#include <map>

namespace pelmora {

struct TableCorners {
  // The four numbers as written (blanks around them, quotes and thousands
  // separators dropped), in the window's number syntax; they reach the corner
  // fields as typed text does.
  QString lowerLeftX, lowerLeftY, upperRightX, upperRightY;
  int lineNumber = 0;
};

struct CornersTable {
  std::map<QString, TableCorners> byRaster;  // keyed by the raster as given
  QString error;                             // non-empty: a usage error naming the line
  QStringList notes;                         // sentences for stderr, one each
};

// Reads `path` for the given `rasters`.
//
// Text: UTF-8 with or without a byte-order mark, or CP932; lines ending in
// CR LF, LF or CR. Blank lines, lines of empty fields and lines starting
// with "#" are skipped.
//
// Fields: the first line read (the first neither blank nor "#") gives the
// separator: TAB if it holds one outside quotes, else ";" if it holds one,
// else ",". Double quotes hold separators as text ("" is a quote; a quote left
// open ends with its line); blanks around a field are dropped, and so are
// empty fields at the end of a line. A quoted number may carry thousands
// separators ("-40,500", "1,234.5"): the commas are dropped when the field is
// a sign, 1 to 3 digits, groups of ",ddd" and decimals, and kept otherwise.
//
// Header: the first line is one when none of its number fields (its last
// four, or all but the first on a shorter line) is a number; when some are
// and some are not, it is an error. A header that holds one raster column
// (画像, ファイル, ファイル名, raster, file, filename, image or name) and each
// of the corner captions 右上X, 右上Y, 左下X, 左下Y once (compared as
// half-width, blanks and the case of letters aside) has its columns read by
// those names, in any order, the others ignored. Any other header is read by
// position, as a table without one is: the leading field(s) name the raster,
// the last four are 左下X, 左下Y, 右上X, 右上Y; a note says how to head the
// columns.
//
// Names: the raster field may be a path in either style (tab/市街図A.bmp,
// C:\scans\sheetH.bmp); its file name, with or without the extension, names a
// raster of `rasters` by its file name. A name written exactly as the raster's
// wins; otherwise a name that differs only in the case of letters or in
// full-width and half-width forms matches too, since the tables come from
// Windows, whose file names are blind to case. Between two lines naming the
// same raster, an exact one wins over one that is not, then the later one;
// a note says which is used.
//
// A line naming no given raster is skipped with a note, damaged or not; a
// damaged line for a given raster, or a file that cannot be read, is an error.
CornersTable readCornersTable(const QString& path, const QStringList& rasters);

}  // namespace pelmora
