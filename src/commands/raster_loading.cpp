#include "commands/raster_loading.h"

#include "base/failure.h"
#include "base/field_text.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "base/layout_units.h"
#include "raster/bmp_file.h"

#include <QFileInfo>
#include <cmath>

namespace pelmora {
namespace {

// Bytes in megabytes cut to two decimals, as the size is shown.
double shownMegabytes(double bytes) { return floorInt(bytes / 10000) / 100; }

// The size of the same pixels as a 24-bit bitmap: its headers and its rows,
// each padded to a multiple of 4 bytes.
double bytesAs24BitBitmap(const RasterSource& raster) {
  const double rowBytes = std::ceil(3.0 * raster.width() / 4) * 4;
  return 54 + double(raster.height()) * rowBytes;
}

}  // namespace

double asCornerFieldReads(double value) { return readFieldText(plainText(value)); }

CutCorners cornersOfEdges(const NorthUpEdges& edges, CornerOrigin origin) {
  CutCorners corners;
  corners.upperRightX = asCornerFieldReads(edges.top);
  corners.upperRightY = asCornerFieldReads(edges.right);
  corners.lowerLeftX = asCornerFieldReads(edges.bottom);
  corners.lowerLeftY = asCornerFieldReads(edges.left);
  corners.upperRightOrigin = corners.lowerLeftOrigin = origin;
  return corners;
}


LoadedRaster loadRasterFile(const QString& path, const TileSet& set, Decoding decoding, Progress* progress,
                            const RasterOpener& open) {
  set.tidyUnlocked();
  LoadedRaster loaded{open(path, progress, decoding), {}};
  if (!loaded.opened.source) return loaded;
  const RasterSource& source = *loaded.opened.source;
  loaded.description = {path, source.width(), source.height(), float(source.height() * kUnitsPerPixel),
                        float(source.width() * kUnitsPerPixel)};
  return loaded;
}

GridProposal proposeGrid(const LoadedRaster& raster, const LoadedRaster& cut) {
  const RasterDescription& d = raster.description;
  const QFileInfo info(d.path);
  if (!info.exists()) throw Failure(messages::fileNotFound(), d.path);
  GridProposal proposal;
  proposal.megabytesText = plainText(shownMegabytes(double(info.size())));
  const double widthPerHeight = divide(cut.description.P_Y, cut.description.P_X);
  proposal.ratioText = plainText(floorInt(checkedFinite(widthPerHeight * 100 + 0.5)) / 100);
  // A compressed file, or one of fewer bits a pixel, is counted as the
  // bitmap of the same pixels, so that the same pixels get the same grid in
  // any format. A raster so tall that the shown ratio rounds to 0 uses the
  // ratio itself.
  const double megabytes = isUncompressed24BitBitmap(raster.source())
                               ? readFieldText(proposal.megabytesText)
                               : shownMegabytes(bytesAs24BitBitmap(raster.source()));
  const double m = megabytes / 3;
  double r = readFieldText(proposal.ratioText);
  if (r == 0) r = widthPerHeight;
  const double q = std::sqrt(divide(m, r));
  proposal.rows = floorInt(q + 1);
  proposal.columns = floorInt(checkedFinite(q * r + 1));
  return proposal;
}

CutCorners placeholderCorners(const RasterDescription& raster) {
  CutCorners corners;
  corners.upperRightX = readFieldText(plainText(toSingle(raster.P_X / 100.0)));
  corners.upperRightY = readFieldText(plainText(toSingle(raster.P_Y / 100.0)));
  corners.upperRightOrigin = corners.lowerLeftOrigin = CornerOrigin::placeholder;
  return corners;
}

}  // namespace pelmora
