#include "cli/done_check.h"

#include "base/failure.h"
#include "commands/ar2_index.h"
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
  for (const QString& name : names) {
    if (!QFileInfo(folder.filePath(name)).isFile()) return false;
    if (worldFiles && !QFileInfo(folder.filePath(worldFileName(name))).isFile()) return false;
  }
  return true;
}

}  // namespace pelmora
