// bil on the view: open through the cache, place by the geometry, draw with
// every core, and remember the drawn pixels so that an identical redraw (the
// grid command right after the load) costs a copy instead of a pass over the raster.
#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "base/failure.h"
#include "render/bil.h"

namespace pelmora {
namespace {

struct RenderMemo {
  std::weak_ptr<const RasterSource> source;
  QRect destination;
  QSize canvasSize;
  QRect drawn;  // the destination clipped to the canvas
  std::vector<std::uint8_t> pixels;  // the canvas inside `drawn` as it was right after drawing
};

bool sameDrawing(const RenderMemo& memo, const std::shared_ptr<const RasterSource>& source,
                 const QRect& destination, const QSize& canvasSize) {
  return memo.source.lock() == source && memo.destination == destination &&
         memo.canvasSize == canvasSize;
}

// Copies `rows` rows of `bytes` bytes each between buffers of those strides.
void copyRows(const std::uint8_t* from, std::ptrdiff_t fromStride, std::uint8_t* to,
              std::ptrdiff_t toStride, std::size_t bytes, int rows) {
  for (int row = 0; row < rows; ++row) std::memcpy(to + row * toStride, from + row * fromStride, bytes);
}

void drawIntoView(const std::shared_ptr<const RasterSource>& source, const QRect& destination,
                  View& view) {
  const ImageBuffer canvas = view.pixels();
  if (!canvas.data) return;
  const QSize canvasSize(canvas.width, canvas.height);
  const QRect drawn = destination.intersected(QRect(QPoint(0, 0), canvasSize));
  const int pixelBytes = bytesPerPixel(canvas.layout);
  const std::size_t rowBytes = std::size_t(drawn.width()) * std::size_t(pixelBytes);
  std::uint8_t* drawnStart =
      canvas.data + drawn.y() * canvas.stride + std::ptrdiff_t(drawn.x()) * pixelBytes;
  auto* memo = static_cast<RenderMemo*>(view.renderMemo.get());
  if (memo && sameDrawing(*memo, source, destination, canvasSize)) {
    copyRows(memo->pixels.data(), std::ptrdiff_t(rowBytes), drawnStart, canvas.stride, rowBytes,
             drawn.height());
    return;
  }
  const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
  drawRaster(*source, canvas, destination, cores);

  auto fresh = std::make_shared<RenderMemo>();
  fresh->source = source;
  fresh->destination = destination;
  fresh->canvasSize = canvasSize;
  fresh->drawn = drawn;
  if (!drawn.isEmpty()) {
    fresh->pixels.resize(rowBytes * std::size_t(drawn.height()));
    copyRows(drawnStart, canvas.stride, fresh->pixels.data(), std::ptrdiff_t(rowBytes), rowBytes,
             drawn.height());
  }
  view.renderMemo = std::move(fresh);
}

}  // namespace

void bil(RasterCache& rasters, const QString& Filename, float& zoom, const CornerPoints& b,
         View& view) {
  std::shared_ptr<const RasterSource> source;
  try {
    source = rasters.open(Filename);
  } catch (const Failure&) {
    return;  // a file that cannot be loaded draws nothing and raises nothing
  }
  const BilGeometry geometry =
      bilGeometry(source->width(), source->height(), view.width(), view.height(), b);
  zoom = geometry.zoom;
  if (view.keepsPixels()) drawIntoView(source, geometry.destination(), view);
  view.refresh();
}

}  // namespace pelmora
