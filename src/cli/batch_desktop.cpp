#include "cli/batch_desktop.h"

#include "cli/progress_watch.h"

namespace pelmora {

QString completedMessage() { return QStringLiteral("完了しました"); }

BatchDesktop::BatchDesktop(QString rasterPath, float windowHeight, const Console& console, bool quiet)
    : rasterPath_(std::move(rasterPath)), windowHeight_(windowHeight), console_(console), quiet_(quiet) {}

QString BatchDesktop::chooseRasterFile(const QString&, const QStringList&) { return rasterPath_; }

void BatchDesktop::showMessage(const QString& text) {
  if (text == completedMessage()) {
    if (!quiet_) console_.out(text + u'\n');
  } else {
    // Anything else is a command stopping: always shown, whatever --quiet says.
    console_.err(QStringLiteral("pelmora-tile: ") + text + u'\n');
  }
}

void BatchDesktop::runWithProgress(const QString& label, Progress& progress,
                                   const std::function<void()>& work) {
  ProgressWatch watch(progress, label, console_.errIsTerminal && !quiet_);
  work();
}

}  // namespace pelmora
