#include "app/window_font.h"

#include <QStringList>

namespace pelmora {

QFont windowFont(int pixelSize, bool bold, bool italic) {
  QFont font;
  // The first installed family wins; fontconfig maps none of the classic
  // names, so the stand-ins are named here.
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("TakaoPGothic"),
                    QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

}  // namespace pelmora
