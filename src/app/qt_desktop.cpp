#include "app/qt_desktop.h"

#include "app/run_progress_dialog.h"
#include "window/front_end.h"

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
#include <QTextBoundaryFinder>
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

// The widest a message box's lines may be on `screen`. QMessageBox lays a
// label wider than its hard limit (the screen's width up to 1024 pixels, 480
// less up to 1000 above) out at that limit without wrapping a run that has no
// break, such as a file's path, and a label wider than half the screen
// between any two Japanese characters, which can leave "ん。" alone on a last
// line. Lines kept within this width, margins included, meet neither.
int messageLineCap(const QScreen* screen) {
  const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
  const int hardLimit = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
  return std::clamp(hardLimit - 160, 200, 720);
}

// `line` broken into lines no wider than `cap` pixels, as evenly as the
// places Unicode allows a break (between Japanese characters, after a space
// or a slash) let it; a run without one is broken between any two characters.
QStringList wrappedLine(const QString& line, const QFontMetrics& metrics, int cap) {
  const int whole = metrics.horizontalAdvance(line);
  if (whole <= cap) return {line};
  const int slack = metrics.horizontalAdvance(QChar(0x3042));  // one full-width character
  const int lineCount = (whole + cap - 1) / cap;
  const int target = std::min(cap, whole / lineCount + 2 * slack);

  // The pieces between break opportunities, a piece wider than a line cut
  // into characters.
  QStringList pieces;
  QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
  QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, line);
  for (qsizetype from = 0, to = breaks.toNextBoundary(); to > 0; from = to, to = breaks.toNextBoundary()) {
    const QString piece = line.mid(from, to - from);
    if (metrics.horizontalAdvance(piece) <= target) {
      pieces << piece;
      continue;
    }
    characters.setPosition(from);
    for (qsizetype c = from, next = characters.toNextBoundary(); next > 0 && c < to;
         c = next, next = characters.toNextBoundary())
      pieces << line.mid(c, std::min(next, to) - c);
  }

  QStringList lines{QString()};
  for (const QString& piece : pieces) {
    if (!lines.last().isEmpty() && metrics.horizontalAdvance(lines.last() + piece) > target)
      lines << QString();
    lines.last() += piece;
  }
  return lines;
}

// The text of a message box broken into lines that fit it on its screen (see
// messageLineCap), and its label made as wide as the longest of them, so
// that the box breaks none of them again.
void fitToScreen(QMessageBox& box, const QString& text) {
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (!label) return;
  label->ensurePolished();
  const QFontMetrics metrics(label->font());
  const int cap = messageLineCap(box.screen());
  QStringList lines;
  for (const QString& line : text.split(u'\n')) lines << wrappedLine(line, metrics, cap);
  int longest = 0;
  for (const QString& line : lines) longest = std::max(longest, metrics.horizontalAdvance(line));
  box.setText(lines.join(u'\n'));
  label->setMinimumWidth(std::min(cap, longest + metrics.horizontalAdvance(QChar(0x3042))));
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
  // A reason quoted from a library may hold "<": shown as written, never as markup.
  box.setTextFormat(Qt::PlainText);
  fitToScreen(box, text);
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
