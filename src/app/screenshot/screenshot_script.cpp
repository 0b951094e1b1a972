#include "app/screenshot/screenshot_script.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace pelmora {

namespace {

class ScreenshotRun : public QObject {
 public:
  ScreenshotRun(Form1& window, const ScreenshotScript& script)
      : QObject(&window),
        window_(window),
        raster_(script.raster),
        grid_(script.grid),
        drag_(script.drag),
        run_(script.run),
        screenshot_(script.picture) {
    connect(&watch_, &QTimer::timeout, this, &ScreenshotRun::watchDialogs);
    watch_.start(100);
    QTimer::singleShot(800, this, &ScreenshotRun::steps);
  }

 private:
  // Each click returns only when its command has ended (dialogs included),
  // so the dialogs are watched from the timer meanwhile.
  void steps() {
    if (!raster_.isEmpty()) {
      // Answers once; clearing the chooser destroys this lambda, so nothing
      // captured is touched after that.
      window_.desktop().setFileChooser([&desktop = window_.desktop(), raster = raster_](const QString&,
                                                                                     const QStringList&) {
        QString answer = raster;
        desktop.setFileChooser({});
        return answer;
      });
      click("Command1");
    }
    if (const QStringList counts = grid_.split(u'x'); counts.size() == 2) {
      window_.form().fields.setText(Field::Text5, counts[0]);
      window_.form().fields.setText(Field::Text6, counts[1]);
      click("Command3");
    }
    if (drag_) dragTopLeftCorner();
    if (run_) click("Command2");
    QTimer::singleShot(800, this, [this] {
      if (!shot_) shoot();
      QApplication::quit();
    });
  }

  // Takes the frame's top-left corner with the mouse and moves it a little
  // into the sheet; the picture shows it held.
  void dragTopLeftCorner() {
    const std::optional<QPointF> corner = frameCornerOnView(window_.form(), 0);
    auto* view = window_.findChild<QWidget*>(QStringLiteral("Picture1"));
    if (!corner || !view) return std::fprintf(stderr, "no frame to drag\n"), void();
    auto send = [view](QEvent::Type type, QPointF at, Qt::MouseButtons held) {
      QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
      QApplication::sendEvent(view, &event);
    };
    send(QEvent::MouseButtonPress, *corner, Qt::LeftButton);
    for (int step = 1; step <= 10; ++step) send(QEvent::MouseMove, *corner + QPointF(4 * step, 3 * step), Qt::LeftButton);
    view->setCursor(Qt::SizeAllCursor);
    QApplication::processEvents();
    shoot();
  }

  void click(const char* name) {
    if (auto* button = window_.findChild<QPushButton*>(QLatin1String(name))) button->click();
  }

  void watchDialogs() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* progress = qobject_cast<QProgressDialog*>(modal)) {
      if (++progressTicks_ >= 3 && !shot_ && progress->value() > 0) shoot();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      if (++messageTicks_ == 1) std::fprintf(stderr, "message: %s\n", qUtf8Printable(box->text()));
      if (!shot_ && messageTicks_ >= 5) shoot();
      if (shot_) {
        box->accept();
        messageTicks_ = 0;
      }
    }
  }

  void shoot() {
    shot_ = true;
    if (screenshot_.isEmpty()) return;
    const QRect frame = window_.frameGeometry();
    QPixmap picture;
    if (QScreen* screen = window_.screen())
      picture = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (picture.isNull()) picture = window_.grab();
    if (!picture.save(screenshot_)) std::fprintf(stderr, "cannot save %s\n", qUtf8Printable(screenshot_));
  }

  Form1& window_;
  QString raster_;
  QString grid_;
  bool drag_;
  bool run_;
  QString screenshot_;
  QTimer watch_;
  bool shot_ = false;
  int progressTicks_ = 0;
  int messageTicks_ = 0;
};

}  // namespace

void startScreenshotScript(Form1& window, const ScreenshotScript& script) {
  new ScreenshotRun(window, script);
}

}  // namespace pelmora
