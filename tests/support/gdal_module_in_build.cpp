// Linked into the test and benchmark programs: they run from build folders of
// their own, where neither the program folder nor an install holds the module.
#include "raster/gdal_module.h"

namespace {

[[maybe_unused]] const bool registered = (pelmora::setGdalModuleFallback(QStringLiteral(PELMORA_GDAL_MODULE)), true);

}  // namespace
