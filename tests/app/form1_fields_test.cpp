// The window's texts as the commands see them: typing in a corner field and
// writing one from code both run the extent recomputation at once.
#include "window_test_support.h"

#include <QLabel>

using namespace pelmora;
using pelmora::testing::control;
using pelmora::testing::shownWindow;

namespace {

void typeInto(Form1& window, const char* name, const char* text) {
  auto* edit = control<QLineEdit>(window, name);
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

}  // namespace

class Form1Fields : public QObject {
  Q_OBJECT

 private slots:
  void typingACornerRewritesTheAspectCaption() {
    auto window = shownWindow();
    typeInto(*window, "Text1", "3000");
    typeInto(*window, "Text2", "2000");
    typeInto(*window, "Text3", "0");
    typeInto(*window, "Text4", "0");
    QCOMPARE(control<QLabel>(*window, "Label9")->text(), QStringLiteral("Ｘ：Ｙ＝ 1 : 0.67"));
    QCOMPARE(window->form().session.W_DX, 3000.0);
    QCOMPARE(window->form().session.W_DY, 2000.0);
  }

  void theUpperRightXKeepsItsFraction() {
    auto window = shownWindow();
    typeInto(*window, "Text1", "1000.4");
    const Session& s = window->form().session;
    QCOMPARE(s.UR_X, 1000.4);
    QCOMPARE(s.LL_X, 1000.0);
    QVERIFY(qAbs(s.W_DX - 0.4) < 1e-9);
    QCOMPARE(s.W_DY, -1000.0);
    QCOMPARE(control<QLabel>(*window, "Label9")->text(), QStringLiteral("Ｘ：Ｙ＝ 1 : -2500"));
  }

  void aZeroExtentKeepsTheCaption() {
    auto window = shownWindow();
    typeInto(*window, "Text1", "5");
    auto* text4 = control<QLineEdit>(*window, "Text4");
    text4->setFocus(Qt::OtherFocusReason);
    text4->end(false);
    for (int i = 0; i < 3; ++i) QTest::keyClick(text4, Qt::Key_Backspace);
    const QString caption = control<QLabel>(*window, "Label9")->text();
    QCOMPARE(caption, QStringLiteral("Ｘ：Ｙ＝ 1 : 0"));  // -1 / -995 rounds to 0
    QTest::keyClick(text4, Qt::Key_Backspace);            // empty reads 0, as Text2
    QCOMPARE(window->form().session.W_DY, 0.0);
    QCOMPARE(window->form().session.LL_Y, 0.0);
    QCOMPARE(control<QLabel>(*window, "Label9")->text(), caption);
  }

  void aWriteFromCodeRecomputesBeforeItReturns() {
    Form1 window;
    Fields& fields = window.form().fields;
    fields.setText(Field::Text1, QStringLiteral("3000"));
    fields.setText(Field::Text3, QStringLiteral("0"));
    fields.setText(Field::Text4, QStringLiteral("0"));
    fields.setText(Field::Text2, QStringLiteral("375"));
    QCOMPARE(control<QLabel>(window, "Label9")->text(), QStringLiteral("Ｘ：Ｙ＝ 1 : 0.13"));
    QCOMPARE(control<QLineEdit>(window, "Text2")->text(), QStringLiteral("375"));
    QCOMPARE(fields.text(Field::Label9), QStringLiteral("Ｘ：Ｙ＝ 1 : 0.13"));
  }

  void onlyAChangedCornerRunsTheHandler() {
    Form1 window;
    Fields& fields = window.form().fields;
    fields.setText(Field::Label9, QStringLiteral("marker"));
    fields.setText(Field::Text1, QStringLiteral("0"));   // the same text
    fields.setText(Field::Text5, QStringLiteral("3"));   // no corner
    fields.setText(Field::Text10, QStringLiteral("/tmp/x.bmp"));
    QCOMPARE(fields.text(Field::Label9), QStringLiteral("marker"));
    QCOMPARE(window.form().session.LL_X, 0.0);
    fields.setText(Field::Text1, QStringLiteral("00"));
    QCOMPARE(fields.text(Field::Label9), QStringLiteral("Ｘ：Ｙ＝ 1 : 1"));
    QCOMPARE(window.form().session.W_DX, -1000.0);
  }

  void everyFieldReadsAndWritesItsOwnWidget() {
    Form1 window;
    Fields& fields = window.form().fields;
    const char* names[] = {"Text1", "Text2", "Text3", "Text4",  "Text5",  "Text6",
                           "Text7", "Text8", "Text9", "Text10", "Text11", "Text12"};
    for (int i = 0; i < 12; ++i) {
      const QString text = QStringLiteral("v%1").arg(i);
      fields.setText(Field(i), text);
      QCOMPARE(control<QLineEdit>(window, names[i])->text(), text);
      QCOMPARE(fields.text(Field(i)), text);
    }
  }
};

PELMORA_WINDOW_TEST_MAIN(Form1Fields)
#include "form1_fields_test.moc"
