#include "window/view_drawing.h"

#include "render/bil.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace pelmora {
namespace {

// Copies `rows` rows of `bytes` bytes each between buffers of those strides.
void copyRows(const std::uint8_t* from, std::ptrdiff_t fromStride, std::uint8_t* to,
              std::ptrdiff_t toStride, std::size_t bytes, int rows) {
  for (int row = 0; row < rows; ++row) std::memcpy(to + row * toStride, from + row * fromStride, bytes);
}

void drawPixels(const std::shared_ptr<const RasterSource>& source, const QRect& destination, View& view,
                ViewDrawing& last) {
  const ImageBuffer canvas = view.pixels();
  if (!canvas.data) return;
  const QSize canvasSize(canvas.width, canvas.height);
  const QRect drawn = destination.intersected(QRect(QPoint(0, 0), canvasSize));
  const int pixelBytes = bytesPerPixel(canvas.layout);
  const std::size_t rowBytes = std::size_t(drawn.width()) * std::size_t(pixelBytes);
  std::uint8_t* drawnStart =
      canvas.data + drawn.y() * canvas.stride + std::ptrdiff_t(drawn.x()) * pixelBytes;
  if (last.source.lock() == source && last.destination == destination && last.canvasSize == canvasSize) {
    copyRows(last.pixels.data(), std::ptrdiff_t(rowBytes), drawnStart, canvas.stride, rowBytes,
             drawn.height());
    return;
  }
  const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
  drawRaster(*source, canvas, destination, cores);

  last.source = source;
  last.destination = destination;
  last.canvasSize = canvasSize;
  last.pixels.resize(rowBytes * std::size_t(std::max(drawn.height(), 0)));
  if (!drawn.isEmpty())
    copyRows(drawnStart, canvas.stride, last.pixels.data(), std::ptrdiff_t(rowBytes), rowBytes, drawn.height());
}

}  // namespace

void drawIntoView(const std::shared_ptr<const RasterSource>& source, const CornerPoints& b, View& view,
                  ViewDrawing& last) {
  const BilGeometry geometry = bilGeometry(source->width(), source->height(), view.width(), view.height(), b);
  if (view.keepsPixels()) drawPixels(source, geometry.destination(), view, last);
  view.refresh();
}

}  // namespace pelmora
