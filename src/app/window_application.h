// The Qt application the window runs in, as both window programs start it:
// Japanese Qt dialogs, the application's name, and a clear word instead of
// Qt's abort when there is no display to open.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QList>

namespace pelmora {

// Holds Qt's messages while the platform starts. Qt ends a failed platform
// start with a fatal message and abort() (exit 134, a page about plugins and
// reinstalling); during the start that fatal message becomes a short text in
// Japanese and English naming xvfb-run and pelmora-tile, and exit status 1.
// Messages of a start that succeeds are passed on unchanged afterwards.
class PlatformStartGuard {
 public:
  PlatformStartGuard();
  ~PlatformStartGuard();
  PlatformStartGuard(const PlatformStartGuard&) = delete;
  PlatformStartGuard& operator=(const PlatformStartGuard&) = delete;

  // The platform is up: hands the held messages to Qt's handler and stops holding.
  void started();

 private:
  static void hold(QtMsgType type, const QMessageLogContext& context, const QString& message);

  struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
  };
  static inline QList<HeldMessage>* held_ = nullptr;
  QtMessageHandler previous_ = nullptr;
  QList<HeldMessage> messages_;
  bool holding_ = true;
};

// The guard is a base listed before QApplication so that it is in place
// while QApplication's constructor opens the display.
class WindowApplication : private PlatformStartGuard, public QApplication {
 public:
  WindowApplication(int& argc, char** argv);
};

}  // namespace pelmora
