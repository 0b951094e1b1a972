// The batch tool where pelmora-gdal.so is missing: bitmaps are cut without
// it, and what needs GDAL fails with the module's file and the loader's reason.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/message_text.h"
#include "support/test_rasters.h"

namespace pelmora {
namespace {

TEST(WithoutGdalModule, CutsBitmapsAndRefusesWhatNeedsGdalNamingTheModule) {
  QTemporaryDir dir;
  // As installed (bin/ and lib/pelmora/), but without the module.
  ASSERT_TRUE(QDir(dir.path()).mkpath("bin"));
  const QString tile = dir.filePath("bin/pelmora-tile");
  ASSERT_TRUE(QFile::copy(PELMORA_TILE, tile));
  const auto run = [&](const QString& raster, QString* errors) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("PELMORA_GDAL_MODULE");  // the test programs' way to the build's module
    process.setProcessEnvironment(environment);
    process.start(tile, {"--quiet", "-r", "2", "-c", "2", "-o", dir.filePath("out"), raster});
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    *errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitCode();
  };
  QString errors;
  const QString bmp = testing::writeBmp24(dir.filePath("map.bmp"), testing::positionImage(60, 40));
  EXPECT_EQ(run(bmp, &errors), 0) << errors.toStdString();

  const QString tif = dir.filePath("map.tif");
  ASSERT_TRUE(testing::runGdalTool("gdal_translate", {"-q", bmp, tif}));
  // The installed place, below the program's parent folder.
  const QString expected =
      testing::before(messages::withFile(
          messages::cannotLoadGdalModule("cannot open shared object file: No such file or directory"), testing::kUnknown)) +
      dir.path() + "/lib";
  EXPECT_NE(run(tif, &errors), 0);
  EXPECT_TRUE(errors.contains(expected) && errors.contains("/pelmora/pelmora-gdal.so\n"))
      << errors.toStdString();

  // A world file beside the bitmap needs GDAL to be read.
  testing::writeBytes(dir.filePath("map.bpw"), "1\n0\n0\n-1\n100.5\n200.5\n");
  EXPECT_NE(run(bmp, &errors), 0);
  EXPECT_TRUE(errors.contains(expected) && errors.contains("/pelmora/pelmora-gdal.so\n"))
      << errors.toStdString();
}

}  // namespace
}  // namespace pelmora
