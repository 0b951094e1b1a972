#include "raster/own_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "base/failure.h"
#include "base/messages.h"

namespace pelmora {
namespace {

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

// Where the module is looked for, in order.
QStringList candidates(const OwnModule& module) {
  QStringList places;
  const QString fileName = QLatin1String(module.fileName);
  if (const QString folder = programFolder(); !folder.isEmpty()) {
    const QDir dir(folder);
    places << dir.filePath(fileName)
           << QDir::cleanPath(dir.filePath(QStringLiteral(PELMORA_MODULES_FROM_BINDIR "/") + fileName));
  }
  if (const QString named = qEnvironmentVariable(module.environmentVariable); !named.isEmpty()) places << named;
  return places;
}

}  // namespace

void* openOwnModule(const OwnModule& module, const QString& path) {
  dlerror();
  // Never closed: objects the module made live on after any caller's scope.
  void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw Failure(module.cannotLoad(loaderReason(path)), path);
  void* entry = dlsym(handle, module.entry);
  if (!entry) throw Failure(module.withoutEntry(QLatin1String(module.entry), loaderReason(path)), path);
  return entry;
}

void* findOwnModule(const OwnModule& module) {
  const QStringList places = candidates(module);
  if (places.isEmpty()) throw Failure(module.notLocated(QLatin1String(module.fileName)));
  QString chosen = places.size() > 1 ? places[1] : places[0];
  for (const QString& place : places)
    if (QFileInfo::exists(place)) {
      chosen = place;
      break;
    }
  return openOwnModule(module, chosen);
}

}  // namespace pelmora
