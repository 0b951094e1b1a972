#include "cli/batch_desktop.h"

#include "cli/progress_watch.h"

namespace pelmora {

QString completedMessage() { return QStringLiteral("完了しました"); }

BatchDesktop::BatchDesktop(QString rasterPath, float windowHeight, const Console& console, bool quiet,
                           QString subject)
    : rasterPath_(std::move(rasterPath)),
      windowHeight_(windowHeight),
      console_(console),
      quiet_(quiet),
      subject_(std::move(subject)) {}

QString BatchDesktop::chooseRasterFile(const QString&, const QStringList&) { return rasterPath_; }

void BatchDesktop::showMessage(const QString& text) {
  const QString subject = subject_.isEmpty() ? QString() : subject_ + QStringLiteral(": ");
  if (text == completedMessage()) {
    if (!quiet_) console_.out(subject + text + u'\n');
  } else {
    // Anything else is a command stopping: always shown, whatever --quiet says.
    console_.err(QStringLiteral("pelmora-tile: ") + subject + text + u'\n');
  }
}

void BatchDesktop::runWithProgress(const QString& label, Progress& progress,
                                   const std::function<void()>& work) {
  {
    const QString shown = subject_.isEmpty() ? label : subject_ + QStringLiteral(": ") + label;
    // Work without a count is waiting: said once, whatever --quiet says, since
    // it explains a run that seems to hang.
    const bool waiting = progress.total == 0;
    if (waiting) console_.err(QStringLiteral("pelmora-tile: ") + shown + u'\n');
    ProgressWatch watch(progress, shown, console_.errIsTerminal && !quiet_ && !waiting);
    work();
  }
  if (progress.cancelRequested) cancelled_ = true;
}

void BatchDesktop::note(const QString& text) {
  console_.err(QStringLiteral("pelmora-tile: ") + text + u'\n');
}

}  // namespace pelmora
