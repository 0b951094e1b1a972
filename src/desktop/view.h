// The picture view as the commands use it: an outer size in layout units
// (15 per pixel, no border), a user coordinate scale, a line width, and the
// persistent canvas that the renderer draws into and the window paints.
// Qt Core only, so that the batch tool, which draws nothing, loads no
// graphics libraries; the lines need a painter and are drawn by ImageView.
#pragma once

#include "base/image_buffer.h"
#include "base/layout_units.h"

#include <QByteArray>
#include <QLineF>
#include <QPointF>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pelmora {

// Picture1's outer size when the window opens, in layout units.
constexpr float kInitialViewWidth = 6480;
constexpr float kInitialViewHeight = 6495;

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class View {
 public:
  // `keepsPixels` false gives a view that only keeps its geometry (the batch
  // tool's): drawing into it is skipped.
  explicit View(float width = kInitialViewWidth, float height = kInitialViewHeight, bool keepsPixels = true);
  virtual ~View() = default;
  // A copy shares the pixels until either side draws (a load puts back the
  // view it saved, canvas and all, when it fails).
  View(const View&) = default;
  View& operator=(const View&) = default;

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
  // Only a view with a painter draws them: this one has none.
  virtual void drawLines(const std::vector<QLineF>& lines, Rgb colour);

  // The persistent canvas (BGRX32, the view's pixel size), made in the
  // background colour on first use. Empty for a view that keeps no pixels or
  // has no area. Valid until the view changes size or is copied from.
  ImageBuffer pixels();
  // Tells the window to repaint from the canvas (or to resize).
  void refresh();
  std::function<void()> onChanged;

  static constexpr Rgb background() { return {255, 255, 255}; }

 protected:
  // The canvas bytes as they stand (empty until first use), shared, not copied.
  QByteArray pixelBytes() const { return pixels_; }

 private:
  static int toPixelCount(float units);
  void dropPixels();

  bool keepsPixels_;
  int pixelWidth_;
  int pixelHeight_;
  float scaleLeft_ = 0;
  float scaleTop_ = 0;
  std::optional<float> scaleWidth_;
  std::optional<float> scaleHeight_;
  int drawWidth_ = 1;
  QByteArray pixels_;
};

}  // namespace pelmora
