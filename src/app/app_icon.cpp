#include "app/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace pelmora {

QImage appIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.scale(size / 24.0, size / 24.0);
  painter.setPen(QColor(0x60, 0x40, 0x20));
  painter.setBrush(QColor(0xFF, 0xE0, 0xC0));
  painter.drawRect(1, 1, 21, 21);
  painter.fillRect(QRect(4, 13, 8, 6), QColor(0x90, 0xC8, 0x80));
  painter.fillRect(QRect(12, 4, 8, 7), QColor(0x80, 0xB0, 0xE0));
  painter.setPen(QPen(QColor(0xE0, 0x20, 0x20), 1));
  painter.drawLine(12, 2, 12, 21);
  painter.drawLine(2, 12, 21, 12);
  painter.end();
  return image;
}

QIcon appIcon() { return QIcon(QPixmap::fromImage(appIconImage(24))); }

}  // namespace pelmora
