#include "raster/gdal_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <atomic>
#include <mutex>

#include "base/failure.h"
#include "base/messages.h"

namespace pelmora {
namespace {

constexpr char kModuleName[] = "pelmora-gdal.so";

// The program's own folder: the module's place does not depend on the working
// folder or on how the program was called.
QString programFolder() {
  char buffer[4096];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return QFileInfo(QFile::decodeName(QByteArray(buffer, int(length)))).absolutePath();
}

// dlerror() without the file name in front, which the failure gives anyway.
QString loaderReason(const QString& path) {
  const char* error = dlerror();
  QString reason = error ? QString::fromLocal8Bit(error) : messages::reasonUnknown();
  const QString prefix = QFile::decodeName(QFile::encodeName(path)) + QStringLiteral(": ");
  if (reason.startsWith(prefix)) reason.remove(0, prefix.size());
  return reason;
}

// Where gdalModule() looks, in order.
QStringList gdalModuleCandidates() {
  QStringList candidates;
  if (const QString folder = programFolder(); !folder.isEmpty()) {
    const QDir dir(folder);
    candidates << dir.filePath(QLatin1String(kModuleName))
               << QDir::cleanPath(dir.filePath(QStringLiteral(PELMORA_GDAL_MODULE_FROM_BINDIR "/") +
                                               QLatin1String(kModuleName)));
  }
  if (const QString named = qEnvironmentVariable("PELMORA_GDAL_MODULE"); !named.isEmpty())
    candidates << named;
  return candidates;
}

}  // namespace

const GdalModuleApi& loadGdalModule(const QString& path) {
  dlerror();
  // Never closed: rasters the module made live on after any caller's scope.
  void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!handle)
    throw Failure(messages::cannotLoadGdalModule(loaderReason(path)), path);
  using Entry = const GdalModuleApi* (*)();
  const auto entry = reinterpret_cast<Entry>(dlsym(handle, kGdalModuleEntry));
  if (!entry)
    throw Failure(messages::gdalModuleWithoutEntry(QLatin1String(kGdalModuleEntry), loaderReason(path)), path);
  const GdalModuleApi* api = entry();
  if (!api || api->version != kGdalModuleVersion)
    throw Failure(messages::gdalModuleVersionMismatch(api ? api->version : 0, kGdalModuleVersion), path);
  return *api;
}

const GdalModuleApi& gdalModule() {
  static std::atomic<const GdalModuleApi*> loaded{nullptr};
  if (const GdalModuleApi* api = loaded.load(std::memory_order_acquire)) return *api;
  static std::mutex loading;
  std::lock_guard lock(loading);
  if (const GdalModuleApi* api = loaded.load(std::memory_order_relaxed)) return *api;

  const QStringList candidates = gdalModuleCandidates();
  if (candidates.isEmpty())
    throw Failure(messages::gdalModuleNotLocated(QLatin1String(kModuleName)));
  // The first that exists; when none does, the installed place, whose
  // absence is what a user can act on.
  QString chosen = candidates.size() > 1 ? candidates[1] : candidates[0];
  for (const QString& candidate : candidates)
    if (QFileInfo::exists(candidate)) {
      chosen = candidate;
      break;
    }
  const GdalModuleApi& api = loadGdalModule(chosen);
  loaded.store(&api, std::memory_order_release);
  return api;
}

}  // namespace pelmora
