// The drawing half of the renderer: a separable resampler that reads the
// raster's rows where they lie and writes only the canvas pixels it covers.
// Our own because the library scalers at hand (QPainter, QImage::scaled) need
// the whole raster as a 32-bit image first, a copy as large as the raster.
// Near 1:1 and when enlarging, rows are resampled across once each and
// blended down in pairs; when shrinking in height, the rows under each
// canvas row are averaged down first and that one row is resampled across.
#include <algorithm>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "render/bil.h"

#include "base/threads.h"
#include "render/resample_taps.h"
#include "render/row_kernels.h"

namespace pelmora {
namespace {

// The taps across, with their runs when bilinear. They depend only on the
// widths and the columns drawn: a run draws each image band by band with the
// same ones, and working them out afresh for every band added a quarter to
// the drawing of a tile. A run draws the images of a row of tiles in turns,
// so each thread keeps the taps of its most recent few dozen.
struct Across {
  AxisTaps taps;
  rows::BilinearAcross bilinear;  // when `taps` is bilinear, blended down, the source 2 wide
  bool useBilinear = false;
};

const Across& acrossTaps(int sourceWidth, std::int64_t destWidth, std::int64_t from, int n,
                         bool blendsDown) {
  struct Key {
    int sourceWidth = 0, n = 0;
    std::int64_t destWidth = 0, from = 0;
    bool blendsDown = false;
    bool operator==(const Key&) const = default;
  };
  struct Cached {
    Key key;
    std::uint64_t lastUse = 0;
    std::unique_ptr<Across> across;
  };
  constexpr std::size_t kKept = 64;
  thread_local std::vector<Cached> cache;
  thread_local std::uint64_t uses = 0;
  const Key key{sourceWidth, n, destWidth, from, blendsDown};
  for (Cached& c : cache)
    if (c.key == key) {
      c.lastUse = ++uses;
      return *c.across;
    }
  auto a = std::make_unique<Across>();
  a->taps = axisTaps(sourceWidth, destWidth, from, n);
  a->useBilinear = !a->taps.area && !a->taps.identity && sourceWidth >= 2 && blendsDown;
  if (a->useBilinear) a->bilinear = rows::bilinearAcross(a->taps, sourceWidth);
  Cached fresh{key, ++uses, std::move(a)};
  if (cache.size() < kKept) {
    cache.push_back(std::move(fresh));
    return *cache.back().across;
  }
  auto oldest = std::min_element(cache.begin(), cache.end(), [](const Cached& x, const Cached& y) {
    return x.lastUse < y.lastUse;
  });
  *oldest = std::move(fresh);
  return *oldest->across;
}

struct Plan {
  const RasterSource* source;
  const Across* across;
  AxisTaps down;                  // when blending down
  std::vector<AreaRow> areaDown;  // when averaging down
  std::uint8_t* origin = nullptr;  // canvas pixel of the first clipped row and column
  std::ptrdiff_t stride = 0;
};

template <int S>
void resampleAcross(const Plan& plan, const std::uint8_t* source, std::uint16_t* out) {
  static_assert(S == 3, "the row loops read 24-bit pixels");
  if (plan.across->useBilinear)
    rows::bilinearAcross24(source, plan.across->bilinear, out);
  else
    rows::tapsAcross(source, plan.across->taps, out);
}

// Rows [from, to) of the clipped canvas, blending pairs of resampled rows.
template <int S, int D>
void blendRows(const Plan& plan, int from, int to) {
  const AxisTaps& h = plan.across->taps;
  const AxisTaps& v = plan.down;
  const std::size_t pixels = h.first.size();
  const std::size_t n = pixels * 3;
  std::vector<std::uint8_t> scratch;
  std::uint16_t* resampled[2];
  std::vector<std::uint16_t> ring(2 * n);
  std::int32_t rowOf[2] = {-1, -1};
  std::vector<std::uint8_t> mixed(D == 3 ? 0 : n);

  // The columns the taps use; a source that copies rows copies only these.
  const std::int32_t firstColumn = h.first.front();
  const std::int32_t endColumn = h.first.back() + h.count.back();
  auto read = [&](std::int32_t y) {
    return plan.source->rowColumns(y, firstColumn, endColumn, scratch);
  };

  plan.source->willRead(v.first[from], v.first[to - 1] + v.count[to - 1]);
  for (int j = from; j < to; ++j) {
    std::uint8_t* out = plan.origin + std::ptrdiff_t(j) * plan.stride;
    const std::int32_t first = v.first[j];
    const int count = v.count[j];
    if (count == 1 && h.identity) {
      rows::copyPixels<S, D>(read(first) + std::size_t(h.first[0]) * S, pixels,
                             out);
      continue;
    }
    for (int k = 0; k < count; ++k) {
      const std::int32_t y = first + k;
      std::uint16_t* slot = ring.data() + std::size_t(y & 1) * n;
      if (rowOf[y & 1] != y) {
        resampleAcross<S>(plan, read(y), slot);
        rowOf[y & 1] = y;
      }
      resampled[k] = slot;
    }
    std::uint8_t* target = D == 3 ? out : mixed.data();
    if (count == 1) {
      rows::roundDown(resampled[0], n, target);
    } else {
      const std::int32_t* w = v.weights.data() + v.start[j];
      rows::blendDown(resampled[0], resampled[1], std::uint16_t(w[0]), std::uint16_t(w[1]), n,
                      target);
    }
    if constexpr (D == 4) rows::store<4>(mixed.data(), pixels, out);
  }
}

// Rows [from, to) of the clipped canvas, averaging the source rows under
// each down first. Only the source columns that the canvas needs are read.
// The sum of the middle rows of an area row (those between its first and
// last, which count whole), column by column into `sums32`: summed in 16 bits,
// 257 rows at most at a time; each first row and first chunk is stored rather
// than added, which spares clearing the sums for every canvas row.
template <class Read>
inline void sumMiddleRows(const AreaRow& rows, const Read& read, std::size_t offset, std::size_t span,
                          std::vector<std::uint8_t>& scratch, std::vector<std::uint8_t>& scratch2,
                          std::uint16_t* sums16, std::uint32_t* sums32) {
  bool firstChunk = true;
  for (std::int32_t y = rows.first + 1; y < rows.last;) {
    const std::int32_t end = std::min(rows.last, y + 257);
    // Two rows at a time where there are two: the sums pass through the
    // cache half as often.
    if (end - y >= 2) {
      rows::widenRows(read(y, scratch) + offset, read(y + 1, scratch2) + offset, span, sums16);
      y += 2;
    } else {
      rows::widenRow(read(y++, scratch) + offset, span, sums16);
    }
    for (; y + 1 < end; y += 2)
      rows::addRows(read(y, scratch) + offset, read(y + 1, scratch2) + offset, span, sums16);
    if (y < end) rows::addRow(read(y++, scratch) + offset, span, sums16);
    rows::widenInto(!firstChunk, sums16, span, sums32);
    firstChunk = false;
  }
  if (firstChunk) std::fill_n(sums32, span, 0u);
}

template <int S, int D>
void averageRows(const Plan& plan, int from, int to) {
  static_assert(S == 3, "the row loops read 24-bit pixels");
  const AxisTaps& h = plan.across->taps;
  const std::size_t pixels = h.first.size();
  const std::int32_t firstColumn = h.first.front();
  const std::int32_t endColumn = h.first.back() + h.count.back();
  const std::size_t span = std::size_t(endColumn - firstColumn) * S;
  AxisTaps local = h;  // the same taps, counted from the first column read
  for (auto& f : local.first) f -= firstColumn;

  // Kept by each thread: a run averages an image down a few rows at a time,
  // and fresh buffers for every call cost more than the averaging.
  struct Buffers {
    std::vector<std::uint8_t> scratch, scratch2, bgr;
    std::vector<std::uint16_t> sums16, averaged, across;
    std::vector<std::uint32_t> sums32;
  };
  thread_local Buffers buffers;
  auto grow = [](auto& v, std::size_t n) {
    if (v.size() < n) v.resize(n);
  };
  auto& [scratch, scratch2, bgr, sums16, averaged, across, sums32] = buffers;
  // One channel more in `averaged` and `across`: tapsAcrossPadded reads and writes it.
  grow(sums16, span);
  grow(averaged, span + 1);
  grow(across, pixels * 3 + 1);
  grow(sums32, span);
  grow(bgr, pixels * 3);
  const std::size_t offset = std::size_t(firstColumn) * S;
  auto read = [&](std::int32_t y, std::vector<std::uint8_t>& into) {
    return plan.source->rowColumns(y, firstColumn, endColumn, into);
  };

  plan.source->willRead(plan.areaDown[from].first, plan.areaDown[to - 1].last + 1);
  for (int j = from; j < to; ++j) {
    const AreaRow& rows = plan.areaDown[j];
    sumMiddleRows(rows, read, offset, span, scratch, scratch2, sums16.data(), sums32.data());
    const std::uint8_t* top = read(rows.first, scratch) + offset;
    const std::uint8_t* bottom = read(rows.last, scratch2) + offset;
    rows::areaDown(top, rows.wFirst, bottom, rows.wLast, sums32.data(), rows.middle, span,
                   averaged.data());
    rows::tapsAcrossPadded(averaged.data(), local, across.data());
    rows::roundDown(across.data(), pixels * 3, bgr.data());
    rows::store<D>(bgr.data(), pixels, plan.origin + std::ptrdiff_t(j) * plan.stride);
  }
}

template <int S, int D>
void drawInSlices(const Plan& plan, int rowCount, int threads) {
  auto slice = [&plan](int from, int to) {
    if (from >= to) return;
    if (plan.areaDown.empty())
      blendRows<S, D>(plan, from, to);
    else
      averageRows<S, D>(plan, from, to);
  };
  // Slices of at least 32 rows: below that a thread costs more than it saves.
  const int slices = std::clamp(std::min(threads, (rowCount + 31) / 32), 1, 64);
  // A source may fail to read a row (Failure): carried back to the caller
  // rather than ending the process from a helper thread; the topmost
  // slice's failure, whichever comes first.
  FirstFailure failure;
  auto edge = [rowCount, slices](int index) { return int(std::int64_t(rowCount) * index / slices); };
  runOnThreads(slices, [&](int i) { failure.guard(i, [&] { slice(edge(i), edge(i + 1)); }); },
               PartsWithoutThread::runByCaller);
  failure.rethrow();
}

// The canvas rows and columns the destination covers, and the taps down.
struct Clip {
  std::int64_t left = 0, right = 0, top = 0, bottom = 0;
  bool empty() const { return left >= right || top >= bottom; }
};

Clip clipOf(int sourceWidth, int sourceHeight, int canvasWidth, int canvasHeight,
            const QRect& destination) {
  const std::int64_t x = destination.x(), y = destination.y();
  const std::int64_t dw = destination.width(), dh = destination.height();
  if (dw <= 0 || dh <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return {};
  return {std::max<std::int64_t>(x, 0), std::min<std::int64_t>(x + dw, canvasWidth),
          std::max<std::int64_t>(y, 0), std::min<std::int64_t>(y + dh, canvasHeight)};
}

void planDown(Plan& plan, int sourceHeight, const QRect& destination, const Clip& clip) {
  const std::int64_t dh = destination.height(), from = clip.top - destination.y();
  const int rowCount = int(clip.bottom - clip.top);
  if (averagesArea(sourceHeight, dh))
    plan.areaDown = areaRows(sourceHeight, dh, from, rowCount);
  else
    plan.down = axisTaps(sourceHeight, dh, from, rowCount);
}

}  // namespace

SourceRows sourceRowsRead(int sourceWidth, int sourceHeight, int canvasWidth, int canvasHeight,
                          const QRect& destination) {
  const Clip clip = clipOf(sourceWidth, sourceHeight, canvasWidth, canvasHeight, destination);
  if (clip.empty()) return {};
  Plan plan;
  planDown(plan, sourceHeight, destination, clip);
  if (!plan.areaDown.empty()) return {plan.areaDown.front().first, plan.areaDown.back().last + 1};
  return {plan.down.first.front(), plan.down.first.back() + plan.down.count.back()};
}

void drawRaster(const RasterSource& source, const ImageBuffer& canvas, const QRect& destination,
                int threads) {
  if (!canvas.data) return;
  const Clip clip = clipOf(source.width(), source.height(), canvas.width, canvas.height, destination);
  if (clip.empty()) return;
  const std::int64_t x = destination.x(), dw = destination.width();
  const std::int64_t left = clip.left, right = clip.right, top = clip.top;
  const int rowCount = int(clip.bottom - clip.top);

  Plan plan;
  plan.source = &source;
  planDown(plan, source.height(), destination, clip);
  plan.across = &acrossTaps(source.width(), dw, left - x, int(right - left), plan.areaDown.empty());
  const int D = bytesPerPixel(canvas.layout);
  plan.origin = canvas.data + top * canvas.stride + left * D;
  plan.stride = canvas.stride;

  // Every source hands out 24-bit rows.
  if (D == 4)
    drawInSlices<3, 4>(plan, rowCount, threads);
  else
    drawInSlices<3, 3>(plan, rowCount, threads);
  source.checkUnchanged();
}

}  // namespace pelmora
