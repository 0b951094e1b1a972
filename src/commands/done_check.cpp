#include "commands/done_check.h"

#include "base/failure.h"
#include "output/ar2_index.h"
#include "commands/world_file.h"

#include <QDir>
#include <QFileInfo>

namespace pelmora {

bool setIsDone(const QString& rasterPath, const QString& indexPath, bool worldFiles) {
  const QFileInfo raster(rasterPath);
  const QFileInfo index(indexPath);
  if (!raster.isFile() || !index.isFile() || index.lastModified() <= raster.lastModified()) return false;
  QStringList names;
  try {
    names = indexImageNames(indexPath);
  } catch (const Failure&) {
    return false;
  }
  const QDir folder = index.absoluteDir();
  const auto exists = [&](const QString& name) { return QFileInfo(folder.filePath(name)).isFile(); };
  int auxFiles = 0;
  for (const QString& name : names) {
    if (!exists(name)) return false;
    if (!worldFiles) continue;
    if (!exists(worldFileName(name))) return false;
    if (exists(name + QStringLiteral(".aux.xml"))) ++auxFiles;
  }
  // A run writes an .aux.xml beside every image when the raster names a
  // coordinate system and none otherwise; which it was is not known without
  // decoding the raster, so a set is complete with all of them or none.
  return auxFiles == 0 || auxFiles == names.size();
}

}  // namespace pelmora
