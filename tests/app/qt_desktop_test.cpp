// The desktop with Qt: the file dialog, the message box, maximising, and long
// work off the user-interface thread behind a window-modal progress dialog.
#include "window_test_support.h"

#include "desktop/qt_translation.h"
#include "base/failure.h"
#include "base/messages.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

using namespace pelmora;
using pelmora::testing::answerNextDialog;
using pelmora::testing::shownWindow;

namespace {

// Work that counts its images slowly until done or cancelled.
std::function<void()> slowWork(Progress& progress, std::atomic<bool>& ranOffTheUiThread) {
  return [&progress, &ranOffTheUiThread] {
    ranOffTheUiThread = QThread::currentThread() != qApp->thread();
    while (progress.done < progress.total && !progress.cancelRequested) {
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
      ++progress.done;
    }
  };
}

}  // namespace

class QtDesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxIsCaptionedPelmoraWithOkOnly() {
    auto window = shownWindow();
    QString title, text;
    QMessageBox::StandardButtons buttons;
    answerNextDialog<QMessageBox>([&](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      buttons = box->standardButtons();
      box->accept();
    });
    window->desktop().showMessage(messages::completed());
    QCOMPARE(title, QStringLiteral("Pelmora"));
    QCOMPARE(text, messages::completed());
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }

  void aLongMessageIsShownWholeWithinTheScreen() {
    // A run without a break wider than any box (a long file name) and a long
    // line that breaks between Japanese characters.
    const QString text = messages::withFile(
        messages::pixelFormatNotReadable(messages::bandsOf(
            3, {QStringLiteral("UInt16 Red"), QStringLiteral("UInt16 Green"), QStringLiteral("UInt16 Blue")})),
        QStringLiteral("/地図/長い名前のフォルダー/") + QString(150, u'x') + QStringLiteral(".tif"));
    auto window = shownWindow();
    QRect box, screen;
    QString shown;
    int labelWidth = 0, widestLine = 0;
    answerNextDialog<QMessageBox>([&](QMessageBox* dialog) {
      box = dialog->frameGeometry();
      screen = dialog->screen()->availableGeometry();
      shown = dialog->text();
      auto* label = dialog->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      labelWidth = label->contentsRect().width();
      for (const QString& line : shown.split(u'\n'))
        widestLine = std::max(widestLine, label->fontMetrics().horizontalAdvance(line));
      dialog->accept();
    });
    window->desktop().showMessage(text);
    QVERIFY2(screen.width() <= 1024, "the test's screen is no wider than the smallest supported");
    QVERIFY2(box.width() <= screen.width(), qPrintable(QStringLiteral("box %1 wide").arg(box.width())));
    QVERIFY2(widestLine <= labelWidth, qPrintable(QStringLiteral("line %1 in %2").arg(widestLine).arg(labelWidth)));
    QCOMPARE(QString(shown).remove(u'\n'), QString(text).remove(u'\n'));
  }

  void fileDialogShowsTitleAndFiltersAndReturnsTheChoice() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("地図.BMP"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QStringList filters = messages::rasterDialogFilters();

    auto window = shownWindow();
    QString title, selectedFilter;
    QStringList shownFilters;
    answerNextDialog<QFileDialog>([&](QFileDialog* dialog) {
      title = dialog->windowTitle();
      shownFilters = dialog->nameFilters();
      selectedFilter = dialog->selectedNameFilter();
      pelmora::testing::choose(dialog, path);
    });
    QCOMPARE(window->desktop().chooseRasterFile(messages::rasterDialogTitle(), filters), path);
    QCOMPARE(title, messages::rasterDialogTitle());
    QCOMPARE(shownFilters, filters);
    QCOMPARE(selectedFilter, filters.first());

    // Cancelling answers an empty path; the dialog opens in the last folder.
    QString folder;
    answerNextDialog<QFileDialog>([&](QFileDialog* dialog) {
      folder = dialog->directory().absolutePath();
      dialog->reject();
    });
    QCOMPARE(window->desktop().chooseRasterFile(QStringLiteral("t"), filters), QString());
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
  }

  void maximisingGrowsTheWindowAndItsHeightIsInLayoutUnits() {
    auto window = shownWindow();
    const int before = window->frameGeometry().height();
    window->desktop().maximiseWindow();
    QVERIFY(window->isMaximized());
    QVERIFY(window->frameGeometry().height() > before);
    QCOMPARE(window->desktop().windowHeight(), float(window->frameGeometry().height() * 15));
  }

  void workRunsOffTheUiThreadBehindAModalProgressDialog() {
    auto window = shownWindow();
    Progress progress(10);
    std::atomic<bool> offUiThread{false};
    int uiTicks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++uiTicks; });
    ticker.start(20);

    int maximum = -1, seenValue = -1;
    bool modal = false, blocksTheWindow = false;
    QString label, cancelText, barText;
    answerNextDialog<QProgressDialog>([&](QProgressDialog* dialog) {
      maximum = dialog->maximum();
      seenValue = dialog->value();
      modal = dialog->windowModality() == Qt::WindowModal;
      blocksTheWindow = QApplication::activeModalWidget() == dialog;
      label = dialog->labelText();
      if (auto* cancel = dialog->findChild<QPushButton*>()) cancelText = cancel->text();
      if (auto* bar = dialog->findChild<QProgressBar*>()) barText = bar->text();
    });
    window->desktop().runWithProgress(messages::writingImages(), progress,
                                      slowWork(progress, offUiThread));
    QVERIFY(offUiThread);
    QCOMPARE(progress.done.load(), 10);
    QVERIFY(!progress.cancelRequested);
    QCOMPARE(maximum, 10);
    QVERIFY(seenValue > 0);
    QVERIFY(modal);
    QVERIFY(blocksTheWindow);
    QCOMPARE(label, messages::writingImages());
    QCOMPARE(cancelText, messages::cancel());
    QCOMPARE(barText, QStringLiteral("%1 / 10").arg(seenValue));  // images done of the total
    QVERIFY(uiTicks > 5);  // the event loop kept running meanwhile
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
  }

  void cancelAsksTheWorkToStopAndWaitsForIt() {
    auto window = shownWindow();
    Progress progress(1000);
    std::atomic<bool> offUiThread{false};
    bool stillShownAfterCancel = false;
    answerNextDialog<QProgressDialog>([&](QProgressDialog* dialog) {
      dialog->findChild<QPushButton*>()->click();
      stillShownAfterCancel = dialog->isVisible() && QApplication::activeModalWidget() == dialog;
    });
    window->desktop().runWithProgress(QStringLiteral("x"), progress, slowWork(progress, offUiThread));
    QVERIFY(progress.cancelRequested);
    QVERIFY(progress.done < 1000);
    QVERIFY(stillShownAfterCancel);
  }

  void workThatMayEndAtOnceShowsItsDialogOnlyAfterTheDelay() {
    auto window = shownWindow();
    Progress quick(100);
    quick.showAfterMilliseconds = 500;
    bool shown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { shown |= QApplication::activeModalWidget() != nullptr; });
    watch.start(5);
    window->desktop().runWithProgress(QStringLiteral("x"), quick, [&quick] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      quick.done = 100;
    });
    QVERIFY(!shown);

    Progress slow(100);
    slow.showAfterMilliseconds = 200;
    slow.inPercent = true;
    QString barText;
    answerNextDialog<QProgressDialog>([&](QProgressDialog* dialog) {
      slow.done = 37;
      QTest::qWait(100);
      barText = dialog->findChild<QProgressBar*>()->text();
      dialog->findChild<QPushButton*>()->click();
    });
    window->desktop().runWithProgress(QStringLiteral("x"), slow, [&slow] {
      while (!slow.cancelRequested) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    QCOMPARE(barText, QStringLiteral("37%"));
  }

  void aFailureOfTheWorkIsRaisedOnTheUiThread() {
    auto window = shownWindow();
    Progress progress(1);
    bool caught = false;
    try {
      window->desktop().runWithProgress(QStringLiteral("x"), progress, [] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        throw Failure(QStringLiteral("書き込めません。"), QStringLiteral("/tmp/a.JPG"));
      });
    } catch (const Failure& failure) {
      caught = true;
      QCOMPARE(failure.cause(), QStringLiteral("書き込めません。"));
      QCOMPARE(failure.file(), QStringLiteral("/tmp/a.JPG"));
    }
    QVERIFY(caught);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
  }

  void qtsOwnButtonsSpeakJapanese() {
    QVERIFY(installJapaneseQtTranslation());
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    QVERIFY(box.button(QDialogButtonBox::Open)->text() != QStringLiteral("&Open"));
  }
};

PELMORA_WINDOW_TEST_MAIN(QtDesktopTest)
#include "qt_desktop_test.moc"
