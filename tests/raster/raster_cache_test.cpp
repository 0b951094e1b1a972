// The raster cache opens a file again only when it changed.
#include "raster/raster_cache.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/failure.h"
#include "support/test_rasters.h"

namespace pelmora {
namespace {

TEST(RasterCacheTest, ReopensOnlyWhenPathSizeOrTimeChange) {
  QTemporaryDir dir;
  const QString a = testing::writeBmp24(dir.filePath("a.bmp"), testing::positionImage(8, 8));
  const QString b = testing::writeBmp24(dir.filePath("b.bmp"), testing::positionImage(9, 8));
  RasterCache cache;
  const auto first = cache.open(a);
  EXPECT_EQ(cache.open(a), first);

  // Same path, new contents of another size.
  testing::writeBmp24(a, testing::positionImage(12, 8));
  const auto second = cache.open(a);
  EXPECT_NE(second, first);
  EXPECT_EQ(second->width(), 12);

  // Same size, new modification time.
  QFile file(a);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                               QFileDevice::FileModificationTime));
  file.close();
  EXPECT_NE(cache.open(a), second);

  const auto third = cache.open(a);
  EXPECT_EQ(cache.open(b)->width(), 9);
  EXPECT_NE(cache.open(a), third);  // one raster kept: b replaced it
}

TEST(RasterCacheTest, AFailedOpenKeepsNothing) {
  QTemporaryDir dir;
  RasterCache cache;
  const QString missing = dir.filePath("none.bmp");
  const QString a = testing::writeBmp24(dir.filePath("a.bmp"), testing::positionImage(8, 8));
  const auto kept = cache.open(a);
  EXPECT_THROW(cache.open(missing), Failure);
  EXPECT_THROW(cache.open(QString()), Failure);
  EXPECT_EQ(cache.open(a), kept);
}

}  // namespace
}  // namespace pelmora
