// What the batch tool says of a --corners table beyond the errors of
// messages_batch.h: the notes on a header read by position, a line for no
// raster given and a raster named twice, and the errors of a first line that
// is half numbers and of a line read by the header's names. English sources
// through Qt's translation, context "BatchTool" as in messages_batch.h;
// `line` counts from 1, the captions are the fields' (`captionOf`).
#pragma once

#include <QCoreApplication>
#include <QString>

namespace pelmora::messages {

// `names` lists the headings a raster's column is known by; the captions in
// the table's order: lower left X and Y, upper right X and Y.
inline QString cornersTableHeaderByPosition(const QString& path, const QString& names, const QString& lowerLeftX,
                                            const QString& lowerLeftY, const QString& upperRightX,
                                            const QString& upperRightY) {
  return QCoreApplication::translate("BatchTool", "The header of %1 is read by position, as RASTER,%3,%4,%5,%6. To "
                                                  "have its columns read by name in any order, head the raster's "
                                                  "column with one of %2 and the corners' columns %5, %6, %3 and "
                                                  "%4, each once.")
      .arg(path, names, lowerLeftX, lowerLeftY, upperRightX, upperRightY);
}
// `name` as the line writes it.
inline QString cornersTableNamesNoRaster(int line, const QString& path, const QString& name) {
  return QCoreApplication::translate("BatchTool", "Line %1 of %2 names \"%3\", which is none of the rasters given; "
                                                  "the line is not used.")
      .arg(QString::number(line), path, name);
}
inline QString cornersTableRasterAgain(int first, int second, const QString& path, const QString& raster,
                                       int used) {
  return QCoreApplication::translate("BatchTool", "Lines %1 and %2 of %3 both name %4; the corners of line %5 are "
                                                  "used.")
      .arg(QString::number(first), QString::number(second), path, raster, QString::number(used));
}

// Usage errors.
// The first line read: line 1 unless blank or "#" lines come before it.
inline QString cornersTableFirstLineMixed(int line, const QString& path, const QString& text) {
  return QCoreApplication::translate("BatchTool", "--corners: line %1 of %2 is neither a header nor a line of "
                                                  "numbers: some of its last four fields are numbers and some are "
                                                  "not (got \"%3\")")
      .arg(QString::number(line), path, text);
}
// `headings` are the corners' columns as the header names them.
inline QString cornersTableNotNumbersUnder(int line, const QString& path, const QString& headings,
                                           const QString& text) {
  return QCoreApplication::translate("BatchTool", "--corners: line %1 of %2 does not hold a number under each of %3 "
                                                  "(got \"%4\")")
      .arg(QString::number(line), path, headings, text);
}

}  // namespace pelmora::messages
