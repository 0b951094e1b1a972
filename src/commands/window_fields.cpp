#include "commands/window_fields.h"

#include "base/numbers.h"

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

QString aspectCaption(double ratio) {
  return QStringLiteral("Ｘ：Ｙ＝ 1 : ") + plainText(ratio);
}

double roundedAspectRatio(double W_DX, double W_DY) {
  const double r = divide(W_DY, W_DX);
  return floorInt(checkedFinite(r * 100 + 0.5)) / 100;
}

}  // namespace pelmora
