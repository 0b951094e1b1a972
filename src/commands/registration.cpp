#include "commands/registration.h"

#include "base/failure.h"
#include "base/messages.h"
#include "output/file_lock.h"
#include "commands/run_execution.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <optional>

namespace pelmora {
namespace {

// What would otherwise stop the run midway, checked before anything is written.
void checkOutputFolder(const QString& folder) {
  if (!QFileInfo(folder).isDir()) throw Failure(messages::outputFolderMissing(), folder);
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".pelmora-probe-XXXXXX")));
  if (!probe.open()) throw Failure(messages::outputFolderNotWritable(probe.errorString()), folder);
}

}  // namespace

CommandOutcome registerRaster(const RunPlan& plan, const RasterSource& source,
                              const RegistrationSettings& settings, const ShowProgress& showProgress) {
  try {
    checkOutputFolder(plan.set.folder());
    std::optional<FileLock> lock = FileLock::tryAcquire(plan.set.lockPath());
    if (!lock) {
      Progress waiting(0);
      showProgress(messages::waitingForAnotherRun(plan.set.indexFileName()), waiting, [&] {
        lock = FileLock::acquire(plan.set.lockPath(), waiting.cancelRequested);
      });
      if (!lock) return cancelledRun(plan);
    }
    Progress progress(int(plan.images.size()));
    CommandOutcome outcome;
    showProgress(messages::writingImages(), progress, [&] {
      outcome = executeRun(plan, source, settings.makeEncoder, settings.workers, progress, settings.worldFiles);
    });
    return outcome;
  } catch (...) {
    return CommandOutcome::stopped(Failure::fromCurrentException(plan.rasterPath));
  }
}

}  // namespace pelmora
