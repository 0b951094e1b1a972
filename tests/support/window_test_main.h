// The main of a window test: QTEST_MAIN's, with the translations the window
// installs (WindowApplication), so that the texts compared are the window's.
#pragma once

#include "desktop/qt_translation.h"

#include <QApplication>
#include <QTest>

#define PELMORA_WINDOW_TEST_MAIN(TestObject)         \
  int main(int argc, char* argv[]) {                 \
    QApplication app(argc, argv);                    \
    app.setAttribute(Qt::AA_Use96Dpi, true);         \
    pelmora::installJapaneseTranslations();          \
    TestObject tc;                                   \
    QTEST_SET_MAIN_SOURCE_PATH                       \
    return QTest::qExec(&tc, argc, argv);            \
  }
