// The masks beside the images that reach past the sheet, read back as GIS
// software reads them (GDAL's mask band), against where the world file puts
// each pixel and what the image shows there.
#include "support/station.h"
#include "support/test_rasters.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelmora {
namespace {

// The sheet spans north 0 to 100 and east 0 to 300 (the station's corners);
// the raster is dark, so the white the renderer leaves past it shows.
TEST(EdgeMask, MarksWhatLiesPastTheSheetAndGoesWithTheWorldFiles) {
  QTemporaryDir rasterDir, out, scratch;
  QImage dark(3000, 1000, QImage::Format_RGB32);
  dark.fill(qRgb(40, 40, 40));
  const QString raster = testing::writeBmp24(rasterDir.filePath("sheet12.bmp"), dark);
  testing::Station run(raster, out.path(), "2", "3", " 90");
  run.request.worldFiles = true;
  ASSERT_TRUE(run.run().isCompleted());

  const QDir folder(out.path());
  // The last column of tiles and the last row; the overview ends on the sheet.
  EXPECT_EQ(folder.entryList({"*.msk"}, QDir::Files, QDir::Name).join(u' ').toStdString(),
            "sheet12_3.JPG.msk sheet12_4.JPG.msk sheet12_5.JPG.msk sheet12_6.JPG.msk");
  for (int n = 0; n <= 6; ++n) {
    const QString name = folder.filePath(QStringLiteral("sheet12_%1.JPG").arg(n));
    QFile worldFile(folder.filePath(QStringLiteral("sheet12_%1.jgw").arg(n)));
    ASSERT_TRUE(worldFile.open(QIODevice::ReadOnly));
    const QStringList world = QString::fromUtf8(worldFile.readAll()).split(QStringLiteral("\r\n"));
    const double A = world.value(0).toDouble(), E = world.value(3).toDouble();
    const double C = world.value(4).toDouble(), F = world.value(5).toDouble();
    const QString pgm = scratch.filePath(QStringLiteral("mask.pgm"));
    ASSERT_TRUE(testing::runGdalTool("gdal_translate", {"-q", "-b", "mask", "-of", "PNM", name, pgm}));
    const QImage image(name, "JPEG"), mask(pgm);
    ASSERT_EQ(mask.size(), image.size()) << n;
    for (int row = 0; row < image.height(); ++row)
      for (int col = 0; col < image.width(); ++col) {
        // Not valid where the pixel's centre lies past the sheet or the raster is not drawn.
        const bool past = C + A * col > 300 || F + E * row < 0;
        const bool white = qGreen(image.pixel(col, row)) > 128;
        const int value = qGray(mask.pixel(col, row));
        ASSERT_EQ(value, past || white ? 0 : 255) << name.toStdString() << " " << col << "," << row;
      }
  }
  QString info;
  ASSERT_TRUE(testing::runGdalTool("gdalinfo", {folder.filePath("sheet12_6.JPG")}, &info));
  EXPECT_EQ(info.count(QStringLiteral("Mask Flags: PER_DATASET")), 3) << info.toStdString();

  testing::Station without(raster, out.path(), "2", "3");
  ASSERT_TRUE(without.run().isCompleted());
  EXPECT_EQ(folder.entryList({"*.msk"}, QDir::Files).join(u' ').toStdString(), "");
}

}  // namespace
}  // namespace pelmora
