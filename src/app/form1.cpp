#include "app/form1.h"

#include "app/app_icon.h"
#include "app/entry_fields.h"
#include "app/picture_view.h"
#include "app/window_font.h"
#include "window/front_end.h"

#include <QCheckBox>
#include <QLabel>
#include <algorithm>
#include <QPushButton>
#include <optional>

namespace pelmora {

namespace {

const QColor kWindowColour(0xFF, 0xE0, 0xC0);

// Positions and sizes in layout units.
struct Box {
  int left, top, width, height;
  QRect pixels() const { return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height)); }
  static int toPixels(int units) { return int(units / kUnitsPerPixel); }
};

struct FontSize {
  int pixels;
  bool bold = false;
  bool italic = false;
};

// Sizes in points are these pixel sizes at 96 dots per inch.
constexpr int k9pt = 12, k975pt = 13, k1125pt = 15, k12pt = 16, k1425pt = 19;

void place(QWidget* widget, const char* name, Box box, std::optional<FontSize> font) {
  widget->setObjectName(QLatin1String(name));
  widget->setGeometry(box.pixels());
  if (font) widget->setFont(windowFont(font->pixels, font->bold, font->italic));
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, Box box,
                    std::optional<FontSize> font, std::optional<QColor> face) {
  auto* b = new QPushButton(caption, parent);
  place(b, name, box, font);
  b->setAutoDefault(false);
  if (face) {
    QPalette palette = b->palette();
    palette.setColor(QPalette::Button, *face);
    b->setPalette(palette);
  }
  return b;
}

template <class Edit>
Edit* textField(QWidget* parent, const char* name, Field field, Box box, std::optional<FontSize> font) {
  auto* edit = new Edit(parent);
  place(edit, name, box, font);
  edit->setText(initialText(field));
  edit->setCursorPosition(0);
  return edit;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, Box box, std::optional<FontSize> font) {
  auto* l = new QLabel(caption, parent);
  place(l, name, box, font);
  l->setTextFormat(Qt::PlainText);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // A caption longer than its label continues on the next line.
  l->setWordWrap(true);
  l->setAutoFillBackground(true);
  QPalette palette = l->palette();
  palette.setColor(QPalette::Window, kWindowColour);
  l->setPalette(palette);
  return l;
}

// The window's colour, size, title, icon and font.
void setUpWindow(QWidget* window) {
  window->setObjectName(QStringLiteral("Form1"));
  window->setWindowTitle(QStringLiteral("Pelmora " PELMORA_VERSION));
  window->setWindowIcon(appIcon());
  window->setFont(defaultWindowFont());
  window->setAutoFillBackground(true);
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, kWindowColour);
  window->setPalette(palette);
  window->resize(Box::toPixels(9120), Box::toPixels(7965));
}

const FontSize kBold1125{k1125pt, true}, kRegular1125{k1125pt}, kBold1425{k1425pt, true};
const FontSize kBoldItalic12{k12pt, true, true}, kRegular12{k12pt};
const FontSize kBold975{k975pt, true}, kRegular975{k975pt}, kBold9{k9pt, true};

// The entry and display fields, Text1 to Text12; Text7 to Text9 show values
// and take no input.
std::map<Field, QLineEdit*> makeFields(QWidget* window) {
  std::map<Field, QLineEdit*> edits;
  edits[Field::Text1] = textField<SelectAllLineEdit>(window, "Text1", Field::Text1, {840, 4950, 1455, 375}, kRegular1125);
  edits[Field::Text2] = textField<SelectAllLineEdit>(window, "Text2", Field::Text2, {840, 5400, 1455, 375}, kRegular1125);
  edits[Field::Text3] = textField<SelectAllLineEdit>(window, "Text3", Field::Text3, {840, 5850, 1455, 375}, kRegular1125);
  edits[Field::Text4] = textField<SelectAllLineEdit>(window, "Text4", Field::Text4, {840, 6300, 1455, 375}, kRegular1125);
  edits[Field::Text5] = textField<SelectAllLineEdit>(window, "Text5", Field::Text5, {1440, 3480, 615, 375}, kBold1425);
  edits[Field::Text6] = textField<SelectAllLineEdit>(window, "Text6", Field::Text6, {1440, 3960, 615, 375}, kBold1425);
  edits[Field::Text7] = textField<QLineEdit>(window, "Text7", Field::Text7, {720, 2040, 1215, 375}, kBoldItalic12);
  edits[Field::Text8] = textField<QLineEdit>(window, "Text8", Field::Text8, {720, 2520, 1215, 375}, kBoldItalic12);
  edits[Field::Text9] = textField<QLineEdit>(window, "Text9", Field::Text9, {720, 3000, 1215, 375}, kBoldItalic12);
  edits[Field::Text10] = textField<QLineEdit>(window, "Text10", Field::Text10, {120, 600, 2175, 495}, {});
  edits[Field::Text11] = textField<FocusLeaveLineEdit>(window, "Text11", Field::Text11, {1200, 1680, 495, 270}, {});
  edits[Field::Text12] = textField<QLineEdit>(window, "Text12", Field::Text12, {960, 6840, 1335, 375}, kRegular1125);
  for (Field display : {Field::Text7, Field::Text8, Field::Text9}) {
    QLineEdit* edit = edits[display];
    edit->setEnabled(false);
    // Greyed text on the field's usual background.
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Active, QPalette::Base));
    edit->setPalette(palette);
  }
  return edits;
}

// The captions beside the fields; returns Label9, the X:Y display.
QLabel* makeLabels(QWidget* window) {
  label(window, "Label4", captionOf(Field::Text1), {120, 5040, 615, 255}, kBold975);
  label(window, "Label3", captionOf(Field::Text2), {120, 5490, 615, 255}, kBold975);
  label(window, "Label1", captionOf(Field::Text3), {120, 5940, 615, 255}, kBold975);
  label(window, "Label2", captionOf(Field::Text4), {120, 6390, 615, 255}, kBold975);
  label(window, "Label5", captionOf(Field::Text5), {120, 3600, 1095, 375}, kRegular12);
  label(window, "Label6", captionOf(Field::Text6), {120, 3960, 1095, 375}, kRegular12);
  label(window, "Label7", captionOf(Field::Text7), {120, 2160, 375, 375}, kRegular12);
  label(window, "Label8", captionOf(Field::Text8), {120, 2640, 375, 375}, kRegular12);
  label(window, "Label11", captionOf(Field::Text9), {120, 3000, 615, 375}, kRegular975);
  label(window, "Label12", QStringLiteral("MB"), {2040, 3120, 375, 255}, {});
  label(window, "Label10", captionOf(Field::Text11), {120, 1680, 975, 255}, kBold9);
  label(window, "Label13", QStringLiteral("%"), {1800, 1680, 255, 255}, kRegular975);
  label(window, "Label14", captionOf(Field::Text12), {120, 6840, 735, 375}, kBold975);
  QLabel* label9 = label(window, "Label9", initialText(Field::Label9), {105, 7440, 2220, 375}, kRegular12);
  // Captions lie beneath every other control, as the view overlaps Label12.
  for (QLabel* caption : window->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) caption->lower();
  return label9;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent), view_(std::make_unique<ImageView>()) {
  setUpWindow(this);
  auto* picture1 = new PictureView(*view_, this);
  picture1->setObjectName(QStringLiteral("Picture1"));
  picture1->move(Box{2400, 120, int(kInitialViewWidth), int(kInitialViewHeight)}.pixels().topLeft());
  // The view takes the focus (by Tab and by a click) as the first control of
  // the focus order, so that leaving Text11 for it normalises the quality.
  picture1->setFocusPolicy(Qt::StrongFocus);

  auto* command1 = button(this, "Command1", captionOf(Command::Load), {120, 120, 2175, 375}, kBold1125,
                          QColor(0xC0, 0xFF, 0xFF));
  auto* command2 = button(this, "Command2", captionOf(Command::Run), {120, 1200, 2175, 375}, kBold1125,
                          QColor(0xFF, 0xC0, 0xC0));
  auto* command3 = button(this, "Command3", captionOf(Command::ShowGrid), {840, 4410, 1380, 465}, {}, {});
  std::map<Field, QLineEdit*> edits = makeFields(this);
  QLabel* label9 = makeLabels(this);

  // The focus order; the disabled display fields keep their places and are
  // skipped while disabled.
  const QList<QWidget*> order{picture1,          edits[Field::Text11], edits[Field::Text7], edits[Field::Text8],
                              edits[Field::Text9], edits[Field::Text5], edits[Field::Text6], edits[Field::Text1],
                              edits[Field::Text2], edits[Field::Text3], edits[Field::Text4], command2,
                              command1,          edits[Field::Text10], command3,           edits[Field::Text12]};
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  picture1->setFocus();

  picture1_ = picture1;
  // Out of the Tab cycle, which runs through the fixed controls only; Alt+W reaches it.
  worldFilesBox_ = new QCheckBox(QStringLiteral("ワールドファイルも書く(&W) .jgw, .aux.xml"), this);
  worldFilesBox_->setFocusPolicy(Qt::NoFocus);
  place(worldFilesBox_, "WorldFiles", {2400, 6700, 4200, 300}, kRegular975);
  cutAtFrameBox_ = new QCheckBox(QStringLiteral("図郭で切る(&F)"), this);
  cutAtFrameBox_->setFocusPolicy(Qt::NoFocus);
  cutAtFrameBox_->setChecked(true);
  cutAtFrameBox_->setEnabled(false);
  place(cutAtFrameBox_, "CutAtFrame", {6700, 6700, 2000, 300}, kRegular975);
  cornerSourceLine_ = label(this, "CornerSource", {}, {105, 7900, 2220, 300}, FontSize{k9pt});
  cornerSourceLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  fields_ = std::make_unique<QtFields>(edits, label9);
  desktop_ = std::make_unique<QtDesktop>(*this);
  form_ = std::make_unique<Form>(*fields_, *view_, *desktop_);

  static_cast<FocusLeaveLineEdit*>(edits[Field::Text11])->setFocusLeaveAction([this] { normaliseQuality(*fields_); });
  connect(command1, &QPushButton::clicked, this, &Form1::onLoad);
  connect(command2, &QPushButton::clicked, this, &Form1::onRun);
  connect(command3, &QPushButton::clicked, this, &Form1::onGrid);
  connect(worldFilesBox_, &QCheckBox::toggled, this, [this](bool on) { form_->worldFiles = on; });
  connect(cutAtFrameBox_, &QCheckBox::clicked, this, [this](bool on) {
    if (commandRunning_) return;
    const CommandOutcome outcome = setCutAtFrame(*form_, on);
    placeCornerStrip();
    if ((outcome.status == CommandOutcome::Status::Stopped)) desktop_->showMessage(outcome.message());
  });
  picture1->onPress = [this](QPointF p) { onViewPress(p); };
  picture1->onMove = [this](QPointF p) { onViewMove(p); };
  picture1->onRelease = [this] { onViewRelease(); };
  pictureView_ = picture1;
  placeCornerStrip();
}

void Form1::placeCornerStrip() {
  constexpr int kGap = 4;
  // The check box under the view, or at the window's foot when the view
  // reaches past it; the line in the column of fields, below Label9.
  const QRect view = picture1_->geometry();
  const QSize box = worldFilesBox_->sizeHint();
  const int boxTop = std::min(view.bottom() + 1 + kGap, height() - box.height() - kGap);
  worldFilesBox_->setGeometry(view.left(), boxTop, box.width(), box.height());
  cutAtFrameBox_->setGeometry(view.left() + box.width() + 6 * kGap, boxTop, cutAtFrameBox_->sizeHint().width(),
                              box.height());
  cutAtFrameBox_->setEnabled(form_->frame.has_value());
  cutAtFrameBox_->setChecked(form_->cutAtFrame);
  const QRect label9 = findChild<QLabel*>(QStringLiteral("Label9"))->geometry();
  const int top = label9.bottom() + 1 + 2 * kGap;
  cornerSourceLine_->setGeometry(label9.left(), top, label9.width(), std::max(0, height() - top - kGap));
  cornerSourceLine_->setText(form_->lineBesideView());
  cornerSourceLine_->setToolTip(form_->lineBesideView());
}

void Form1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (form_) placeCornerStrip();
}

Form1::~Form1() = default;

void Form1::onLoad() { runCommand(loadRaster); }
void Form1::onRun() { runCommand(runRegistration, messages::completed()); }
void Form1::onGrid() { runCommand(showGrid); }

void Form1::onViewPress(QPointF point) {
  if (commandRunning_) return;
  draggedCorner_ = frameCornerAt(*form_, point);
}

void Form1::onViewMove(QPointF point) {
  if (commandRunning_) return;
  if (!draggedCorner_) {
    // A corner within reach shows that it can be taken.
    pictureView_->setCursor(frameCornerAt(*form_, point) ? Qt::SizeAllCursor : Qt::ArrowCursor);
    return;
  }
  const CommandOutcome outcome = moveFrameCorner(*form_, *draggedCorner_, point);
  placeCornerStrip();
  if ((outcome.status == CommandOutcome::Status::Stopped)) {
    draggedCorner_.reset();
    desktop_->showMessage(outcome.message());
  }
}

void Form1::onViewRelease() { draggedCorner_.reset(); }

void Form1::runCommand(CommandOutcome (*command)(Form&), const QString& completedMessage) {
  // A command waiting in a dialog or on its work keeps the window blocked;
  // this guards against a second command started from a nested event loop.
  if (commandRunning_) return;
  commandRunning_ = true;
  const CommandOutcome outcome = command(*form_);
  // The run's message comes once the view shows the last tile. A silent
  // guard and a cancelled load have nothing to say.
  const QString message = outcome.isCompleted() ? completedMessage : outcome.message();
  placeCornerStrip();
  if (!message.isEmpty()) desktop_->showMessage(message);
  commandRunning_ = false;
}

}  // namespace pelmora
