// The ".AR2" index: one record per image (name, lower-left X, lower-left Y,
// upper-right X, upper-right Y), numbers in sign-position form, CR LF line ends.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pelmora {

struct IndexRecord {
  QString imageName;
  double lowerLeftX = 0, lowerLeftY = 0, upperRightX = 0, upperRightY = 0;
};

// The line's text without its line end ("sheet12_0.JPG, 0, 0, 100, 300").
QString indexLine(const IndexRecord& record);
// The bytes written for the record: UTF-8 text and CR LF.
QByteArray indexLineBytes(const IndexRecord& record);

// The raster's file name less its extension (from its last "."), the whole
// name when it has none.
QString rasterBaseName(const QString& rasterPath);
// The index beside the raster: its folder, its base name + ".AR2".
QString indexPathFor(const QString& rasterPath, const QString& folder = {});

// Every record's image name, in file order: each line less its last four
// fields, so that a name holding "," reads whole. Throws Failure naming the
// file when it cannot be read, is empty, or a line has fewer than five fields.
QStringList indexImageNames(const QString& path);

// The first record of an index as read back at load.
class IndexFirstRecord {
 public:
  // Reads the first line of `path`; throws Failure naming the file when it
  // cannot be read or is empty.
  explicit IndexFirstRecord(const QString& path);
  // Field 2 to 5 (lower-left X, lower-left Y, upper-right X, upper-right Y) as
  // a number. With five fields or more these are the last four of the line, so
  // that an image name holding "," still reads; a shorter line keeps its
  // fields in place. Throws Failure for a missing field or one that is no number.
  double number(int fieldNumber) const;

 private:
  QString path_;
  QStringList fields_;
};

}  // namespace pelmora
