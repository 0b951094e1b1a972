// Our own shared modules, loaded with dlopen the first time they are needed
// so that their heavy libraries (GDAL; OpenCV with the OpenGL and X11 it
// links) are not loaded into every run. A module is looked for beside the
// program (the build tree), then where the install puts it relative to the
// program (BINDIR/../LIBDIR/pelmora), then at the path in its environment
// variable, for programs that run from neither place (the test programs, a
// relocated install). Modules are never unloaded.
#pragma once

#include <QString>

namespace pelmora {

struct OwnModule {
  const char* fileName;             // "pelmora-gdal.so"
  const char* environmentVariable;  // "PELMORA_GDAL_MODULE"
  const char* entry;                // the exported function that returns the module's table
  // The failures, in the module's own words.
  QString (*cannotLoad)(const QString& reason);
  QString (*withoutEntry)(const QString& entry, const QString& reason);
  QString (*notLocated)(const QString& fileName);
};

// Loads the module at `path` and returns its entry function, which the caller
// calls as the type it has. Throws Failure naming `path` and the loader's reason.
void* openOwnModule(const OwnModule& module, const QString& path);

// Looks for the module and loads the first place that holds it (when none
// does, the install's place, whose absence is what a user can act on).
void* findOwnModule(const OwnModule& module);

// The table the entry of a module gives, the entry called as it is declared.
template <class Table>
const Table* tableOf(void* entry) {
  return reinterpret_cast<const Table* (*)()>(entry)();
}

}  // namespace pelmora
