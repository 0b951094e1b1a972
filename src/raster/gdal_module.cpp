#include "raster/gdal_module.h"

#include "base/messages.h"
#include "raster/own_module.h"

namespace pelmora {
namespace {

constexpr OwnModule kModule{"pelmora-gdal.so",
                            "PELMORA_GDAL_MODULE",
                            kGdalModuleEntry,
                            kGdalModuleVersion,
                            messages::cannotLoadGdalModule,
                            messages::gdalModuleWithoutEntry,
                            messages::gdalModuleNotLocated,
                            messages::gdalModuleVersionMismatch};

}  // namespace

const GdalModuleApi& loadGdalModule(const QString& path) {
  return checkedTable<GdalModuleApi>(kModule, openOwnModule(kModule, path), path);
}

const GdalModuleApi& gdalModule() { return loadedTable<GdalModuleApi>(kModule); }

}  // namespace pelmora
