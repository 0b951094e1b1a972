#include "app/picture_view.h"

#include <QPainter>
#include <QPaintEvent>

namespace pelmora {

PictureView::PictureView(View& view, QWidget* parent) : QWidget(parent), view_(view) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(view_.pixelWidth(), view_.pixelHeight());
  view_.onChanged = [this] {
    resize(view_.pixelWidth(), view_.pixelHeight());
    update();
  };
}

void PictureView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QImage& canvas = view_.canvas();
  if (canvas.isNull()) {
    painter.fillRect(event->rect(), View::background());
    return;
  }
  painter.drawImage(event->rect().topLeft(), canvas, event->rect());
  // A canvas smaller than the widget (between a resize and the next draw).
  const QRegion uncovered = QRegion(event->rect()) - QRegion(canvas.rect());
  for (const QRect& r : uncovered) painter.fillRect(r, View::background());
}

}  // namespace pelmora
