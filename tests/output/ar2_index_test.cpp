#include "base/failure.h"
#include "output/ar2_index.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace pelmora {
namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  const QString path = dir.filePath(name);
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(bytes);
  return path;
}

TEST(IndexLine, NumbersInSignPositionFormAndCrLf) {
  const IndexRecord record{"sheet12_0.JPG", -521.5, -82.25, -520, -81};
  EXPECT_EQ(indexLine(record), "sheet12_0.JPG,-521.5,-82.25,-520,-81");
  EXPECT_EQ(indexLineBytes(record), QByteArray("sheet12_0.JPG,-521.5,-82.25,-520,-81\r\n"));
  EXPECT_EQ(indexLine({"a_1.JPG", 0, 0.5, 100, 1.0 / 3}), "a_1.JPG, 0, .5, 100, .333333333333333");
}

TEST(IndexLine, ImageNamesAreUtf8) {
  EXPECT_EQ(indexLineBytes({QStringLiteral("地図_0.JPG"), 0, 0, 1, 1}),
            QByteArray("\xE5\x9C\xB0\xE5\x9B\xB3_0.JPG, 0, 0, 1, 1\r\n"));
}

TEST(IndexNames, BaseNameDropsTheLastExtensionOnly) {
  EXPECT_EQ(rasterBaseName("/maps/sheet12.bmp"), "sheet12");
  EXPECT_EQ(rasterBaseName("/maps/map.tiff"), "map");
  EXPECT_EQ(rasterBaseName("/maps/a.b.BMP"), "a.b");
  EXPECT_EQ(rasterBaseName("/maps/abc"), "abc");
  EXPECT_EQ(rasterBaseName("/maps.old/x.bmp"), "x");
  EXPECT_EQ(indexPathFor("/maps.old/sheet.bmp"), "/maps.old/sheet.AR2");
  EXPECT_EQ(indexPathFor("/maps/map.tiff", "/out"), "/out/map.AR2");
}

TEST(IndexReadBack, FieldsTwoToFiveOfTheFirstLine) {
  QTemporaryDir dir;
  const IndexFirstRecord record(
      writeFile(dir, "a.AR2", "x,-1234.5,678.9,2000,3000.7\r\nx_1.JPG, 1, 2, 3, 4\r\n"));
  EXPECT_EQ(record.number(2), -1234.5);
  EXPECT_EQ(record.number(3), 678.9);
  EXPECT_EQ(record.number(4), 2000);
  EXPECT_EQ(record.number(5), 3000.7);
}

TEST(IndexReadBack, TheFirstLineEndsAtCrLfLfOrCrAlone) {
  QTemporaryDir dir;
  for (const char* end : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(::testing::PrintToString(std::string(end)));
    const QByteArray two = QByteArray("x, 1, 2, 3, 4") + end + "y, 5, 6, 7, 8" + end;
    const IndexFirstRecord record(writeFile(dir, "ends.AR2", two));
    EXPECT_EQ(record.number(2), 1);
    EXPECT_EQ(record.number(5), 4);
  }
  // A first line longer than one read, without any line end.
  const IndexFirstRecord alone(
      writeFile(dir, "long.AR2", QByteArray(10000, 'n') + ", 1, 2, 3, 4"));
  EXPECT_EQ(alone.number(5), 4);
}

TEST(IndexReadBack, ANameHoldingACommaStillReads) {
  QTemporaryDir dir;
  const IndexFirstRecord record(writeFile(dir, "a,b.AR2", "a,b_0.JPG,-521.5,-82.25,-520,-81\r\n"));
  EXPECT_EQ(record.number(2), -521.5);
  EXPECT_EQ(record.number(5), -81);
}

TEST(IndexReadBack, ShortLinesAndNonNumbersAreErrorsNamingTheFile) {
  QTemporaryDir dir;
  const QString path = writeFile(dir, "short.AR2", "x,1,2,3\r\n");
  const IndexFirstRecord shortRecord(path);
  EXPECT_EQ(shortRecord.number(4), 3);  // fields keep their places
  try {
    shortRecord.number(5);
    FAIL() << "a missing fifth field must fail";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.file(), path);
  }
  const IndexFirstRecord words(writeFile(dir, "words.AR2", "x,1,two,3,4\r\n"));
  EXPECT_THROW(words.number(3), Failure);
  EXPECT_THROW(IndexFirstRecord(writeFile(dir, "empty.AR2", "")), Failure);
  EXPECT_THROW(IndexFirstRecord(dir.filePath("missing.AR2")), Failure);
}

}  // namespace
}  // namespace pelmora
