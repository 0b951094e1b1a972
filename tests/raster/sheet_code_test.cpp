// Sheet codes across every level and the edges of the zone's area, the worked
// example among them; the codes that are none; codes in file names.
#include "raster/sheet_code.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

TEST(SheetCode, EveryLevelGivesItsCellsEdges) {
  struct Case {
    const char* text;
    int zone;
    double top, right, bottom, left;  // 右上X, 右上Y, 左下X, 左下Y
  };
  const Case cases[] = {
      {"09LD", 9, -30000, 0, -60000, -40000},              // 50000
      {"09LD35", 9, -39000, -16000, -42000, -20000},       // 5000
      {"09LD351", 9, -39000, -18000, -40500, -20000},      // 2500, north-west
      {"09LD354", 9, -40500, -16000, -42000, -18000},      // 2500, south-east
      {"09ld352a", 9, -40200, -19200, -40800, -20000},     // 1000, either case
      {"09LD3512", 9, -39300, -18800, -39600, -19200},     // 500 (not an older 2500 subdivision)
      {"19AA00AA", 19, 300000, -159800, 299850, -160000},  // 250, the zone's north-west corner
      {"01TH99", 1, -297000, 160000, -300000, 156000},     // the zone's south-east corner
  };
  for (const Case& c : cases) {
    const auto sheet = parseSheetCode(c.text);
    ASSERT_TRUE(sheet) << c.text;
    EXPECT_EQ(sheet->code, QString(c.text).toUpper());
    EXPECT_EQ(sheet->zone, c.zone) << c.text;
    EXPECT_EQ(sheet->edges, (NorthUpEdges{c.top, c.bottom, c.left, c.right})) << c.text;
  }
  // Full-width forms, as an input method types them.
  EXPECT_EQ(parseSheetCode(QString::fromUtf8("０９ｌｄ３５１")).value_or(SheetCode{}).code, "09LD351");
  for (const char* none : {"00LD35", "20LD35", "09UD35", "09LI35", "09LD3", "09LD355", "09LD355A", "09LD35UA",
                           "09LD35123", "09LD352F", "9LD35", "09L-35", ""})
    EXPECT_FALSE(parseSheetCode(none)) << none;
}

TEST(SheetCode, FileNamesBeginWithTheCodeUpToTheirFirstOtherCharacter) {
  for (const char* path : {"/maps/09LD351.tif", "09ld351.bmp", "a.b/09LD351_scan.tif", "09LD351-2019.png",
                           "09LD351.v2.tif", "09LD351", "０９ＬＤ３５１.bmp", "09LD351市街図.bmp"}) {
    const SheetCodeInName found = sheetCodeInFileName(QString::fromUtf8(path));
    EXPECT_EQ(found.code.value_or(SheetCode{}).code, "09LD351") << path;
    EXPECT_FALSE(found.finerReading) << path;
  }
  for (const char* path : {"09LD351scan.tif", "x09LD351.tif", "/maps/09LD351/sheet.tif", "20LD351.tif"})
    EXPECT_FALSE(sheetCodeInFileName(path).code) << path;
}

// A finer division after the code's separator makes the name read two ways.
TEST(SheetCode, ANameWhoseNextPartIsAFinerDivisionIsAmbiguous) {
  const struct {
    const char* path;
    const char* code;
    const char* finer;  // "": not ambiguous
  } cases[] = {
      {"09LD35-1.bmp", "09LD35", "09LD351"},   {"09LD35_2.tif", "09LD35", "09LD352"},
      {"09LD35-1A.bmp", "09LD35", "09LD351A"}, {"09LD-35.bmp", "09LD", "09LD35"},
      {"12KB77_scan.bmp", "12KB77", ""},       {"09LD35-2019.bmp", "09LD35", ""},
      {"09LE124-2019.bmp", "09LE124", ""},     {"09LD351-1.bmp", "09LD351", ""},
  };
  for (const auto& c : cases) {
    const SheetCodeInName found = sheetCodeInFileName(c.path);
    EXPECT_EQ(found.code.value_or(SheetCode{}).code, c.code) << c.path;
    EXPECT_EQ(found.finerReading.value_or(SheetCode{}).code, c.finer) << c.path;
  }
}

TEST(SheetCode, ZonesMapToTheirCoordinateSystems) {
  EXPECT_EQ(epsgOfZone(9, Datum::jgd2011), 6677);
  EXPECT_EQ(epsgOfZone(1, Datum::jgd2011), 6669);
  EXPECT_EQ(epsgOfZone(19, Datum::jgd2000), 2461);
  EXPECT_EQ(epsgOfZone(1, Datum::tokyo), 30161);
}

}  // namespace
}  // namespace pelmora
