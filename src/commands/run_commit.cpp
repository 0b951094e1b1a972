#include "commands/run_commit.h"

#include "base/failure.h"
#include "output/ar2_index.h"
#include "commands/world_file.h"
#include "output/file_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <optional>

namespace pelmora {
namespace {

// An image of a run on `baseName`: "NAME_3.JPG".
bool isImageName(const QString& baseName, const QString& name) {
  static const QRegularExpression tail(QStringLiteral("^_[0-9]+\\.JPG$"));
  return name.startsWith(baseName) && tail.match(QStringView(name).mid(baseName.size())).hasMatch();
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

// The sidecars GIS software reads beside an image: its world file and its
// .aux.xml.
QStringList sidecarsOf(const QString& imageName) {
  return {worldFileName(imageName), auxFileName(imageName)};
}

}  // namespace

bool isRunFileName(const QString& baseName, const QString& name) {
  static const QRegularExpression tail(QStringLiteral("^(_[0-9]+\\.(JPG|jgw|JPG\\.aux\\.xml)|\\.AR2)$"));
  return name.startsWith(baseName) && tail.match(QStringView(name).mid(baseName.size())).hasMatch();
}

// Sidecars the run does not write afresh go before any image is replaced, so
// that no new image is ever placed by an earlier sidecar; then the new files
// are put in place, the index last; then go the images the earlier index
// named and this one does not (what is left of a run with more tiles), with
// their sidecars. Names of any other shape are left alone, whatever that
// index says.
std::vector<CommitStep> commitSteps(const RunPlan& plan, bool worldFiles) {
  const QStringList earlier = earlierImageNames(QDir(plan.outputFolder).filePath(plan.indexFileName));
  using Kind = CommitStep::Kind;
  const bool auxFiles = worldFiles && !plan.coordinateSystem.isEmpty();
  std::vector<CommitStep> steps;
  QSet<QString> current;
  for (const PlannedImage& image : plan.images) {
    current.insert(image.fileName);
    if (!worldFiles) steps.push_back({Kind::remove, worldFileName(image.fileName)});
    if (!auxFiles) steps.push_back({Kind::remove, auxFileName(image.fileName)});
  }
  for (const PlannedImage& image : plan.images) steps.push_back({Kind::put, image.fileName});
  if (worldFiles)
    for (const PlannedImage& image : plan.images) {
      steps.push_back({Kind::put, worldFileName(image.fileName)});
      if (auxFiles) steps.push_back({Kind::put, auxFileName(image.fileName)});
    }
  steps.push_back({Kind::put, plan.indexFileName});
  for (const QString& name : earlier) {
    if (!isImageName(plan.baseName, name) || current.contains(name)) continue;
    steps.push_back({Kind::remove, name});
    for (const QString& sidecar : sidecarsOf(name)) steps.push_back({Kind::remove, sidecar});
  }
  return steps;
}

void finishCommitOf(const QString& folder, const QString& baseName) {
  finishInterruptedCommit(folder, journalNameFor(baseName),
                          [&baseName](const QString& name) { return isRunFileName(baseName, name); });
}

void finishInterruptedRun(const QString& folder, const QString& baseName) {
  if (!QFileInfo::exists(QDir(folder).filePath(journalNameFor(baseName)))) return;
  const std::optional<FileLock> lock = FileLock::tryAcquire(runLockPath(folder, baseName));
  if (lock) finishCommitOf(folder, baseName);
}

}  // namespace pelmora
