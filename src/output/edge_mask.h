// The mask GIS software reads beside an image ("a_3.JPG.msk"): which of its
// pixels hold data. GDAL looks for it as the image's per-dataset mask, the
// same for all three bands; a pixel of 0 is not valid, 255 is. Written as
// GDAL writes such a mask itself: a one-band 8-bit TIFF, deflated, in strips
// of about 8 KB, the mask flags of each band in its GDALMetadata tag.
#pragma once

#include <QByteArray>
#include <QString>

namespace pelmora {

// The valid part of an image: its first `columns` columns of its first
// `rows` rows; the rest is not valid.
struct ValidCorner {
  int width = 0, height = 0;  // the image's size in pixels
  int columns = 0, rows = 0;
};

// The mask file's bytes. Throws Failure with libtiff's reason, naming
// `path`, the file they are for.
QByteArray edgeMaskTiff(const ValidCorner& valid, const QString& path);

}  // namespace pelmora
