// The --corners table as spreadsheets write it: which line gives which
// raster's corners, and what the reader says of the other lines.
#include "cli/corners_table.h"

#include "base/messages_batch.h"
#include "base/messages_corners_table.h"
#include "commands/front_end.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace pelmora {
namespace {

// Each raster's corners as "RASTER: LLX LLY URX URY @LINE", one a line.
std::string cornersOf(const CornersTable& table) {
  QStringList shown;
  for (const auto& [raster, c] : table.byRaster)
    shown << QStringLiteral("%1: %2 %3 %4 %5 @%6")
                 .arg(raster, c.lowerLeftX, c.lowerLeftY, c.upperRightX, c.upperRightY, QString::number(c.lineNumber));
  return shown.join(u'\n').toStdString();
}

struct Case {
  const char* what;
  QByteArray bytes;
  QStringList rasters;
  QStringList corners;
  QStringList notes = {};
  QString error = {};
};

TEST(CornersTable, ReadsTheTablesSpreadsheetsWrite) {
  QTemporaryDir dir;
  const QString path = dir.filePath("corners.csv");
  const QString llx = captionOf(Field::Text3), lly = captionOf(Field::Text4), urx = captionOf(Field::Text1),
                ury = captionOf(Field::Text2);
  const QStringList ab{"sheetA.bmp", "maps/sheetB.tif"};
  const std::vector<Case> cases = {
      {"CP932 header 画像,右上X,右上Y,左下X,左下Y read by its names; a damaged line for a raster",
       QByteArray("\x89\xe6\x91\x9c,\x89" "E\x8f\xe3X,\x89" "E\x8f\xe3Y,\x8d\xb6\x89\xbaX,\x8d\xb6\x89\xbaY\r\n"
                  "sheetA,-39000,-18000,-40500,-20000\r\nsheetB,1,2,3\r\n"),
       ab, {"sheetA.bmp: -40500 -20000 -39000 -18000 @2"}, {},
       messages::cornersTableNotNumbersUnder(3, path, QStringList{llx, lly, urx, ury}.join(", "), "sheetB,1,2,3")},
      {"no header: RASTER,左下X,左下Y,右上X,右上Y from line 1; the later of two lines wins",
       "sheetA.bmp,1,2,3,4\nsheetB,5,6,7,8\nsheetB.tif,9,9,9,9\n", ab,
       {"maps/sheetB.tif: 9 9 9 9 @3", "sheetA.bmp: 1 2 3 4 @1"},
       {messages::cornersTableRasterAgain(2, 3, path, "maps/sheetB.tif", 3)}},
      {"headings in other widths, cases and blanks; other columns, empty rows and lines for no raster skipped",
       QString("Name,左下Ｙ,左下 x,右上X, 右上y ,備考\n,,,,,\nsheetB.tif,2,1,3,4,old\nother.tif,x\n").toUtf8(), ab,
       {"maps/sheetB.tif: 1 2 3 4 @3"}, {messages::cornersTableNamesNoRaster(4, path, "other.tif")}},
      {"TAB before \";\"", "a;b.bmp\t1\t2\t3\t4\n", {"a;b.bmp"}, {"a;b.bmp: 1 2 3 4 @1"}},
      {"\";\" outside quotes; quoted thousands; empty columns at the end",
       QString("\"sheetA\";\"-40,500\";\"1,234.5\";\"－３９，０００\";-18000;;\n").toUtf8(), ab,
       {"sheetA.bmp: -40500 1234.5 －３９０００ -18000 @1"}},
      {"a comma out of thousands' groups stays", "sheetB,1,2,3,4\nsheetA.bmp,\"1,23\",2,3,4\n", ab,
       {"maps/sheetB.tif: 1 2 3 4 @1"}, {},
       messages::cornersTableLineMalformed(2, path, llx, lly, urx, ury, "sheetA.bmp,\"1,23\",2,3,4")},
      {"paths in both styles", QString("tab/市街図A.bmp,1,2,3,4\nC:\\scans\\sheetH.bmp,5,6,7,8\n").toUtf8(),
       {"maps/市街図A.bmp", "sheetH.bmp"}, {"maps/市街図A.bmp: 1 2 3 4 @1", "sheetH.bmp: 5 6 7 8 @2"}},
      {"letter case and width: an exact name wins, in either order",
       "SHEET,1,2,3,4\nsheet,5,6,7,8\nmap.BMP,9,9,9,9\nSHEET.TIF,0,0,0,0\n", {"Sheet.bmp", "sheet.tif", "ＭＡＰ.bmp"},
       {"Sheet.bmp: 1 2 3 4 @1", "sheet.tif: 5 6 7 8 @2", "ＭＡＰ.bmp: 9 9 9 9 @3"},
       {messages::cornersTableRasterAgain(1, 2, path, "sheet.tif", 2),
        messages::cornersTableRasterAgain(2, 4, path, "sheet.tif", 2)}},
      {"a header without the known names is read by position, with a note",
       "Raster file;LLX;LLY;URX;URY\nsheetA;1;2;3;4\n", ab, {"sheetA.bmp: 1 2 3 4 @2"},
       {messages::cornersTableHeaderByPosition(path, "画像, ファイル, ファイル名, raster, file, filename, image, name",
                                               llx, lly, urx, ury)}},
      {"a first line of some numbers", "sheetN.bmp,abc,-20000,-39000,-18000\nsheetA,1,2,3,4\n", ab, {}, {},
       messages::cornersTableFirstLineMixed(1, path, "sheetN.bmp,abc,-20000,-39000,-18000")},
  };
  for (const Case& c : cases) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(c.bytes);
    file.close();
    const CornersTable table = readCornersTable(path, c.rasters);
    EXPECT_EQ(cornersOf(table), c.corners.join(u'\n').toStdString()) << c.what;
    EXPECT_EQ(table.notes.join(u'\n').toStdString(), c.notes.join(u'\n').toStdString()) << c.what;
    EXPECT_EQ(table.error.toStdString(), c.error.toStdString()) << c.what;
  }
}

}  // namespace
}  // namespace pelmora
