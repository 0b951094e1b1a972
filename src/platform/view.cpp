#include "platform/view.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/numbers.h"

#include <QPainter>

namespace pelmora {

View::View(float width, float height, bool keepsPixels)
    : keepsPixels_(keepsPixels), pixelWidth_(toPixelCount(width)), pixelHeight_(toPixelCount(height)) {}

int View::toPixelCount(float units) {
  if (units < 0) throw Failure(messages::negativeViewSize());
  return roundHalfEven(double(units) / kUnitsPerPixel);
}

void View::setWidth(float units) {
  pixelWidth_ = toPixelCount(units);
  canvas_ = QImage();
  renderMemo.reset();
  refresh();
}

void View::setHeight(float units) {
  pixelHeight_ = toPixelCount(units);
  canvas_ = QImage();
  renderMemo.reset();
  refresh();
}

void View::fitToPicture(int pixelWidth, int pixelHeight) {
  pixelWidth_ = pixelWidth;
  pixelHeight_ = pixelHeight;
  canvas_ = QImage();
  renderMemo.reset();
  refresh();
}

void View::setScaleWidth(float v) {
  if (v == 0) throw Failure(messages::zeroViewScale());
  scaleWidth_ = v;
}

void View::setScaleHeight(float v) {
  if (v == 0) throw Failure(messages::zeroViewScale());
  scaleHeight_ = v;
}

QPointF View::toPixels(double across, double down) const {
  return QPointF((across - scaleLeft()) * pixelWidth_ / scaleWidth(),
                 (down - scaleTop()) * pixelHeight_ / scaleHeight());
}

void View::clear() {
  if (!canvas_.isNull()) canvas_.fill(background());
  renderMemo.reset();
}

void View::drawLines(const std::vector<QLineF>& lines, QColor colour) {
  if (!keepsPixels_ || lines.empty() || canvas().isNull()) return;
  QPainter painter(&canvas_);
  QPen pen(colour);
  pen.setWidth(drawWidth_);
  pen.setCapStyle(Qt::SquareCap);
  painter.setPen(pen);
  for (const QLineF& l : lines) painter.drawLine(toPixels(l.x1(), l.y1()), toPixels(l.x2(), l.y2()));
}

QImage& View::canvas() {
  if (keepsPixels_ && canvas_.isNull() && pixelWidth_ > 0 && pixelHeight_ > 0) {
    canvas_ = QImage(pixelWidth_, pixelHeight_, QImage::Format_RGB32);
    canvas_.fill(background());
  }
  return canvas_;
}

void View::setCanvas(const QImage& image) {
  if (!keepsPixels_) return;
  clear();
  if (canvas().isNull()) return;
  QPainter painter(&canvas_);
  painter.drawImage(0, 0, image);
}

void View::refresh() {
  if (onChanged) onChanged();
}

}  // namespace pelmora
