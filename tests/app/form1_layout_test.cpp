// Form1 as it opens: texts, captions, places, fonts, colours, and places kept
// when the window is resized.
#include "window_test_support.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

using namespace pelmora;
using pelmora::testing::control;

class Form1Layout : public QObject {
  Q_OBJECT

 private slots:
  void windowTitleSizeAndBackground() {
    Form1 window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Pelmora 1.02"));
    QCOMPARE(window.size(), QSize(608, 531));
    QVERIFY(window.autoFillBackground());
    QCOMPARE(window.palette().color(QPalette::Window), QColor(0xFF, 0xE0, 0xC0));
    QVERIFY(!window.windowIcon().isNull());
  }

  void initialTexts() {
    Form1 window;
    const std::pair<const char*, const char*> expected[] = {
        {"Text1", "0"}, {"Text2", "0"}, {"Text3", "1000"}, {"Text4", "1000"}, {"Text5", "1"},  {"Text6", "1"},
        {"Text7", " 1"}, {"Text8", ""}, {"Text9", ""},     {"Text10", ""},    {"Text11", "50"}, {"Text12", "0.0000"},
    };
    for (auto [name, text] : expected) QCOMPARE(control<QLineEdit>(window, name)->text(), QString::fromUtf8(text));
    QCOMPARE(control<QLabel>(window, "Label9")->text(), QString());
    // No change handler ran at creation.
    QCOMPARE(window.form().session.LL_X, 0.0);
    QCOMPARE(window.form().session.W_DY, 0.0);
  }

  void captions() {
    Form1 window;
    const std::pair<const char*, const char*> expected[] = {
        {"Label1", "左下X"},   {"Label2", "左下Y"},     {"Label3", "右上Y"},  {"Label4", "右上X"},
        {"Label5", "横割の数"}, {"Label6", "縦割の数"},   {"Label7", "縦"},     {"Label8", "横"},
        {"Label10", "JPG画質"}, {"Label11", "サイズ"},    {"Label12", "MB"},    {"Label13", "%"},
        {"Label14", "回転角度単位"},
    };
    for (auto [name, caption] : expected) {
      auto* label = control<QLabel>(window, name);
      QCOMPARE(label->text(), QString::fromUtf8(caption));
      QCOMPARE(label->focusPolicy(), Qt::NoFocus);
      QVERIFY(label->autoFillBackground());
      QCOMPARE(label->palette().color(QPalette::Window), QColor(0xFF, 0xE0, 0xC0));
      // Every character is drawn by the resolved face itself: no boxes.
      const QFontMetrics metrics(label->font());
      for (QChar ch : label->text()) QVERIFY2(metrics.inFont(ch), qPrintable(label->objectName()));
    }
    QCOMPARE(control<QPushButton>(window, "Command1")->text(), QStringLiteral("画像呼び出し"));
    QCOMPARE(control<QPushButton>(window, "Command2")->text(), QStringLiteral("登録開始"));
    QCOMPARE(control<QPushButton>(window, "Command3")->text(), QStringLiteral("分割図表示"));
    for (const char* name : {"Command1", "Command2", "Command3"}) {
      auto* button = control<QPushButton>(window, name);
      const QFontMetrics metrics(button->font());
      for (QChar ch : button->text()) QVERIFY(metrics.inFont(ch));
    }
  }

  void placesInPixels() {
    Form1 window;
    QCOMPARE(control(window, "Command1")->geometry(), QRect(8, 8, 145, 25));
    QCOMPARE(control(window, "Command2")->geometry(), QRect(8, 80, 145, 25));
    QCOMPARE(control(window, "Command3")->geometry(), QRect(56, 294, 92, 31));
    QCOMPARE(control(window, "Text10")->geometry(), QRect(8, 40, 145, 33));
    QCOMPARE(control(window, "Text11")->geometry(), QRect(80, 112, 33, 18));
    QCOMPARE(control(window, "Text5")->geometry(), QRect(96, 232, 41, 25));
    QCOMPARE(control(window, "Text4")->geometry(), QRect(56, 420, 97, 25));
    QCOMPARE(control(window, "Label9")->geometry(), QRect(7, 496, 148, 25));
    QCOMPARE(control(window, "Label14")->geometry(), QRect(8, 456, 49, 25));
    QCOMPARE(control(window, "Picture1")->geometry(), QRect(160, 8, 432, 433));
  }

  void fonts() {
    Form1 window;
    struct Expected {
      const char* name;
      int pixels;
      bool bold, italic;
    };
    const Expected expected[] = {
        {"Command1", 15, true, false}, {"Text1", 15, false, false}, {"Text5", 19, true, false},
        {"Text7", 16, true, true},     {"Label4", 13, true, false}, {"Label5", 16, false, false},
        {"Label10", 12, true, false},  {"Label13", 13, false, false},
        // Controls without a font of their own take the window's 9 pt face.
        {"Command3", 12, false, false}, {"Text11", 12, false, false}, {"Label12", 12, false, false},
    };
    for (const Expected& e : expected) {
      const QFont font = control(window, e.name)->font();
      QVERIFY2(font.pixelSize() == e.pixels, e.name);
      QVERIFY2(font.bold() == e.bold, e.name);
      QVERIFY2(font.italic() == e.italic, e.name);
      QCOMPARE(font.families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
    }
    // The face actually used is a Japanese gothic one of the list.
    const QString used = QFontInfo(control(window, "Label5")->font()).family();
    QVERIFY2(control(window, "Label5")->font().families().contains(used), qPrintable(used));
  }

  void buttonColoursAndDisabledDisplays() {
    Form1 window;
    QCOMPARE(control(window, "Command1")->palette().color(QPalette::Button), QColor(0xC0, 0xFF, 0xFF));
    QCOMPARE(control(window, "Command2")->palette().color(QPalette::Button), QColor(0xFF, 0xC0, 0xC0));
    for (const char* name : {"Text7", "Text8", "Text9"}) QVERIFY(!control(window, name)->isEnabled());
    for (const char* name : {"Text1", "Text5", "Text10", "Text11", "Text12", "Command3"})
      QVERIFY(control(window, name)->isEnabled());
  }

  void resizingMovesNothing() {
    auto window = pelmora::testing::shownWindow();
    std::map<QString, QRect> before;
    // The strip under the view (world files, the frame, the corners' source) follows the view.
    const QStringList following{"WorldFiles", "CutAtFrame", "CornerSource"};
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (!following.contains(child->objectName())) before[child->objectName()] = child->geometry();
    QCOMPARE(before.size(), std::size_t(3 + 12 + 14 + 1));
    for (QSize size : {QSize(780, 590), QSize(300, 200), QSize(608, 531)}) {
      window->resize(size);
      QTRY_COMPARE(window->size(), size);
      for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!following.contains(child->objectName())) QCOMPARE(child->geometry(), before[child->objectName()]);
    }
  }

  void viewStartsBlankAndHasTheFocus() {
    auto window = pelmora::testing::shownWindow();
    auto* picture = control(*window, "Picture1");
    QTRY_COMPARE(QApplication::focusWidget(), picture);
    const QImage shot = picture->grab().toImage();
    QCOMPARE(shot.size(), QSize(432, 433));
    QCOMPARE(QColor(shot.pixel(0, 0)), QColor(Qt::white));
    QCOMPARE(QColor(shot.pixel(431, 432)), QColor(Qt::white));
  }
};

PELMORA_WINDOW_TEST_MAIN(Form1Layout)
#include "form1_layout_test.moc"
