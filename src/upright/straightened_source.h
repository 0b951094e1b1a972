// A sheet's frame cut out of its scan and set upright: the scan's frame is a
// little skewed and out of scale, and the tiles must hold the frame alone,
// square to the sheet. The upright rows are resampled from the scan as they are
// asked for; the scan is never decoded whole, nor held.
#pragma once

#include <memory>
#include <utility>

#include "frame/frame_corners.h"
#include "raster/raster_source.h"

namespace pelmora {

// The upright size of a frame, width by height: the means of its top and
// bottom edges and of its left and right edges, rounded.
std::pair<int, int> straightenedSize(const FrameCorners& frame);

// True when every corner of the frame lies within one pixel, across and down,
// of the same corner of a raster of `width` by `height`: the raster is cut as
// it is, with no resampling.
bool frameOnRasterEdges(const FrameCorners& frame, int width, int height);

// The upright raster of straightenedSize(frame) over `scan`. The centre of
// its pixel (u, v) is the point of the scan where the bilinear map of the unit
// square onto the frame's corners takes ((u + 0.5) / width, (v + 0.5) / height);
// its colour is the bilinear blend of the four scan pixels around that point
// (the edge pixels repeated up to the scan's edge), white when the point lies
// outside the scan. A row reads, through the scan's rowColumns(), a piece of
// each scan row it crosses, reaching ahead for the rows below; each thread
// keeps about 4 MB of those pieces for its next rows (until it reads another
// straightened source). A row is the same bytes whichever thread reads it, in
// any order. The corners lie within 2^24 pixels of the scan.
std::shared_ptr<const RasterSource> straightenedSource(std::shared_ptr<const RasterSource> scan,
                                                       const FrameCorners& frame);

}  // namespace pelmora
