// The focus behaviours of Form1: the focus order, select-all on entering the
// first six fields (by Tab and by click), and the quality normalisation when
// Text11 loses the focus, also to a button whose click then runs.
#include "window_test_support.h"

#include <QPushButton>

using namespace pelmora;
using pelmora::testing::control;
using pelmora::testing::shownWindow;
using pelmora::testing::typeText;

namespace {

void pressTab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }

// Focus on `name` by tabbing from the view.
void tabTo(Form1& window, const char* name) {
  control(window, "Picture1")->setFocus(Qt::OtherFocusReason);
  for (int i = 0; i < 20 && QApplication::focusWidget()->objectName() != QLatin1String(name); ++i) pressTab();
}

void replaceText11(Form1& window, const QString& text) {
  auto* text11 = control<QLineEdit>(window, "Text11");
  tabTo(window, "Text11");
  text11->selectAll();
  QTest::keyClick(text11, Qt::Key_Delete);
  typeText(text11, text);
  QCOMPARE(text11->text(), text);
}

}  // namespace

class Form1Focus : public QObject {
  Q_OBJECT

 private slots:
  void tabOrderSkipsTheDisabledDisplays() {
    auto window = shownWindow();
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Picture1"));
    QStringList visited;
    for (int i = 0; i < 13; ++i) {
      pressTab();
      visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, QStringList({"Text11", "Text5", "Text6", "Text1", "Text2", "Text3", "Text4", "Command2",
                                   "Command1", "Text10", "Command3", "Text12", "Picture1"}));
  }

  void tabSelectsTheWholeText() {
    auto window = shownWindow();
    auto* text3 = control<QLineEdit>(*window, "Text3");
    tabTo(*window, "Text3");
    QTRY_COMPARE(text3->selectedText(), QStringLiteral("1000"));
    QCOMPARE(text3->selectionStart(), 0);
    // Typing replaces the value, and the corner handler sees the single digit.
    QTest::keyClicks(text3, "7");
    QCOMPARE(text3->text(), QStringLiteral("7"));
    QCOMPARE(window->form().session.LL_X, 7.0);
  }

  void tabIntoAnEmptyFieldLeavesTheCaretAtTheStart() {
    auto window = shownWindow();
    window->form().fields.setText(Field::Text5, QString());
    auto* text5 = control<QLineEdit>(*window, "Text5");
    tabTo(*window, "Text5");
    QTest::qWait(50);
    QVERIFY(!text5->hasSelectedText());
    QCOMPARE(text5->cursorPosition(), 0);
  }

  void clickSelectsTheWholeTextOfTheFirstSixFields() {
    auto window = shownWindow();
    window->form().fields.setText(Field::Text6, QStringLiteral("12"));
    for (const char* name : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"}) {
      auto* edit = control<QLineEdit>(*window, name);
      QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
      QTRY_COMPARE(QApplication::focusWidget(), edit);
      QTRY_COMPARE(edit->selectedText(), edit->text());
      QCOMPARE(edit->selectionStart(), 0);
    }
  }

  void clickLeavesTheCaretInOtherFields() {
    auto window = shownWindow();
    auto* text12 = control<QLineEdit>(*window, "Text12");
    QTest::mouseClick(text12, Qt::LeftButton, {}, QPoint(text12->width() - 4, text12->height() / 2));
    QTRY_COMPARE(QApplication::focusWidget(), text12);
    QTest::qWait(50);
    QVERIFY(!text12->hasSelectedText());
  }

  void leavingTheQualityNormalisesIt_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("full-width digits") << QStringLiteral("５０") << QStringLiteral(" 50");
    QTest::newRow("full-width fraction") << QStringLiteral("６０．７") << QStringLiteral(" 60.7");
    QTest::newRow("above the range") << QStringLiteral("150") << QStringLiteral(" 100");
    QTest::newRow("below the range") << QStringLiteral("10") << QStringLiteral(" 25");
    QTest::newRow("letters") << QStringLiteral("abc") << QStringLiteral(" 25");
    QTest::newRow("already normal") << QStringLiteral(" 50") << QStringLiteral(" 50");
  }

  void leavingTheQualityNormalisesIt() {
    QFETCH(QString, typed);
    QFETCH(QString, normalised);
    auto window = shownWindow();
    replaceText11(*window, typed);
    pressTab();
    QCOMPARE(control<QLineEdit>(*window, "Text11")->text(), normalised);
  }

  void clickingTheViewAlsoNormalises() {
    auto window = shownWindow();
    replaceText11(*window, QStringLiteral("99.5"));
    QTest::mouseClick(control(*window, "Picture1"), Qt::LeftButton, {}, QPoint(100, 100));
    QTRY_COMPARE(control<QLineEdit>(*window, "Text11")->text(), QStringLiteral(" 99.5"));
  }

  void qualityIsNormalisedBeforeTheRunButtonsClick() {
    auto window = shownWindow();
    replaceText11(*window, QStringLiteral("150"));
    auto* command2 = control<QPushButton>(*window, "Command2");
    QString seenByTheRun;
    connect(command2, &QPushButton::clicked, window.get(),
            [&] { seenByTheRun = window->form().fields.text(Field::Text11); });
    QTest::mouseClick(command2, Qt::LeftButton);
    QCOMPARE(seenByTheRun, QStringLiteral(" 100"));
    // Without a raster the run does nothing.
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  void theInitialQualityGainsItsBlankOnFirstLeave() {
    auto window = shownWindow();
    tabTo(*window, "Text11");
    QCOMPARE(control<QLineEdit>(*window, "Text11")->text(), QStringLiteral("50"));
    pressTab();
    QCOMPARE(control<QLineEdit>(*window, "Text11")->text(), QStringLiteral(" 50"));
  }
};

PELMORA_WINDOW_TEST_MAIN(Form1Focus)
#include "form1_focus_test.moc"
