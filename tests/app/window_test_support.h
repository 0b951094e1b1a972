// Shared helpers of the window tests: a shown, active Form1, widget lookup by
// control name, typing text that QTest::keyClicks cannot send, and answering
// modal dialogs from a timer while the click that opened them is blocked.
#pragma once

#include "app/form1.h"
#include "support/window_test_main.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace pelmora::testing {

// A Form1 shown and active, so that focus and key events behave as on screen.
inline std::unique_ptr<Form1> shownWindow() {
  auto window = std::make_unique<Form1>();
  window->show();
  window->activateWindow();
  if (!QTest::qWaitForWindowActive(window.get())) qWarning("window did not become active");
  return window;
}

template <class W = QWidget>
W* control(QWidget& window, const char* name) {
  W* w = window.findChild<W*>(QLatin1String(name));
  if (!w) qFatal("no control %s", name);
  return w;
}

// Types any text, one key event per character (non-Latin-1 included).
inline void typeText(QWidget* w, const QString& text) {
  for (QChar ch : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// Calls `answer` with the topmost modal widget of type D once it is up and
// has settled. Any modal still open `timeoutMs` after arming is rejected, so
// that a failing test never hangs. Arm it before the action that opens the
// dialog.
template <class D>
void answerNextDialog(std::function<void(D*)> answer, int timeoutMs = 10000) {
  auto* timer = new QTimer(qApp);  // deleted with the application if never stopped
  auto elapsed = std::make_shared<int>(0);
  auto answered = std::make_shared<bool>(false);
  QObject::connect(timer, &QTimer::timeout, [timer, elapsed, answered, answer, timeoutMs] {
    *elapsed += 50;
    QWidget* modal = QApplication::activeModalWidget();
    if (*elapsed >= timeoutMs) {
      timer->stop();
      timer->deleteLater();
      if (auto* d = qobject_cast<QDialog*>(modal)) {
        qWarning("a dialog was left open: %s", qPrintable(d->windowTitle()));
        d->reject();
      }
    } else if (auto* dialog = qobject_cast<D*>(modal); !*answered && dialog && dialog->isVisible() && *elapsed >= 200) {
      *answered = true;
      answer(dialog);
    } else if (*answered && !modal) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(50);
}

// Chooses `path` in an open file dialog as a user would: its name typed into
// the dialog's name field (selectFile() leaves a focused field alone).
inline void choose(QFileDialog* dialog, const QString& path) {
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (!name) qFatal("file dialog without a name field");
  name->setText(path);
  static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its accept()
}

}  // namespace pelmora::testing
