#include "cli/batch_desktop.h"

#include "cli/progress_watch.h"

namespace pelmora {

BatchDesktop::BatchDesktop(QString rasterPath, float windowHeight, const Console& console, bool quiet,
                           QString subject)
    : rasterPath_(std::move(rasterPath)),
      windowHeight_(windowHeight),
      console_(console),
      quiet_(quiet),
      subject_(std::move(subject)) {}

QString BatchDesktop::chooseRasterFile(const QString&, const QStringList&) { return rasterPath_; }

void BatchDesktop::runWithProgress(const QString& label, Progress& progress,
                                   const std::function<void()>& work) {
  const QString shown = subject_.isEmpty() ? label : subject_ + QStringLiteral(": ") + label;
  // Work without a count is waiting: said once, whatever --quiet says, since
  // it explains a run that seems to hang.
  const bool waiting = progress.total == 0;
  if (waiting) sayOnStderr(console_, subject_, label);
  ProgressWatch watch(progress, shown, console_.errIsTerminal && !quiet_ && !waiting);
  work();
}

void BatchDesktop::note(const QString& text) { sayOnStderr(console_, subject_, text); }

}  // namespace pelmora
