#include "tileset/tile_set.h"

#include "base/failure.h"
#include "output/ar2_index.h"
#include "output/file_lock.h"
#include "output/staged_files.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <optional>

namespace pelmora {
namespace {

QString baseNameOf(const QString& rasterPath) {
  const QString name = QFileInfo(rasterPath).fileName();
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? name : name.left(dot);
}

// What the index about to be replaced names; nothing when there is none or
// it cannot be read, and then nothing is removed for it.
QStringList earlierImageNames(const QString& indexPath) {
  if (!QFileInfo(indexPath).isFile()) return {};
  try {
    return indexImageNames(indexPath);
  } catch (const Failure&) {
    return {};
  }
}

// An image of the set: "NAME_3.JPG".
bool isImageName(const QString& baseName, const QString& name) {
  static const QRegularExpression tail(QStringLiteral("^_[0-9]+\\.JPG$"));
  return name.startsWith(baseName) && tail.match(QStringView(name).mid(baseName.size())).hasMatch();
}

}  // namespace

TileSet::TileSet(const QString& rasterPath, const QString& folder)
    : folder_(folder.isEmpty() ? QFileInfo(rasterPath).absolutePath() : QFileInfo(folder).absoluteFilePath()),
      baseName_(baseNameOf(rasterPath)) {}

QString TileSet::indexFileName() const { return baseName_ + QStringLiteral(".AR2"); }

QString TileSet::imageFileName(int number) const {
  return baseName_ + u'_' + QString::number(number) + QStringLiteral(".JPG");
}

QString TileSet::journalName() const { return journalNameFor(baseName_); }

QString TileSet::lockPath() const { return pathOf(u'.' + baseName_ + QStringLiteral(".pelmora-lock")); }

QString TileSet::pathOf(const QString& fileName) const { return QDir(folder_).filePath(fileName); }

bool TileSet::isMember(const QString& name) const {
  static const QRegularExpression tail(QStringLiteral("^(_[0-9]+\\.(JPG(\\.aux\\.xml|\\.msk)?|jgw)|\\.AR2)$"));
  return name.startsWith(baseName_) && tail.match(QStringView(name).mid(baseName_.size())).hasMatch();
}

std::vector<CommitStep> TileSet::commitSteps(const QStringList& imageNames, bool worldFiles, bool auxFiles,
                                             const QStringList& maskedImages) const {
  const QStringList earlier = earlierImageNames(indexPath());
  using Kind = CommitStep::Kind;
  auxFiles = auxFiles && worldFiles;
  const QSet<QString> masked =
      worldFiles ? QSet<QString>(maskedImages.begin(), maskedImages.end()) : QSet<QString>();
  std::vector<CommitStep> steps;
  for (const QString& image : imageNames) {
    if (!worldFiles) steps.push_back({Kind::remove, worldFileName(image)});
    if (!auxFiles) steps.push_back({Kind::remove, auxFileName(image)});
    if (!masked.contains(image)) steps.push_back({Kind::remove, maskFileName(image)});
  }
  for (const QString& image : imageNames) steps.push_back({Kind::put, image});
  if (worldFiles)
    for (const QString& image : imageNames) {
      steps.push_back({Kind::put, worldFileName(image)});
      if (auxFiles) steps.push_back({Kind::put, auxFileName(image)});
      if (masked.contains(image)) steps.push_back({Kind::put, maskFileName(image)});
    }
  steps.push_back({Kind::put, indexFileName()});
  const QSet<QString> current(imageNames.begin(), imageNames.end());
  for (const QString& name : earlier) {
    if (!isImageName(baseName_, name) || current.contains(name)) continue;
    for (const QString& file : {name, worldFileName(name), auxFileName(name), maskFileName(name)})
      steps.push_back({Kind::remove, file});
  }
  return steps;
}

void TileSet::finishInterruptedCommit() const {
  pelmora::finishInterruptedCommit(folder_, journalName(), [this](const QString& name) { return isMember(name); });
}

void TileSet::tidyUnlocked() const {
  const bool journal = QFileInfo::exists(pathOf(journalName()));
  const auto ours = [this](const QString& name) { return isMember(name) || name == journalName(); };
  if (!journal && !anyLeftoverTemporary(folder_, ours)) return;
  const std::optional<FileLock> lock = FileLock::tryAcquire(lockPath());
  if (!lock) return;
  if (journal) finishInterruptedCommit();
  removeLeftovers();
}

void TileSet::removeLeftovers() const {
  removeLeftoverTemporaries(folder_, [this](const QString& name) {
    return isMember(name) || name == journalName();
  });
}

bool TileSet::isDone(const QString& rasterPath, bool worldFiles) const {
  const QFileInfo raster(rasterPath);
  const QFileInfo index(indexPath());
  if (!raster.isFile() || !index.isFile() || index.lastModified() <= raster.lastModified()) return false;
  QStringList names;
  try {
    names = indexImageNames(indexPath());
  } catch (const Failure&) {
    return false;
  }
  const auto exists = [this](const QString& name) { return QFileInfo(pathOf(name)).isFile(); };
  int auxFiles = 0;
  for (const QString& name : names) {
    if (!exists(name)) return false;
    if (!worldFiles) continue;
    if (!exists(worldFileName(name))) return false;
    if (exists(auxFileName(name))) ++auxFiles;
  }
  // A run writes an .aux.xml beside every image when the raster names a
  // coordinate system and none otherwise; which it was is not known without
  // decoding the raster, so a set is complete with all of them or none.
  return auxFiles == 0 || auxFiles == names.size();
}

QString worldFileName(const QString& imageFileName) {
  const qsizetype dot = imageFileName.lastIndexOf(u'.');
  return (dot < 0 ? imageFileName : imageFileName.left(dot)) + QStringLiteral(".jgw");
}

QString auxFileName(const QString& imageFileName) { return imageFileName + QStringLiteral(".aux.xml"); }

QString maskFileName(const QString& imageFileName) { return imageFileName + QStringLiteral(".msk"); }

}  // namespace pelmora
