#include "desktop/view.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/numbers.h"

#include <cstring>

namespace pelmora {
namespace {

constexpr int kBytesPerPixel = 4;

void fill(const ImageBuffer& canvas, Rgb colour) {
  if (!canvas.data) return;
  // Every pixel the same four bytes: the first row by hand, then row copies.
  const std::uint8_t pixel[kBytesPerPixel] = {colour.blue, colour.green, colour.red, 0xFF};
  for (int x = 0; x < canvas.width; ++x)
    std::memcpy(canvas.data + std::ptrdiff_t(x) * kBytesPerPixel, pixel, kBytesPerPixel);
  for (int y = 1; y < canvas.height; ++y)
    std::memcpy(canvas.data + y * canvas.stride, canvas.data,
                std::size_t(canvas.width) * kBytesPerPixel);
}

}  // namespace

View::View(float width, float height, bool keepsPixels)
    : keepsPixels_(keepsPixels), pixelWidth_(toPixelCount(width)), pixelHeight_(toPixelCount(height)) {}

int View::toPixelCount(float units) {
  if (units < 0) throw Failure(messages::negativeViewSize());
  return roundHalfEven(double(units) / kUnitsPerPixel);
}

void View::dropPixels() {
  pixels_ = QByteArray();
}

void View::setWidth(float units) {
  pixelWidth_ = toPixelCount(units);
  dropPixels();
  refresh();
}

void View::setHeight(float units) {
  pixelHeight_ = toPixelCount(units);
  dropPixels();
  refresh();
}

void View::fitToPicture(int pixelWidth, int pixelHeight) {
  pixelWidth_ = pixelWidth;
  pixelHeight_ = pixelHeight;
  dropPixels();
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
  if (!pixels_.isEmpty()) fill(pixels(), background());
}

void View::drawLines(const std::vector<QLineF>&, Rgb) {}

ImageBuffer View::pixels() {
  if (!keepsPixels_ || pixelWidth_ <= 0 || pixelHeight_ <= 0) return {};
  const std::ptrdiff_t stride = std::ptrdiff_t(pixelWidth_) * kBytesPerPixel;
  const bool fresh = pixels_.isEmpty();
  if (fresh) pixels_ = QByteArray(stride * pixelHeight_, Qt::Uninitialized);
  // data() copies bytes still shared with a copy of the view, so that drawing
  // here leaves the copy as it was.
  const ImageBuffer canvas{reinterpret_cast<std::uint8_t*>(pixels_.data()), pixelWidth_,
                           pixelHeight_, stride, PixelLayout::BGRX32};
  if (fresh) fill(canvas, background());
  return canvas;
}

void View::refresh() {
  if (onChanged) onChanged();
}

}  // namespace pelmora
