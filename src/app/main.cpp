// Starts the window: Qt's own dialogs in Japanese like the window, Form1 shown.
#include "app/demo_run.h"
#include "app/form1.h"
#include "platform/qt_translation.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pelmora"));
  pelmora::installJapaneseQtTranslation();

  pelmora::Form1 window;
  window.show();
  pelmora::startDemoRun(window);
  return QApplication::exec();
}
