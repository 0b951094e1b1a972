#include "app/qt_desktop.h"

#include "app/run_progress_dialog.h"
#include "platform/view.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFutureWatcher>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <exception>

namespace pelmora {

namespace {

// Quits a loop when the watched window has been resized.
class ResizeWatch : public QObject {
 public:
  ResizeWatch(QWidget& window, QEventLoop& loop) : loop_(loop) { window.installEventFilter(this); }
  bool resized = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) {
      resized = true;
      loop_.quit();
    }
    return false;
  }

 private:
  QEventLoop& loop_;
};

// Qt wraps a message wider than 500 pixels at 500, between any two Japanese
// characters, which can leave "ん。" alone on a last line. The label is made
// as wide as its longest line, up to a cap well inside Qt's own limit; a line
// longer than the cap is shared evenly among the lines it needs.
void widenForWholeLines(QMessageBox& box, const QString& text) {
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (!label) return;
  label->ensurePolished();
  const QFontMetrics metrics(label->font());
  int longest = 0;
  for (const QString& line : text.split(u'\n')) longest = std::max(longest, metrics.horizontalAdvance(line));
  const QScreen* screen = box.screen();
  const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
  const int cap = std::max(300, std::min(screenWidth - 600, 900));
  const int slack = metrics.horizontalAdvance(QChar(0x3042));  // one full-width character
  int width = longest + slack;
  if (width > cap) {
    const int lines = (longest + cap - 1) / cap;
    width = std::min(cap, longest / lines + 2 * slack);
  }
  label->setMinimumWidth(width);
}

}  // namespace

QtDesktop::QtDesktop(QWidget& window) : window_(window) { workThread_.setMaxThreadCount(1); }

QString QtDesktop::chooseRasterFile(const QString& title, const QStringList& filters) {
  if (!chooser_) return showFileDialog(title, filters);
  const FileChooser chooser = chooser_;  // the chooser may replace itself
  return chooser(title, filters);
}

QString QtDesktop::showFileDialog(const QString& title, const QStringList& filters) {
  QFileDialog dialog(&window_, title, lastFolder_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return {};
  // The next dialog opens where this one left off.
  lastFolder_ = QFileInfo(chosen.first()).absolutePath();
  return chosen.first();
}

void QtDesktop::showMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Pelmora"), text, QMessageBox::Ok, &window_);
  widenForWholeLines(box, text);
  box.exec();
}

bool QtDesktop::waitForResize(int milliseconds) {
  QEventLoop loop;
  ResizeWatch watch(window_, loop);
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  return watch.resized;
}

void QtDesktop::maximiseWindow() {
  if (window_.isMaximized()) return;
  // A window manager maximises asynchronously; the window's height is read
  // right after this returns, so wait for the new size.
  window_.showMaximized();
  if (waitForResize(1000)) return;
  // No window manager answered (a bare X server): take the screen's space.
  if (QScreen* screen = window_.screen()) {
    window_.setGeometry(screen->availableGeometry());
    waitForResize(500);
  }
}

float QtDesktop::windowHeight() const { return float(window_.frameGeometry().height() * kUnitsPerPixel); }

void QtDesktop::runWithProgress(const QString& label, Progress& progress,
                                const std::function<void()>& work) {
  std::exception_ptr failure;
  QEventLoop loop;
  QFutureWatcher<void> watcher;
  QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
  watcher.setFuture(QtConcurrent::run(&workThread_, [&work, &failure] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
  }));
  // Until the dialog shows, the window takes no input: nothing blocks it yet.
  if (progress.showAfterMilliseconds > 0) {
    QTimer::singleShot(progress.showAfterMilliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  if (!watcher.isFinished()) {
    // Made only now: a progress dialog shows itself on its first value.
    RunProgressDialog dialog(label, progress.total, progress.inPercent, &window_);
    QObject::connect(&dialog, &RunProgressDialog::cancelRequested, &dialog,
                     [&progress] { progress.cancelRequested = true; });
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] { dialog.setValue(progress.done.load()); });
    dialog.setValue(progress.done.load());
    dialog.show();
    poll.start();
    loop.exec();
    poll.stop();
    dialog.hide();
  }
  watcher.waitForFinished();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace pelmora
