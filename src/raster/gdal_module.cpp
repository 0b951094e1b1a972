#include "raster/gdal_module.h"

#include <atomic>
#include <mutex>

#include "base/failure.h"
#include "base/messages.h"
#include "raster/own_module.h"

namespace pelmora {
namespace {

constexpr OwnModule kModule{"pelmora-gdal.so",           "PELMORA_GDAL_MODULE",
                            kGdalModuleEntry,            messages::cannotLoadGdalModule,
                            messages::gdalModuleWithoutEntry, messages::gdalModuleNotLocated};

const GdalModuleApi& checkedTable(void* entry, const QString& path) {
  const GdalModuleApi* api = tableOf<GdalModuleApi>(entry);
  if (!api || api->version != kGdalModuleVersion)
    throw Failure(messages::gdalModuleVersionMismatch(api ? api->version : 0, kGdalModuleVersion), path);
  return *api;
}

}  // namespace

const GdalModuleApi& loadGdalModule(const QString& path) { return checkedTable(openOwnModule(kModule, path), path); }

const GdalModuleApi& gdalModule() {
  static std::atomic<const GdalModuleApi*> loaded{nullptr};
  if (const GdalModuleApi* api = loaded.load(std::memory_order_acquire)) return *api;
  static std::mutex loading;
  std::lock_guard lock(loading);
  if (const GdalModuleApi* api = loaded.load(std::memory_order_relaxed)) return *api;
  const GdalModuleApi& api = checkedTable(findOwnModule(kModule), QLatin1String(kModule.fileName));
  loaded.store(&api, std::memory_order_release);
  return api;
}

}  // namespace pelmora
