// The batch tool opens each raster once, and --skip-done weighs world files
// only when the batch writes them.
#include "cli/batch.h"

#include "support/test_rasters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelmora {
namespace {

class BatchOpening : public ::testing::Test {
 protected:
  int run(const QStringList& args) {
    out.clear();
    const Console console{[this](const QString& t) { out += t; }, [this](const QString& t) { err += t; }};
    return runBatch(args, console, [this](const QString& path, Progress* progress, Decoding decoding) {
      ++openings;
      return openRaster(path, progress, decoding);
    });
  }

  QTemporaryDir dir;
  const QString raster = testing::writeBmp24(dir.filePath("sheet12.bmp"), testing::positionImage(400, 300));
  QString out, err;
  int openings = 0;
};

TEST_F(BatchOpening, ARunAndADryRunOpenABitmapOnce) {
  ASSERT_EQ(run({"--dry-run", "-r", "2", "-c", "3", raster}), kCompleted) << err.toStdString();
  EXPECT_EQ(openings, 1);
  openings = 0;
  ASSERT_EQ(run({"--world-files", "-r", "2", "-c", "3", raster}), kCompleted) << err.toStdString();
  EXPECT_EQ(openings, 1);
}

TEST_F(BatchOpening, SkipDoneRedoesASetThatLacksTheWorldFilesAskedFor) {
  const QStringList placed{"-u", "100,300", "-l", "0,0", "-r", "2", "-c", "1"};
  ASSERT_EQ(run(placed + QStringList{raster}), kCompleted) << err.toStdString();
  openings = 0;
  ASSERT_EQ(run(placed + QStringList{"--skip-done", raster}), kCompleted);
  EXPECT_EQ(openings, 0);  // complete without world files
  ASSERT_EQ(run(placed + QStringList{"--skip-done", "--world-files", raster}), kCompleted);
  EXPECT_EQ(openings, 1);  // cut again, now with them
  EXPECT_TRUE(QFile::exists(dir.filePath("sheet12_1.jgw")));
  ASSERT_EQ(run(placed + QStringList{"--skip-done", "--world-files", raster}), kCompleted);
  EXPECT_EQ(openings, 1);  // and then complete
}

}  // namespace
}  // namespace pelmora
