// The picture view as the commands use it: an outer size in layout units
// (15 per pixel, no border), a user coordinate scale, a line width, lines, and
// the persistent canvas that the renderer draws into and the window paints.
#pragma once

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pelmora {

// Layout units (1/1440 inch) per pixel at 96 dots per inch.
constexpr double kUnitsPerPixel = 15;
// Picture1's outer size when the window opens, in layout units.
constexpr float kInitialViewWidth = 6480;
constexpr float kInitialViewHeight = 6495;

class View {
 public:
  // `keepsPixels` false gives a view that only keeps its geometry (the batch
  // tool's): drawing into it is skipped.
  explicit View(float width = kInitialViewWidth, float height = kInitialViewHeight, bool keepsPixels = true);

  bool keepsPixels() const { return keepsPixels_; }

  // Outer size in layout units. A set takes the nearest whole number of pixels
  // (halves to even) and refuses a negative size; a read returns pixels × 15.
  float width() const { return float(pixelWidth_ * kUnitsPerPixel); }
  float height() const { return float(pixelHeight_ * kUnitsPerPixel); }
  void setWidth(float units);
  void setHeight(float units);
  int pixelWidth() const { return pixelWidth_; }
  int pixelHeight() const { return pixelHeight_; }
  // Sizes the view to a picture of that many pixels, as auto-size does.
  void fitToPicture(int pixelWidth, int pixelHeight);

  // User scale: the coordinates of the top-left corner and the spans across
  // and down. Until a span is set it follows the outer size in layout units.
  float scaleLeft() const { return scaleLeft_; }
  float scaleTop() const { return scaleTop_; }
  float scaleWidth() const { return scaleWidth_ ? *scaleWidth_ : width(); }
  float scaleHeight() const { return scaleHeight_ ? *scaleHeight_ : height(); }
  void setScaleLeft(float v) { scaleLeft_ = v; }
  void setScaleTop(float v) { scaleTop_ = v; }
  void setScaleWidth(float v);
  void setScaleHeight(float v);
  // A point in user coordinates (x across, y down) in canvas pixels.
  QPointF toPixels(double across, double down) const;

  int drawWidth() const { return drawWidth_; }
  void setDrawWidth(int pixels) { drawWidth_ = pixels; }

  // Assigns the empty picture: the canvas goes back to the background.
  void clear();
  // Lines in user coordinates (x across, y down), drawWidth() pixels wide.
  void drawLines(const std::vector<QLineF>& lines, QColor colour);

  // The persistent canvas (Format_RGB32, the view's pixel size), made on first
  // use. Null for a view that keeps no pixels.
  QImage& canvas();
  // Shows `image` from the top-left corner on a cleared canvas.
  void setCanvas(const QImage& image);
  // Tells the window to repaint from the canvas (or to resize).
  void refresh();
  std::function<void()> onChanged;

  // Opaque memo that the renderer keeps with the canvas it drew (cleared by clear()).
  std::shared_ptr<void> renderMemo;

  static QColor background() { return QColor(255, 255, 255); }

 private:
  static int toPixelCount(float units);

  bool keepsPixels_;
  int pixelWidth_;
  int pixelHeight_;
  float scaleLeft_ = 0;
  float scaleTop_ = 0;
  std::optional<float> scaleWidth_;
  std::optional<float> scaleHeight_;
  int drawWidth_ = 1;
  QImage canvas_;
};

}  // namespace pelmora
