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

constexpr int kBytesPerPixel = 4;  // the view's canvas is BGRX32

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

// The canvas bytes of the rows of `rect`, where that rectangle of pixels starts.
std::uint8_t* at(const ImageBuffer& canvas, const QRect& rect) {
  return canvas.data + rect.y() * canvas.stride + std::ptrdiff_t(rect.x()) * kBytesPerPixel;
}

void drawIntoView(const std::shared_ptr<const RasterSource>& source, const QRect& destination,
                  View& view) {
  const ImageBuffer canvas = view.pixels();
  if (!canvas.data) return;
  const QSize canvasSize(canvas.width, canvas.height);
  const QRect drawn = destination.intersected(QRect(QPoint(0, 0), canvasSize));
  const std::size_t rowBytes = std::size_t(drawn.width()) * kBytesPerPixel;
  auto* memo = static_cast<RenderMemo*>(view.renderMemo.get());
  if (memo && sameDrawing(*memo, source, destination, canvasSize)) {
    for (int row = 0; row < drawn.height(); ++row)
      std::memcpy(at(canvas, drawn) + row * canvas.stride, memo->pixels.data() + row * rowBytes,
                  rowBytes);
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
    for (int row = 0; row < drawn.height(); ++row)
      std::memcpy(fresh->pixels.data() + row * rowBytes, at(canvas, drawn) + row * canvas.stride,
                  rowBytes);
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
