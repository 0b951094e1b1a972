#include "app/qt_fields.h"

namespace pelmora {

QtFields::QtFields(std::map<Field, QLineEdit*> textFields, QLabel* label9)
    : textFields_(std::move(textFields)), label9_(label9) {
  for (auto [field, edit] : textFields_) {
    // textChanged, not textEdited: a write from code runs the handler too,
    // synchronously, and writing the same text again emits nothing.
    if (isCornerField(field)) connect(edit, &QLineEdit::textChanged, this, [this] { cornerChanged(); });
  }
}

QString QtFields::text(Field field) const {
  if (field == Field::Label9) return label9_->text();
  return textFields_.at(field)->text();
}

void QtFields::setText(Field field, const QString& text) {
  if (field == Field::Label9) {
    label9_->setText(text);
    return;
  }
  QLineEdit* edit = textFields_.at(field);
  if (edit->text() != text) edit->setText(text);
}

}  // namespace pelmora
