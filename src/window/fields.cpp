#include "window/fields.h"

namespace pelmora {

MemoryFields::MemoryFields() {
  for (int f = int(Field::Text1); f <= int(Field::Label9); ++f) texts_[Field(f)] = initialText(Field(f));
}

QString MemoryFields::text(Field field) const { return texts_.at(field); }

void MemoryFields::setText(Field field, const QString& text) {
  QString& stored = texts_[field];
  if (stored == text) return;
  stored = text;
  if (isCornerField(field)) cornerChanged();
}

}  // namespace pelmora
