#include "raster/gdal/gdal_dataset.h"

#include <gdal_priv.h>

#include <QStringList>
#include <algorithm>
#include <cstring>

#include "base/failure.h"
#include "base/messages.h"
#include "raster/gdal/gdal_setup.h"

namespace pelmora {
namespace {

// The drivers of the raster files the tool reads. GDAL names a file's format
// by its content, not its name: without this list a VRT saved as NAME.tif
// would make the load read whatever files or addresses it names.
constexpr const char* kRasterFileDrivers[] = {"GTiff", "PNG", "JPEG", "JP2OpenJPEG", "BMP", nullptr};

bool isRasterFileDriver(const char* name) {
  for (const char* const* each = kRasterFileDrivers; *each; ++each)
    if (std::strcmp(*each, name) == 0) return true;
  return false;
}

// The raster driver that recognises the file `name` by its header alone; null
// when none does. Only the drivers' header checks run: GDALIdentifyDriverEx()
// would also open the file with every driver that has none.
GDALDriver* driverRecognising(const char* name) {
  GDALOpenInfo info(name, GA_ReadOnly);
  GDALDriverManager* drivers = GetGDALDriverManager();
  for (int i = 0; i < drivers->GetDriverCount(); ++i) {
    GDALDriver* driver = drivers->GetDriver(i);
    if (driver->pfnIdentify && driver->GetMetadataItem(GDAL_DCAP_RASTER) && driver->pfnIdentify(&info) > 0)
      return driver;
  }
  return nullptr;
}

// The file's channels as the refusal names them.
QString channelsText(GDALDatasetH dataset) {
  const int count = GDALGetRasterCount(dataset);
  QStringList parts;
  for (int i = 1; i <= count; ++i) {
    GDALRasterBandH channel = GDALGetRasterBand(dataset, i);
    parts << QStringLiteral("%1 %2")
                 .arg(QString::fromLatin1(GDALGetDataTypeName(GDALGetRasterDataType(channel))),
                      QString::fromLatin1(
                          GDALGetColorInterpretationName(GDALGetRasterColorInterpretation(channel))));
  }
  return messages::bandsOf(count, parts);
}

}  // namespace

Dataset openDataset(const QString& path) {
  const QByteArray name = gdalFileName(path);
  CPLErrorReset();
  Dataset dataset(GDALOpenEx(name.constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, kRasterFileDrivers,
                             nullptr, nullptr));
  if (dataset.handle) return dataset;
  const QString reason = lastGdalError(messages::gdalDoesNotKnowFormat());
  // A format of another kind is named, so that the user learns what the file is.
  if (GDALDriver* driver = driverRecognising(name.constData()); driver && !isRasterFileDriver(driver->GetDescription()))
    throw Failure(messages::formatNotRasterFile(QStringLiteral("%1 (%2)").arg(
                      QString::fromUtf8(GDALGetDriverLongName(driver)), QString::fromUtf8(driver->GetDescription()))),
                  path);
  throw Failure(messages::formatNotReadable(reason), path);
}

PixelPlan pixelPlanOf(GDALDatasetH dataset, const QString& path) {
  const int count = GDALGetRasterCount(dataset);
  auto refuse = [&] {
    return Failure(messages::pixelFormatNotReadable(channelsText(dataset)), path);
  };
  if (count != 1 && count != 3 && count != 4) throw refuse();
  for (int i = 1; i <= count; ++i)
    if (GDALGetRasterDataType(GDALGetRasterBand(dataset, i)) != GDT_Byte) throw refuse();

  PixelPlan plan;
  if (count == 3) return plan;
  if (count == 4) {
    if (GDALGetRasterColorInterpretation(GDALGetRasterBand(dataset, 4)) != GCI_AlphaBand)
      throw refuse();
    plan.channels = Channels::Rgba;
    return plan;
  }
  plan.channels = Channels::Lookup;
  GDALRasterBandH channel = GDALGetRasterBand(dataset, 1);
  GDALColorTableH table = GDALGetRasterColorTable(channel);
  for (int i = 0; i < 256; ++i) plan.lookup[i] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)};
  plan.grayLookup = true;
  if (table && GDALGetRasterColorInterpretation(channel) == GCI_PaletteIndex) {
    plan.grayLookup = false;
    if (GDALGetPaletteInterpretation(table) != GPI_RGB && GDALGetPaletteInterpretation(table) != GPI_Gray)
      throw refuse();
    const int entries = GDALGetColorEntryCount(table);
    for (int i = 0; i < 256; ++i) {
      GDALColorEntry e{0, 0, 0, 255};
      if (i < entries) GDALGetColorEntryAsRGB(table, i, &e);
      plan.lookup[i] = {overWhite(e.c3, e.c4), overWhite(e.c2, e.c4), overWhite(e.c1, e.c4)};
    }
  }
  return plan;
}

GdalPlacement placementOf(GDALDatasetH dataset) {
  static constexpr double kNone[6] = {0, 1, 0, 0, 0, 1};
  GdalPlacement result;
  result.hasTransform = GDALGetGeoTransform(dataset, result.transform) == CE_None &&
                        !std::equal(result.transform, result.transform + 6, kNone);
  if (const char* wkt = GDALGetProjectionRef(dataset); wkt && *wkt)
    result.coordinateSystem = QString::fromUtf8(wkt);
  return result;
}

}  // namespace pelmora
