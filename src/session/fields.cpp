#include "session/fields.h"

namespace pelmora {

QString initialText(Field field) {
  switch (field) {
    case Field::Text1: return QStringLiteral("0");
    case Field::Text2: return QStringLiteral("0");
    case Field::Text3: return QStringLiteral("1000");
    case Field::Text4: return QStringLiteral("1000");
    case Field::Text5: return QStringLiteral("1");
    case Field::Text6: return QStringLiteral("1");
    case Field::Text7: return QStringLiteral(" 1");
    case Field::Text11: return QStringLiteral("50");
    case Field::Text12: return QStringLiteral("0.0000");
    case Field::Text8:
    case Field::Text9:
    case Field::Text10:
    case Field::Label9: return {};
  }
  return {};
}

QString captionOf(Field field) {
  switch (field) {
    case Field::Text1: return QStringLiteral("右上X");
    case Field::Text2: return QStringLiteral("右上Y");
    case Field::Text3: return QStringLiteral("左下X");
    case Field::Text4: return QStringLiteral("左下Y");
    case Field::Text5: return QStringLiteral("横割の数");
    case Field::Text6: return QStringLiteral("縦割の数");
    case Field::Text7: return QStringLiteral("縦");
    case Field::Text8: return QStringLiteral("横");
    case Field::Text9: return QStringLiteral("サイズ");
    case Field::Text11: return QStringLiteral("JPG画質");
    case Field::Text12: return QStringLiteral("回転角度単位");
    case Field::Text10:
    case Field::Label9: return {};
  }
  return {};
}

QString captionOf(Command command) {
  switch (command) {
    case Command::Load: return QStringLiteral("画像呼び出し");
    case Command::Run: return QStringLiteral("登録開始");
    case Command::ShowGrid: return QStringLiteral("分割図表示");
  }
  return {};
}

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
