#include "app/picture_view.h"

#include <QPainter>
#include <QMouseEvent>
#include <QPaintEvent>

namespace pelmora {

PictureView::PictureView(ImageView& view, QWidget* parent) : QWidget(parent), view_(view) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  resize(view_.pixelWidth(), view_.pixelHeight());
  view_.onChanged = [this] {
    resize(view_.pixelWidth(), view_.pixelHeight());
    update();
  };
}

void PictureView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QImage canvas = view_.canvas();
  const QColor background = toQColor(View::background());
  if (canvas.isNull()) {
    painter.fillRect(event->rect(), background);
    return;
  }
  painter.drawImage(event->rect().topLeft(), canvas, event->rect());
  // A canvas smaller than the widget (between a resize and the next draw).
  const QRegion uncovered = QRegion(event->rect()) - QRegion(canvas.rect());
  for (const QRect& r : uncovered) painter.fillRect(r, background);
}

void PictureView::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && onPress) onPress(event->position());
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
  if (onMove) onMove(event->position());
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && onRelease) onRelease();
}

}  // namespace pelmora
