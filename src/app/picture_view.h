// Picture1 on screen: paints the view's persistent canvas and takes the view's
// size whenever the view changes.
#pragma once

#include "desktop/image_view.h"

#include <QWidget>

namespace pelmora {

class PictureView : public QWidget {
  Q_OBJECT
 public:
  PictureView(ImageView& view, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ImageView& view_;
};

}  // namespace pelmora
