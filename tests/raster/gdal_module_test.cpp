// The boundary to pelmora-gdal.so: a Failure raised inside the module is
// caught as one here, the module refuses names that GDAL would read from
// elsewhere than the file system, and a module that cannot be loaded is
// refused with its file and the loader's reason.
#include "raster/gdal_module.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/failure.h"
#include "raster/raster_source.h"
#include "support/message_text.h"
#include "support/test_rasters.h"

namespace pelmora {
namespace {

TEST(GdalModule, AFailureRaisedInsideTheModuleReachesTheCaller) {
  QTemporaryDir dir;
  const QString bmp = testing::writeBmp24(dir.filePath("p.bmp"), testing::positionImage(300, 200));
  const QString tif = dir.filePath("p.tif");
  ASSERT_TRUE(testing::runGdalTool("gdal_translate", {"-q", "-co", "COMPRESS=LZW", bmp, tif}));
  QFile file(tif);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray whole = file.readAll();
  file.close();
  testing::writeBytes(tif, whole.left(whole.size() / 2));

  GdalPlacement placement;
  try {
    delete gdalModule().decode(tif, nullptr, Decoding::beforeOpening, placement);
    ADD_FAILURE() << "a truncated TIFF was decoded";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.file(), tif);
    // Our sentence, then GDAL's own words as its detail.
    EXPECT_TRUE(failure.cause().startsWith(testing::before(messages::cannotReadRaster(
        messages::withLibraryDetail(messages::gdalReadFailed(), "GDAL", testing::kUnknown), 0, 0, 0))))
        << failure.what();
  } catch (...) {
    ADD_FAILURE() << "the module's Failure was not caught as a Failure";
  }
}

TEST(GdalModule, NamesOfGdalsVirtualFileSystemsAreRefusedByTheModuleItself) {
  // Names that exist nowhere, so that the programs' own opening stops them
  // earlier: the module must not count on it.
  for (const QString& name : {QStringLiteral("/vsicurl/http://127.0.0.1:9/x.tif"),
                              QStringLiteral("/vsizip//tmp/x.zip/x.tif")}) {
    SCOPED_TRACE(name.toStdString());
    GdalPlacement placement;
    const auto expectRefused = [&](const auto& open) {
      try {
        open();
        ADD_FAILURE() << "opened";
      } catch (const Failure& failure) {
        EXPECT_EQ(failure.cause(), messages::virtualFileSystemRefused());
        EXPECT_EQ(failure.file(), name);
      }
    };
    expectRefused([&] { delete gdalModule().decode(name, nullptr, Decoding::beforeOpening, placement); });
    expectRefused([&] { gdalModule().readSidecars(name, placement); });
  }
}

TEST(GdalModule, AModuleThatCannotBeLoadedIsRefusedWithItsFileAndTheReason) {
  QTemporaryDir dir;
  const auto refusal = [](const QString& path) {
    try {
      loadGdalModule(path);
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.file(), path);
      return failure.cause();
    }
    ADD_FAILURE() << "loaded " << path.toStdString();
    return QString();
  };
  EXPECT_EQ(refusal(dir.filePath("pelmora-gdal.so")),
            messages::cannotLoadGdalModule("cannot open shared object file: No such file or directory"));
  const QString garbage = testing::writeBytes(dir.filePath("garbage.so"), QByteArray(256, 'x'));
  EXPECT_TRUE(refusal(garbage).contains("invalid ELF header"));
  // A library, but not ours: Qt's, already loaded, so nothing new is loaded.
  Dl_info qt{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&qVersion), &qt), 0);
  EXPECT_TRUE(refusal(QFile::decodeName(qt.dli_fname))
                  .startsWith(testing::before(messages::gdalModuleWithoutEntry("pelmora_gdal_module_api", testing::kUnknown))));
}

}  // namespace
}  // namespace pelmora
