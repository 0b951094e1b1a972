// A planned image rendered whole on a white canvas in one piece: what the run's
// bands must add up to.
#pragma once

#include <QImage>
#include <new>

#include "commands/run_plan.h"
#include "desktop/image_view.h"

namespace pelmora::testing {

inline QImage renderedImage(const PlannedImage& image, const RasterSource& source) {
  QImage canvas(image.pixelWidth, image.pixelHeight, QImage::Format_RGB32);
  if (canvas.isNull()) throw std::bad_alloc();
  canvas.fill(Qt::white);
  drawRaster(source, bufferOf(canvas), image.geometry.destination(), 1);
  return canvas;
}

}  // namespace pelmora::testing
