// Starts the window: Qt's own dialogs in Japanese like the window, Form1 shown.
#include "app/demo_run.h"
#include "app/form1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pelmora"));

  QTranslator qtTranslation;
  if (qtTranslation.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslation);

  pelmora::Form1 window;
  window.show();
  pelmora::startDemoRun(window);
  return QApplication::exec();
}
