#include "desktop/image_view.h"

#include <QColor>
#include <QPainter>
#include <QPen>

namespace pelmora {
namespace {

// The image over the canvas bytes, painted in place.
QImage imageOver(const ImageBuffer& canvas) {
  return QImage(canvas.data, canvas.width, canvas.height, canvas.stride, QImage::Format_RGB32);
}

}  // namespace

QColor toQColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

void ImageView::drawLines(const std::vector<QLineF>& lines, Rgb colour) {
  if (lines.empty()) return;
  const ImageBuffer buffer = pixels();
  if (!buffer.data) return;
  QImage canvas = imageOver(buffer);
  QPainter painter(&canvas);
  QPen pen(toQColor(colour));
  pen.setWidth(drawWidth());
  pen.setCapStyle(Qt::SquareCap);
  painter.setPen(pen);
  for (const QLineF& l : lines) painter.drawLine(toPixels(l.x1(), l.y1()), toPixels(l.x2(), l.y2()));
}

QImage ImageView::canvas() {
  const ImageBuffer buffer = pixels();
  if (!buffer.data) return QImage();
  // The image holds a share of the bytes: they outlive a resize of the view,
  // and the view's next drawing copies them rather than change the image.
  auto* share = new QByteArray(pixelBytes());
  return QImage(
      reinterpret_cast<const uchar*>(share->constData()), buffer.width, buffer.height,
      buffer.stride, QImage::Format_RGB32, [](void* bytes) { delete static_cast<QByteArray*>(bytes); },
      share);
}

ImageBuffer bufferOf(QImage& image) {
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_BGR888)
    image = std::move(image).convertToFormat(QImage::Format_RGB32);
  ImageBuffer buffer;
  buffer.data = image.bits();
  buffer.width = image.width();
  buffer.height = image.height();
  buffer.stride = image.bytesPerLine();
  buffer.layout =
      image.format() == QImage::Format_BGR888 ? PixelLayout::BGR24 : PixelLayout::BGRX32;
  return buffer;
}

}  // namespace pelmora
