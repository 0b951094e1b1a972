// Our own shared modules, loaded with dlopen the first time they are needed
// so that their heavy libraries (GDAL and the format libraries it links) are
// not loaded into every run. A module is looked for beside the
// program (the build tree), then where the install puts it relative to the
// program (BINDIR/../LIBDIR/pelmora), then at the path in its environment
// variable, for programs that run from neither place (the test programs, a
// relocated install). Modules are never unloaded.
#pragma once

#include <QString>
#include <atomic>
#include <mutex>

#include "base/failure.h"

namespace pelmora {

struct OwnModule {
  const char* fileName;             // "pelmora-gdal.so"
  const char* environmentVariable;  // "PELMORA_GDAL_MODULE"
  const char* entry;                // the exported function that returns the module's table
  int version;                      // the table's version this program was built with
  // The failures, in the module's own words.
  QString (*cannotLoad)(const QString& reason);
  QString (*withoutEntry)(const QString& entry, const QString& reason);
  QString (*notLocated)(const QString& fileName);
  QString (*versionMismatch)(int module, int program);
};

// Loads the module at `path` and returns its entry function, which the caller
// calls as the type it has. Throws Failure naming `path` and the loader's reason.
void* openOwnModule(const OwnModule& module, const QString& path);

// Looks for the module and loads the first place that holds it (when none
// does, the install's place, whose absence is what a user can act on).
void* findOwnModule(const OwnModule& module);

// The table that `entry` (the module's entry function, called as it is
// declared) gives; a table of another version is refused, naming `path`.
template <class Table>
const Table& checkedTable(const OwnModule& module, void* entry, const QString& path) {
  const Table* table = reinterpret_cast<const Table* (*)()>(entry)();
  if (!table || table->version != module.version)
    throw Failure(module.versionMismatch(table ? table->version : 0, module.version), path);
  return *table;
}

// The module's table, found and loaded the first time it is asked for, then
// kept. Thread-safe; after a failure the next call tries again.
template <class Table>
const Table& loadedTable(const OwnModule& module) {
  static std::atomic<const Table*> loaded{nullptr};
  if (const Table* table = loaded.load(std::memory_order_acquire)) return *table;
  static std::mutex loading;
  std::lock_guard lock(loading);
  if (const Table* table = loaded.load(std::memory_order_relaxed)) return *table;
  const Table& table = checkedTable<Table>(module, findOwnModule(module), QLatin1String(module.fileName));
  loaded.store(&table, std::memory_order_release);
  return table;
}

}  // namespace pelmora
