// The order of a raster's corner sources and the coordinate system each
// brings, case by case: what is given, pair by pair, over the raster's
// georeference, the sheet code in its name, the earlier index and the
// placeholders; and the notes each case owes the user.
#include "commands/corner_sources.h"

#include "base/messages_corners.h"
#include "commands/cut.h"
#include "support/test_rasters.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelmora {
namespace {

using O = CornerOrigin;
using S = CoordinateSystemOrigin;

struct Case {
  const char* name;          // the raster's file name (400 × 300 pixels: 3 : 4)
  bool georeferenced;        // edges 1000..1300 east, 2000..1800 north, system "OWN"
  const char* index;         // the earlier index's first line; "" for none
  GivenCorners given;
  O upperRight, lowerLeft;   // origins
  double upperRightX;        // the value the upper right X takes
  S system;
  QStringList notes;         // the notes expected, in order
  bool ambiguous = false;
};

const SheetCode sheet351 = *parseSheetCode("09LD351"), sheet352 = *parseSheetCode("09LD352");
const CutCorners tableLine{30, 40, 1, 2, O::table, O::table, std::nullopt};
const QString how = "HOW";

TEST(CornerSources, EachSourceInItsOrderWithItsSystemAndNotes) {
  const QString differs = messages::indexDisagreesWithSheetCode(
      "09LD351.AR2", "右上X 30, 右上Y 40, 左下X 1, 左下Y 2", "09LD351",
      "右上X -39000, 右上Y -18000, 左下X -40500, 左下Y -20000", how);
  const QString placeholders = messages::placeholderCorners(messages::bothPairs(), how);
  const Case cases[] = {
      {"09LD351.bmp", false, "", {}, O::sheetCode, O::sheetCode, -39000, S::sheetCode, {}},
      {"09LD351.bmp", true, "", {}, O::georeference, O::georeference, 2000, S::georeference, {}},
      // The code comes before an index, which it must then contradict aloud.
      {"09LD351.bmp", false, "x, 1, 2, 30, 40", {}, O::sheetCode, O::sheetCode, -39000, S::sheetCode, {differs}},
      {"plain.bmp", false, "x, 1, 2, 30, 40", {}, O::index, O::index, 30, S::none, {}},
      // An index of this raster's placeholders is no source.
      {"plain.bmp", false, "x, 0, 0, 45, 60", {}, O::placeholder, O::placeholder, 45, S::none, {placeholders}},
      {"plain.bmp", false, "", {}, O::placeholder, O::placeholder, 45, S::none, {placeholders}},
      {"09LD351.bmp", true, "", {.sheet = sheet352}, O::sheetCode, O::sheetCode, -39000, S::sheetCode,
       {messages::georeferenceSetAside()}},
      {"plain.bmp", false, "", {.upperRight = CornerPair{7, 8}, .table = tableLine}, O::given, O::table, 7, S::none, {}},
      {"plain.bmp", false, "", {.sheet = sheet351, .table = tableLine}, O::sheetCode, O::sheetCode, -39000,
       S::sheetCode, {}},
      {"09LD351.bmp", false, "", {.upperRight = CornerPair{7, 8}}, O::given, O::sheetCode, 7, S::sheetCode, {}},
      {"09LD351.bmp", false, "", {.upperRight = CornerPair{7, 8}, .lowerLeft = CornerPair{1, 2}}, O::given, O::given,
       7, S::none, {}},
      // A name that reads two ways gives no corners unless both pairs are given.
      {"09LD35-1.bmp", false, "", {}, O::placeholder, O::placeholder, 45, S::none, {placeholders}, true},
      {"09LD35-1.bmp", false, "", {.table = tableLine}, O::table, O::table, 30, S::none, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.name << " index \"" << c.index << "\" upper right " << c.upperRightX);
    QTemporaryDir dir;
    const QString path = testing::writeBmp24(QDir(dir.path()).filePath(c.name), testing::positionImage(400, 300));
    const TileSet set(path);
    if (*c.index) testing::writeBytes(set.indexPath(), QByteArray(c.index) + "\r\n");
    LoadedRaster raster = loadRasterFile(path, set, Decoding::never, nullptr);
    if (c.georeferenced) raster.opened.placement = {NorthUpEdges{2000, 1800, 1000, 1300}, false, "OWN"};

    const PlacedCorners placed = placeCorners(raster, set, c.given, how);
    EXPECT_EQ(placed.corners.upperRightOrigin, c.upperRight);
    EXPECT_EQ(placed.corners.lowerLeftOrigin, c.lowerLeft);
    EXPECT_EQ(placed.corners.upperRightX, c.upperRightX);
    EXPECT_EQ(placed.notes, c.notes);
    EXPECT_EQ(!placed.ambiguousName.isEmpty(), c.ambiguous);
    CutRequest request;
    request.corners = placed.corners;
    EXPECT_EQ(chooseCoordinateSystem(request, "OWN", false, false).origin, c.system);
  }
}

TEST(CornerSources, ACodesProportionsNoteNamesOnlyThePairsFromTheCode) {
  QTemporaryDir dir;
  const QString path = testing::writeBmp24(dir.filePath("09LD353.bmp"), testing::positionImage(400, 400));
  const TileSet set(path);
  const LoadedRaster raster = loadRasterFile(path, set, Decoding::never, nullptr);
  EXPECT_EQ(placeCorners(raster, set, {}, how).proportionsNote,
            messages::sheetProportionsDiffer("09LD353", 400, 400, messages::bothPairs()));
  EXPECT_EQ(placeCorners(raster, set, {.upperRight = CornerPair{7, 8}}, how).proportionsNote,
            messages::sheetProportionsDiffer("09LD353", 400, 400, messages::lowerLeftPair()));
}

}  // namespace
}  // namespace pelmora
