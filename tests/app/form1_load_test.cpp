// Loading a raster through the window: the file dialog answered as a user
// would, the fields and the view as the load leaves them, the grid redrawn by
// Command3 and its failures shown in a message box.
#include "window_test_support.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/messages_corners.h"
#include "commands/framing.h"
#include "frame/frame_finder.h"
#include "commands/cut.h"
#include "support/frame_scans.h"
#include "support/test_rasters.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

using namespace pelmora;
using pelmora::testing::answerNextDialog;
using pelmora::testing::control;
using pelmora::testing::shownWindow;

namespace {

const QColor kRasterGrey(200, 200, 200);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

// Clicks Command1 and chooses `path` in its file dialog; returns the dialog's
// title and filters.
QStringList loadThroughDialog(Form1& window, const QString& path) {
  QStringList seen;
  answerNextDialog<QFileDialog>([&](QFileDialog* dialog) {
    seen << dialog->windowTitle() << dialog->nameFilters();
    pelmora::testing::choose(dialog, path);
  });
  QTest::mouseClick(control(window, "Command1"), Qt::LeftButton);
  return seen;
}

QColor canvasAt(ImageView& view, double across, double down) {
  const QPointF p = view.toPixels(across, down);
  return view.canvas().pixelColor(int(p.x()), int(p.y()));
}

}  // namespace

class Form1Load : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString raster_;

 private slots:
  void initTestCase() {
    QImage image(2000, 1500, QImage::Format_RGB32);
    image.fill(kRasterGrey);
    // 9,000,054 bytes: "9" MB, about three cells proposed.
    raster_ = pelmora::testing::writeBmp24(dir_.filePath(QStringLiteral("map.bmp")), image);
  }

  void loadFillsTheFieldsAndDrawsTheGrid() {
    auto window = shownWindow();
    const QStringList dialog = loadThroughDialog(*window, raster_);
    QCOMPARE(dialog, QStringList{messages::rasterDialogTitle()} + messages::rasterDialogFilters());

    Fields& fields = window->form().fields;
    QCOMPARE(fields.text(Field::Text10), raster_);
    QCOMPARE(fields.text(Field::Text1), QStringLiteral("225"));
    QCOMPARE(fields.text(Field::Text2), QStringLiteral("300"));
    QCOMPARE(fields.text(Field::Text3), QStringLiteral("0"));
    QCOMPARE(fields.text(Field::Text4), QStringLiteral("0"));
    QCOMPARE(fields.text(Field::Text9), QStringLiteral("9"));
    QCOMPARE(fields.text(Field::Text8), QStringLiteral("1.33"));
    QCOMPARE(fields.text(Field::Text5), QStringLiteral("2"));
    QCOMPARE(fields.text(Field::Text6), QStringLiteral("2"));
    QCOMPARE(control<QLabel>(*window, "Label9")->text(), QStringLiteral("Ｘ：Ｙ＝ 1 : 1.33"));
    QVERIFY(window->isMaximized());

    // The view is a square of the window's height less 700 units, the raster
    // at its top left and the division lines in red across its middle.
    ImageView& view = window->view();
    const Session& s = window->form().session;
    QCOMPARE(s.P_X, 22500.0f);
    QCOMPARE(s.P_Y, 30000.0f);
    QCOMPARE(view.height(), view.width());
    QCOMPARE(view.height(), float(std::lround((s.F_H - 700) / 15) * 15));
    QCOMPARE(canvasAt(view, s.P_Y / 4, s.P_X / 4), kRasterGrey);
    QCOMPARE(canvasAt(view, s.P_Y / 4, s.P_X / 2), kRed);
    QCOMPARE(canvasAt(view, s.P_Y / 2, s.P_X / 4), kRed);
    QCOMPARE(canvasAt(view, s.P_Y / 4, (s.P_X + s.P_Y) / 2), QColor(Qt::white));

    // Picture1 takes the view's size and shows its canvas.
    auto* picture = control(*window, "Picture1");
    QTRY_COMPARE(picture->size(), QSize(view.pixelWidth(), view.pixelHeight()));
    const QImage shown = picture->grab().toImage();
    const QPoint red = view.toPixels(s.P_Y / 4, s.P_X / 2).toPoint();
    QCOMPARE(shown.pixelColor(red), kRed);
  }

  void aSheetNamedByItsCodeFillsTheCornersFromIt() {
    auto window = shownWindow();
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(kRasterGrey);
    loadThroughDialog(*window, pelmora::testing::writeBmp24(dir_.filePath(QStringLiteral("09LD351.bmp")), image));
    Fields& fields = window->form().fields;
    QCOMPARE(fields.text(Field::Text1), QStringLiteral("-39000"));
    QCOMPARE(fields.text(Field::Text2), QStringLiteral("-18000"));
    QCOMPARE(fields.text(Field::Text3), QStringLiteral("-40500"));
    QCOMPARE(fields.text(Field::Text4), QStringLiteral("-20000"));
    QCOMPARE(control<QLabel>(*window, "Label9")->text(), QStringLiteral("Ｘ：Ｙ＝ 1 : 1.33"));
    // A plain grey raster has no frame line: the raster's edges stay, and the line says so.
    QCOMPARE(control<QLabel>(*window, "CornerSource")->text(),
             messages::cornerSourceLine(messages::cornersOfSheetCode("09LD351"), "EPSG:6677") + " " +
                 messages::frameNotFoundInWindow(frame_reasons::noFrameLine));

    // The next raster, with no source of its own, is not left on that sheet.
    loadThroughDialog(*window, raster_);
    QCOMPARE(fields.text(Field::Text1), QStringLiteral("225"));
    QCOMPARE(fields.text(Field::Text4), QStringLiteral("0"));
    const QString cornerFields = messages::cornerFields(captionOf(Field::Text1), captionOf(Field::Text4));
    QCOMPARE(control<QLabel>(*window, "CornerSource")->text(),
             messages::cornerSourceLine(messages::placeholderCornersSource(), messages::noCoordinateSystem()) + " " +
                 messages::placeholderCorners(messages::bothPairs(), cornerFields));

    // Typed corners stay for the next load, which names them.
    fields.setText(Field::Text3, QStringLiteral("10"));
    loadThroughDialog(*window, dir_.filePath(QStringLiteral("09LD351.bmp")));
    QCOMPARE(fields.text(Field::Text1), QStringLiteral("225"));
    QCOMPARE(control<QLabel>(*window, "CornerSource")->text(),
             messages::cornerSourceLine(messages::typedCorners(), messages::noCoordinateSystem()));
  }

  void theWorldFilesBoxWritesThemWithTheRun() {
    QTemporaryDir dir;
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(kRasterGrey);
    auto window = shownWindow();
    loadThroughDialog(*window, pelmora::testing::writeBmp24(dir.filePath(QStringLiteral("09LD351.bmp")), image));
    auto* box = control<QCheckBox>(*window, "WorldFiles");
    QVERIFY(!box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    answerNextDialog<QMessageBox>([](QMessageBox* message) { message->accept(); }, 60000);
    QTest::mouseClick(control(*window, "Command2"), Qt::LeftButton);
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("09LD351_1.jgw"))));
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("09LD351_1.JPG.aux.xml"))));
  }

  // A sheet's scan: its frame found and drawn in blue with the grid inside,
  // a corner dragged by the mouse (the grid, the line and the cut follow),
  // and the check box that takes the raster's edges back.
  void aSheetsFrameIsDrawnDraggedAndCut() {
    QTemporaryDir dir;
    pelmora::testing::FrameScanSpec spec;
    spec.frameWidth = 800;
    spec.skewDegrees = 0.3;
    const pelmora::testing::FrameScan scan = pelmora::testing::renderFrameScan(spec);
    auto window = shownWindow();
    loadThroughDialog(*window, pelmora::testing::writeBmp24(dir.filePath(QStringLiteral("09LD351.bmp")), scan.image));
    Form& form = window->form();
    QVERIFY(form.frame);
    auto* line = control<QLabel>(*window, "CornerSource");
    QVERIFY(line->text().endsWith(messages::frameFoundInWindow(frameCornersText(*form.frame))));
    auto blueBetween = [&](int from, int to) {
      const QPointF a = *frameCornerOnView(form, from), b = *frameCornerOnView(form, to);
      return window->view().canvas().pixelColor(((a + b) / 2).toPoint()) == kBlue;
    };
    QVERIFY(blueBetween(0, 1) && blueBetween(1, 2) && blueBetween(2, 3) && blueBetween(3, 0));

    // The top-left corner taken 30 pixels right and 20 down: the top edge
    // and the left edge follow it.
    auto* picture = control(*window, "Picture1");
    const QPoint taken = frameCornerOnView(form, 0)->toPoint();
    const FramePoint before = form.frame->topLeft;
    QTest::mousePress(picture, Qt::LeftButton, {}, taken);
    QTest::mouseMove(picture, taken + QPoint(15, 10));
    QTest::mouseMove(picture, taken + QPoint(30, 20));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, taken + QPoint(30, 20));
    QCOMPARE(frameCornerOnView(form, 0)->toPoint(), taken + QPoint(30, 20));
    QVERIFY(form.frame->topLeft.x > before.x + 20 && form.frame->topLeft.y > before.y + 10);
    QVERIFY(blueBetween(0, 1) && blueBetween(3, 0));
    QCOMPARE(line->text().endsWith(messages::frameMovedInWindow(frameCornersText(*form.frame))), true);

    // The run cuts the moved frame's inside, set upright.
    const RunPlan plan = planCut(straightenedRaster(*form.raster, *form.frame), requestOfFields(form));
    answerNextDialog<QMessageBox>([](QMessageBox* box) { box->accept(); }, 60000);
    QTest::mouseClick(control(*window, "Command2"), Qt::LeftButton);
    const QImage first(dir.filePath(QStringLiteral("09LD351_1.JPG")));
    QCOMPARE(first.size(), QSize(plan.images[1].pixelWidth, plan.images[1].pixelHeight));

    // Unchecked, the raster's edges are the sheet's again and no frame is drawn.
    loadThroughDialog(*window, dir.filePath(QStringLiteral("09LD351.bmp")));
    auto* box = control<QCheckBox>(*window, "CutAtFrame");
    QVERIFY(box->isEnabled() && box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!form.cutAtFrame && !frameCornerOnView(form, 0));
    QCOMPARE(form.fields.text(Field::Text8), proposeGrid(*form.raster).ratioText);
  }

  void command3RedrawsTheGridForNewCounts() {
    auto window = shownWindow();
    loadThroughDialog(*window, raster_);
    Fields& fields = window->form().fields;
    fields.setText(Field::Text5, QStringLiteral("3"));
    QTest::mouseClick(control(*window, "Command3"), Qt::LeftButton);
    ImageView& view = window->view();
    const Session& s = window->form().session;
    QCOMPARE(s.Cell_X, 7500.0f);
    QCOMPARE(canvasAt(view, s.P_Y / 4, s.P_X / 3), kRed);
    QCOMPARE(canvasAt(view, s.P_Y / 4, s.P_X / 2), kRasterGrey);  // the old line is gone
  }

  void aFailureOfCommand3IsShownCaptionedPelmora() {
    auto window = shownWindow();
    loadThroughDialog(*window, raster_);
    window->form().fields.setText(Field::Text5, QStringLiteral("1E-50"));  // a band beyond any float
    QString title, text;
    answerNextDialog<QMessageBox>([&](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      box->accept();
    });
    QTest::mouseClick(control(*window, "Command3"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("Pelmora"));
    QCOMPARE(text, Failure::overflow().message());
  }

  void command2RunsTheRegistrationAndSaysSo() {
    QTemporaryDir dir;
    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(kRasterGrey);
    const QString raster = pelmora::testing::writeBmp24(dir.filePath(QStringLiteral("sheet.bmp")), image);
    auto window = shownWindow();
    loadThroughDialog(*window, raster);
    window->form().fields.setText(Field::Text5, QStringLiteral("2"));
    window->form().fields.setText(Field::Text6, QStringLiteral("3"));
    QString text;
    answerNextDialog<QMessageBox>([&](QMessageBox* box) {
      text = box->text();
      box->accept();
    }, 60000);
    QTest::mouseClick(control(*window, "Command2"), Qt::LeftButton);
    QCOMPARE(text, messages::completed());
    for (int i = 0; i <= 6; ++i) QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("sheet_%1.JPG").arg(i))));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("sheet_7.JPG"))));
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("sheet.AR2"))));
  }

  void aFailedLoadLeavesThePathAndTheViewAsTheyWere() {
    QFile notes(dir_.filePath(QStringLiteral("notes.bmp")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("not a picture");
    notes.close();
    auto window = shownWindow();
    loadThroughDialog(*window, raster_);
    auto* picture = control(*window, "Picture1");
    QTRY_COMPARE(picture->size(), QSize(window->view().pixelWidth(), window->view().pixelHeight()));
    const QImage before = picture->grab().toImage();

    QString text;
    answerNextDialog<QMessageBox>([&](QMessageBox* box) {
      text = box->text();
      box->accept();
    });
    loadThroughDialog(*window, notes.fileName());
    QVERIFY(text.contains(notes.fileName()));
    QCOMPARE(control<QLineEdit>(*window, "Text10")->text(), raster_);
    QCOMPARE(window->form().session.Filename, raster_);
    QTRY_COMPARE(picture->grab().toImage(), before);
  }

  void cancellingTheDialogOnlyClearsThePath() {
    auto window = shownWindow();
    window->form().fields.setText(Field::Text10, QStringLiteral("old"));
    answerNextDialog<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    QTest::mouseClick(control(*window, "Command1"), Qt::LeftButton);
    QCOMPARE(window->form().fields.text(Field::Text10), QString());
    QVERIFY(!window->isMaximized());
    QCOMPARE(window->form().session.P_X, 0.0f);
  }

  // A click that reaches a button while a command waits in its nested event
  // loop (here the load's file dialog) starts nothing: no second dialog, no message.
  void aSecondClickWhileACommandRunsDoesNothing() {
    auto window = shownWindow();
    int mostDialogs = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
      int open = 0;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && qobject_cast<QDialog*>(w)) ++open;
      mostDialogs = std::max(mostDialogs, open);
      if (open > 1)  // without the guard: close the second one rather than hang
        if (auto* extra = qobject_cast<QDialog*>(QApplication::activeModalWidget())) extra->reject();
    });
    watch.start(10);
    answerNextDialog<QFileDialog>(
        [&](QFileDialog* dialog) {
          for (const char* name : {"Command1", "Command2", "Command3"})
            control<QPushButton>(*window, name)->click();
          QTest::qWait(100);
          dialog->reject();
        },
        3000);
    QTest::mouseClick(control(*window, "Command1"), Qt::LeftButton);
    watch.stop();
    QCOMPARE(mostDialogs, 1);
  }
};

PELMORA_WINDOW_TEST_MAIN(Form1Load)
#include "form1_load_test.moc"
