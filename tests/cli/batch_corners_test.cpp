// pelmora-tile's corners and frames: where each raster's corners and system
// come from as the dry run says, the notes and the summary, --frame and
// --preview.
#include "base/messages.h"
#include "base/messages_batch.h"
#include "base/messages_corners.h"
#include "base/messages_corners_table.h"
#include "batch_fixture.h"
#include "support/frame_scans.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

namespace pelmora {
namespace {

// Where the corners and the coordinate system come from, as the dry run says
// (the order itself is the load's), and the notes the batch tool gives.
TEST_F(BatchTool, SheetCodesTablesAndCoordinateSystemsAsTheDryRunShowsThem) {
  const QString sheet = testing::writeBmp24(dir.filePath("09ld351_scan.bmp"), testing::positionImage(400, 300));
  auto corners = [this] { return outLines().mid(0, 4).join(u' '); };
  auto origins = [this] { return outLines().filter(QRegularExpression("^c[a-z]+-from: ")); };
  ASSERT_EQ(run({"-n", "--frame", "none", sheet}), kCompleted) << captured->err.toStdString();
  EXPECT_EQ(corners(), QString::fromUtf8("右上X: -39000 右上Y: -18000 左下X: -40500 左下Y: -20000"));
  EXPECT_EQ(origins(), QStringList({"corners-from: upper-right=sheet-code:09LD351 lower-left=sheet-code:09LD351",
                                    "crs-from: sheet-code:09LD351 EPSG:6677"}));
  EXPECT_EQ(captured->err, "");  // --frame none

  // --sheet wins over the name and -u over --sheet, each pair on its own.
  ASSERT_EQ(run({"-n", "--sheet", "０９ＬＤ３５２", "-u", "1,2", "--datum", "tokyo", sheet}), kCompleted);
  EXPECT_EQ(corners(), QString::fromUtf8("右上X: 1 右上Y: 2 左下X: -40500 左下Y: -18000"));
  EXPECT_EQ(origins(), QStringList({"corners-from: upper-right=given lower-left=sheet-code:09LD352",
                                    "crs-from: sheet-code:09LD352 EPSG:30169"}));

  // A table line as written, the reader's notes on stderr; a system given wins.
  const QString table = dir.filePath("corners.csv");
  writeFile(table, "RASTER,\x8d\xb6\x89\xbaX,\x8d\xb6\x89\xbaY,\x89" "E\x8f\xe3X,\x89" "E\x8f\xe3Y\r\n"
                   "other.tif,x\r\n09ld351_scan,\x82\x50,2,30,40\r\n");
  ASSERT_EQ(run({"-n", "--corners", table, "--crs", "EPSG:6675", sheet}), kCompleted) << captured->err.toStdString();
  EXPECT_TRUE(captured->err.contains(messages::cornersTableNamesNoRaster(2, table, "other.tif")))
      << captured->err.toStdString();
  EXPECT_EQ(corners(), QString::fromUtf8("右上X: 30 右上Y: 40 左下X: １ 左下Y: 2"));
  EXPECT_EQ(origins(), QStringList({"corners-from: upper-right=table lower-left=table", "crs-from: given EPSG:6675"}));

  // The zone's system reaches the images' .aux.xml; a re-run takes the code again.
  ASSERT_EQ(run({"--world-files", "-r", "1", "-c", "1", sheet}), kCompleted) << captured->err.toStdString();
  EXPECT_TRUE(readFile(dir.filePath("09ld351_scan_1.JPG.aux.xml")).contains("AUTHORITY[\"EPSG\",\"6677\"]]"));
  ASSERT_EQ(run({"-n", sheet}), kCompleted);
  EXPECT_EQ(origins()[0], "corners-from: upper-right=sheet-code:09LD351 lower-left=sheet-code:09LD351");

  // Bad codes, table lines and systems are usage errors naming them; so is a
  // system whose area of use is far from the corners.
  writeFile(table, "09ld351_scan.bmp,1,2,3,4\n09ld351_scan.bmp,1,2,x,4\n");
  EXPECT_EQ(run({"-n", "--corners", table, sheet}), kUsageError);
  EXPECT_TRUE(captured->err.contains("line 2")) << captured->err.toStdString();
  EXPECT_EQ(run({"-n", "--sheet", "09LD355", sheet}), kUsageError);
  EXPECT_EQ(run({"-n", "--crs", "EPSG:99999999", sheet}), kUsageError);
  EXPECT_EQ(run({"-n", "--crs", "EPSG:4326", sheet}), kUsageError);
  EXPECT_TRUE(captured->err.contains("--crs EPSG:4326")) << captured->err.toStdString();
  EXPECT_EQ(run({"-n", "--crs", "EPSG:6677", sheet}), kCompleted) << captured->err.toStdString();
}

// A raster no source places is cut on placeholders, said, counted, and
// given no world file; --datum with no code to apply it to is said too.
TEST_F(BatchTool, PlaceholdersAndAnUnusedDatumAreSaid) {
  const QString second = testing::writeBmp24(dir.filePath("09LD35-1.bmp"), testing::positionImage(400, 300));
  EXPECT_EQ(run({"--world-files", "--datum", "tokyo", "-o", dir.filePath("out"), raster, second}), kStopped);
  const QString& err = captured->err;
  EXPECT_TRUE(err.contains(messages::placeholderCorners(messages::bothPairs(), messages::howToGiveCorners())))
      << err.toStdString();
  EXPECT_TRUE(err.contains(messages::noWorldFilesOnPlaceholders()));
  EXPECT_TRUE(err.contains(messages::datumUnused("tokyo")));
  EXPECT_TRUE(err.contains(messages::ambiguousSheetName("09LD35-1.bmp", "09LD35", "09LD351",
                                                         messages::howToGiveCorners())));
  EXPECT_TRUE(err.endsWith(messages::batchSummary(1, 0, 1, -1, false, 1) + "\n")) << err.toStdString();
  EXPECT_TRUE(QFile::exists(dir.filePath("out/sheet12_1.JPG")));
  EXPECT_FALSE(QFile::exists(dir.filePath("out/sheet12_1.jgw")));
  EXPECT_FALSE(QFile::exists(dir.filePath("out/09LD35-1.AR2")));

  writeFile(dir.filePath("junk.bmp"), "not a picture");
  EXPECT_EQ(run({"-n", raster, dir.filePath("junk.bmp")}), kStopped);
  EXPECT_TRUE(captured->err.endsWith(messages::batchSummary(1, 0, 1, -1, true, 1) + "\n"));
}

// --frame: corners given, looked for, or none; what the dry run says of each.
TEST_F(BatchTool, AFrameGivenOrLookedForIsCutAndSaid) {
  const QString sheet = testing::writeBmp24(dir.filePath("09LD351.bmp"), testing::positionImage(400, 300));
  auto lastLine = [this] { return outLines().at(outLines().size() - 2); };  // before the final newline
  // A frame of 360 × 255 inside the margins, typed as the dry run prints it:
  // the cut raster is its inside.
  ASSERT_EQ(run({"-n", "--frame", "20,15 380,15  380,270 20,270", sheet}), kCompleted) << captured->err.toStdString();
  EXPECT_EQ(lastLine(), "frame: given 20.00,15.00 380.00,15.00 380.00,270.00 20.00,270.00");
  EXPECT_TRUE(outLines().contains(QString::fromUtf8("横: 1.41"))) << captured->out.toStdString();

  EXPECT_EQ(run({"-n", "--frame", "20,15,380,15,380,285", sheet}), kUsageError);
  EXPECT_EQ(run({"-n", "--frame", "20,15,480,15,380,285,20,285", sheet}), kStopped);
  EXPECT_TRUE(captured->err.contains(sheet)) << captured->err.toStdString();

  // A coded sheet is looked for by default. No frame line: a raster of the
  // sheet's proportions keeps its edges, any other stops unless --frame none.
  ASSERT_EQ(run({"-n", sheet}), kCompleted) << captured->err.toStdString();
  EXPECT_TRUE(lastLine().startsWith("frame: none (")) << lastLine().toStdString();
  const QString square = testing::writeBmp24(dir.filePath("09LD352.bmp"), testing::positionImage(300, 300));
  EXPECT_EQ(run({"-o", dir.filePath("out"), square}), kStopped);
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("out/09LD352.AR2")));
  EXPECT_EQ(run({"-o", dir.filePath("out"), "--frame", "none", square}), kCompleted);
  // Typed corners take a frame only when asked to look for one.
  ASSERT_EQ(run({"-n", "-u", "300,400", "-l", "0,0", square}), kCompleted);
  EXPECT_TRUE(outLines().filter(QRegularExpression("^frame: ")).isEmpty()) << captured->out.toStdString();
}

// --preview in a dry run: the scan reduced, the frame found in blue, the grid
// in red; one file per raster, a second of the same name numbered, nothing else.
TEST_F(BatchTool, APreviewShowsTheFrameAndTheGrid) {
  const testing::FrameScan scan = testing::renderFrameScan({});
  const QString first = testing::writeBmp24(dir.filePath("scan.bmp"), scan.image);
  ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
  const QString second = testing::writeBmp24(dir.filePath("sub/scan.bmp"), scan.image);
  ASSERT_EQ(run({"-n", "--frame", "detect", "-r", "3", "-c", "4", "--preview", dir.filePath("shown"), first, second}),
            kCompleted)
      << captured->err.toStdString();
  QStringList written;
  for (QDirIterator files(dir.path(), QDir::Files, QDirIterator::Subdirectories); files.hasNext();)
    written << QDir(dir.path()).relativeFilePath(files.next());
  written.sort();
  EXPECT_EQ(written.join(' '), "scan.bmp sheet12.bmp shown/scan-2.png shown/scan.png sub/scan.bmp");

  const QImage preview(dir.filePath("shown/scan.png"));
  ASSERT_EQ(std::max(preview.width(), preview.height()), 1000);
  const double scale = 1000.0 / std::max(scan.image.width(), scan.image.height());
  // Whether a pixel within one of the point (the frame's at across, down) has `colour`.
  auto near = [&](double across, double down, QRgb colour) {
    const FramePoint p = pointOfFrame(scan.corners, across, down);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (preview.pixel(int(p.x * scale) + dx, int(p.y * scale) + dy) == colour) return true;
    return false;
  };
  const QRgb blue = qRgb(0, 0, 255), red = qRgb(255, 0, 0);
  for (const auto& [across, down] : {std::pair{0.5, 0.0}, {1.0, 0.5}, {0.5, 1.0}, {0.0, 0.5}})
    EXPECT_TRUE(near(across, down, blue)) << across << ", " << down;
  for (const auto& [across, down] : {std::pair{0.4, 1 / 3.0}, {0.4, 2 / 3.0}, {0.25, 0.5}, {0.75, 0.5}})
    EXPECT_TRUE(near(across, down, red)) << across << ", " << down;
  EXPECT_FALSE(near(0.125, 1 / 6.0, red) || near(0.125, 1 / 6.0, blue));  // inside a cell
}

}  // namespace
}  // namespace pelmora
