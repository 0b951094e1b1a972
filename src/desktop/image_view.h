// The view for the window and the tests: the same canvas, seen as a QImage,
// with the lines drawn by QPainter. In its own library so that only the
// programs that paint link Qt Gui.
#pragma once

#include "base/image_buffer.h"
#include "desktop/view.h"

#include <QColor>
#include <QImage>

namespace pelmora {

class ImageView : public View {
 public:
  explicit ImageView(float width = kInitialViewWidth, float height = kInitialViewHeight)
      : View(width, height, /*keepsPixels=*/true) {}

  void drawLines(const std::vector<QLineF>& lines, Rgb colour) override;

  // The canvas as a read-only Format_RGB32 image, made on first use; null when
  // the view has no area. The image keeps the pixels it was given: later
  // drawing into the view does not show in it.
  QImage canvas();
};

QColor toQColor(Rgb colour);

// A 32-bit or 24-bit image as the renderer draws into it; any other format is
// converted to Format_RGB32 first.
ImageBuffer bufferOf(QImage& image);

}  // namespace pelmora
