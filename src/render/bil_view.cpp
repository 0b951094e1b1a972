// bil on the view: open through the cache, place by the geometry, draw with
// every core, and remember the drawn pixels so that an identical redraw (the
// grid command right after the load) costs a copy instead of a pass over the raster.
#include <algorithm>
#include <cstring>
#include <thread>

#include "base/failure.h"
#include "render/bil.h"

namespace pelmora {
namespace {

struct RenderMemo {
  std::weak_ptr<const RasterSource> source;
  QRect destination;
  QSize canvasSize;
  QRect drawn;    // the destination clipped to the canvas
  QImage pixels;  // the canvas inside `drawn` as it was right after drawing
};

bool sameDrawing(const RenderMemo& memo, const std::shared_ptr<const RasterSource>& source,
                 const QRect& destination, const QSize& canvasSize) {
  return memo.source.lock() == source && memo.destination == destination &&
         memo.canvasSize == canvasSize;
}

void copyRect(const QImage& from, QPoint fromAt, QImage& to, QPoint toAt, QSize size) {
  const std::size_t bytes = std::size_t(size.width()) * 4;
  for (int row = 0; row < size.height(); ++row)
    std::memcpy(to.scanLine(toAt.y() + row) + toAt.x() * 4,
                from.constScanLine(fromAt.y() + row) + fromAt.x() * 4, bytes);
}

void drawIntoView(const std::shared_ptr<const RasterSource>& source, const QRect& destination,
                  View& view) {
  QImage& canvas = view.canvas();
  if (canvas.isNull()) return;
  const QSize canvasSize = canvas.size();
  const QRect drawn = destination.intersected(QRect(QPoint(0, 0), canvasSize));
  auto* memo = static_cast<RenderMemo*>(view.renderMemo.get());
  if (memo && sameDrawing(*memo, source, destination, canvasSize)) {
    if (!drawn.isEmpty()) copyRect(memo->pixels, {0, 0}, canvas, drawn.topLeft(), drawn.size());
    return;
  }
  const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
  drawRaster(*source, bufferOf(canvas), destination, cores);

  auto fresh = std::make_shared<RenderMemo>();
  fresh->source = source;
  fresh->destination = destination;
  fresh->canvasSize = canvasSize;
  fresh->drawn = drawn;
  if (!drawn.isEmpty()) {
    fresh->pixels = QImage(drawn.size(), QImage::Format_RGB32);
    copyRect(canvas, drawn.topLeft(), fresh->pixels, {0, 0}, drawn.size());
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
