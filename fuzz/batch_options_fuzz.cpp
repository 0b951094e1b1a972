// The batch tool's command line: arguments separated by NUL bytes; any of them
// gives options or a usage error, nothing else.
#include <QStringList>
#include <cstdint>

#include "cli/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QStringList arguments;
  const char* text = reinterpret_cast<const char*>(data);
  std::size_t start = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == 0) {
      arguments << QString::fromUtf8(text + start, qsizetype(i - start));
      start = i + 1;
    }
  }
  const pelmora::ParsedCommandLine parsed = pelmora::parseCommandLine(arguments);
  if (parsed.error.isEmpty() && !parsed.options.help && !parsed.options.version) {
    // A run without a raster, or with an empty one, must be a usage error.
    if (parsed.options.rasters.isEmpty()) __builtin_trap();
    for (const QString& raster : parsed.options.rasters)
      if (raster.trimmed().isEmpty()) __builtin_trap();
  }
  return 0;
}
