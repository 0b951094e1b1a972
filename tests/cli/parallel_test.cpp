// GNU parallel spreading sheets over processes as the README shows it: every
// sheet's set (index, overview, tiles) is complete and nothing is mixed up.
#include "output/ar2_index.h"
#include "support/test_rasters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelmora {
namespace {

TEST(GnuParallel, CutsEverySheetIntoItsOwnCompleteSet) {
  const QString parallel = QStandardPaths::findExecutable(QStringLiteral("parallel"));
  ASSERT_FALSE(parallel.isEmpty()) << "GNU parallel is missing (scripts/install-deps installs it)";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QDir(dir.path()).mkpath("sheets"));
  QStringList sheets;
  for (int n = 1; n <= 4; ++n)
    sheets << testing::writeBmp24(dir.filePath(QStringLiteral("sheets/sheet%1.bmp").arg(n)),
                                  testing::positionImage(100 + 20 * n, 80));

  QProcess process;
  process.setWorkingDirectory(dir.path());
  process.start(parallel, QStringList{"-j", "2", PELMORA_TILE, "--quiet", "-j", "1", "-r", "2", "-c", "3",
                                      "-o", "tiles", "{}", ":::"} + sheets);
  ASSERT_TRUE(process.waitForFinished(120000));
  ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

  for (int n = 1; n <= 4; ++n) {
    const QString index = dir.filePath(QStringLiteral("tiles/sheet%1.AR2").arg(n));
    const QStringList names = indexImageNames(index);
    ASSERT_EQ(names.size(), 7) << index.toStdString();
    // The placeholder corners come from the sheet's own width (pixels × 0.15).
    EXPECT_DOUBLE_EQ(IndexFirstRecord(index).number(5), (100 + 20 * n) * 0.15);
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(names[i], QStringLiteral("sheet%1_%2.JPG").arg(n).arg(i));
      QFile image(dir.filePath("tiles/" + names[i]));
      ASSERT_TRUE(image.open(QIODevice::ReadOnly)) << names[i].toStdString();
      EXPECT_TRUE(image.read(2) == "\xFF\xD8");
    }
  }
}

}  // namespace
}  // namespace pelmora
