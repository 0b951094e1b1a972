// --skip-done with --world-files: a set counts as done only with every world
// file, and with the .aux.xml files all there or none.
#include "tileset/tile_set.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

namespace pelmora {
namespace {

class DoneCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    raster = write("map.bmp");
    index = write("map.AR2", "map_0.JPG, 0, 0, 1, 1\r\nmap_1.JPG, 0, 0, 1, 1\r\n");
    QFile older(raster);
    ASSERT_TRUE(older.open(QIODevice::ReadWrite));
    ASSERT_TRUE(older.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    for (const char* name : {"map_0.JPG", "map_1.JPG", "map_0.jgw", "map_1.jgw"}) write(name);
  }
  QString write(const QString& name, const QByteArray& bytes = "x") {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
  }
  bool done(bool worldFiles) const { return TileSet(raster).isDone(raster, worldFiles); }

  QTemporaryDir dir;
  QString raster, index;
};

TEST_F(DoneCheck, WorldFilesCountOnlyWhenAskedFor) {
  EXPECT_TRUE(done(true));
  ASSERT_TRUE(QFile::remove(dir.filePath("map_1.jgw")));
  EXPECT_FALSE(done(true));
  EXPECT_TRUE(done(false));
}

TEST_F(DoneCheck, CoordinateSystemFilesAreAllThereOrNone) {
  write("map_0.JPG.aux.xml");
  EXPECT_FALSE(done(true));
  EXPECT_TRUE(done(false));
  write("map_1.JPG.aux.xml");
  EXPECT_TRUE(done(true));
}

}  // namespace
}  // namespace pelmora
