// Picture1 on screen: paints the view's persistent canvas, takes the view's
// size whenever the view changes, and hands the mouse's presses, moves and
// releases on it (in canvas pixels) to whoever listens.
#pragma once

#include "desktop/image_view.h"

#include <QWidget>
#include <functional>

namespace pelmora {

class PictureView : public QWidget {
  Q_OBJECT
 public:
  PictureView(ImageView& view, QWidget* parent);

  // The left button pressed, the mouse moved (button held or not), the
  // left button released.
  std::function<void(QPointF)> onPress, onMove;
  std::function<void()> onRelease;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  ImageView& view_;
};

}  // namespace pelmora
