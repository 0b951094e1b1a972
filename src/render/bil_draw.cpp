// The drawing half of the renderer: a separable resampler that reads the
// raster's rows where they lie and writes only the canvas pixels it covers.
#include "render/bil.h"
#include "render/resample_taps.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace pelmora {
namespace {

// One source row resampled across: 3 channels per output pixel, 8 fraction bits.
template <int S>
void resampleAcross(const std::uint8_t* source, const AxisTaps& h, std::uint16_t* out) {
  const std::size_t n = h.first.size();
  const std::int32_t* first = h.first.data();
  const std::int32_t* count = h.count.data();
  const std::int32_t* start = h.start.data();
  const std::int32_t* weights = h.weights.data();
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t* p = source + std::size_t(first[i]) * S;
    const std::int32_t* w = weights + start[i];
    std::uint32_t b, g, r;
    if (count[i] == 2) {
      const std::uint32_t w0 = w[0], w1 = w[1];
      b = p[0] * w0 + p[S] * w1;
      g = p[1] * w0 + p[S + 1] * w1;
      r = p[2] * w0 + p[S + 2] * w1;
    } else if (count[i] == 1) {
      b = std::uint32_t(p[0]) << kTapShift;
      g = std::uint32_t(p[1]) << kTapShift;
      r = std::uint32_t(p[2]) << kTapShift;
    } else {
      b = g = r = 0;
      for (std::int32_t k = 0; k < count[i]; ++k, p += S) {
        const std::uint32_t wk = w[k];
        b += p[0] * wk;
        g += p[1] * wk;
        r += p[2] * wk;
      }
    }
    constexpr int shift = kTapShift - 8;
    constexpr std::uint32_t half = 1u << (shift - 1);
    out[3 * i] = std::uint16_t((b + half) >> shift);
    out[3 * i + 1] = std::uint16_t((g + half) >> shift);
    out[3 * i + 2] = std::uint16_t((r + half) >> shift);
  }
}

constexpr int kDownShift = kTapShift + 8;
constexpr std::uint32_t kDownHalf = 1u << (kDownShift - 1);

// Resampled rows combined down into 8-bit channels.
void combineDown(const std::uint16_t* const* rows, const std::int32_t* w, int count, std::size_t n,
                 std::uint32_t* sums, std::uint8_t* out) {
  if (count == 1) {
    const std::uint16_t* a = rows[0];
    for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t((a[i] + 128u) >> 8);
  } else if (count == 2) {
    const std::uint16_t* a = rows[0];
    const std::uint16_t* b = rows[1];
    const std::uint32_t w0 = w[0], w1 = w[1];
    for (std::size_t i = 0; i < n; ++i)
      out[i] = std::uint8_t((a[i] * w0 + b[i] * w1 + kDownHalf) >> kDownShift);
  } else {
    std::fill(sums, sums + n, kDownHalf);
    for (int k = 0; k < count; ++k) {
      const std::uint16_t* a = rows[k];
      const std::uint32_t wk = w[k];
      for (std::size_t i = 0; i < n; ++i) sums[i] += a[i] * wk;
    }
    for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t(sums[i] >> kDownShift);
  }
}

// Three channels per pixel into the canvas's layout.
template <int D>
void store(const std::uint8_t* bgr, std::size_t pixels, std::uint8_t* out) {
  if constexpr (D == 3) {
    std::memcpy(out, bgr, pixels * 3);
  } else {
    for (std::size_t i = 0; i < pixels; ++i) {
      out[4 * i] = bgr[3 * i];
      out[4 * i + 1] = bgr[3 * i + 1];
      out[4 * i + 2] = bgr[3 * i + 2];
      out[4 * i + 3] = 0xFF;
    }
  }
}

// Source pixels copied unchanged (1:1 at a whole-pixel offset).
template <int S, int D>
void copyPixels(const std::uint8_t* source, std::size_t pixels, std::uint8_t* out) {
  if constexpr (S == D && S == 3) {
    std::memcpy(out, source, pixels * 3);
  } else {
    for (std::size_t i = 0; i < pixels; ++i) {
      out[D * i] = source[S * i];
      out[D * i + 1] = source[S * i + 1];
      out[D * i + 2] = source[S * i + 2];
      if constexpr (D == 4) out[D * i + 3] = 0xFF;
    }
  }
}

struct Band {
  const RasterSource* source;
  const AxisTaps* across;
  const AxisTaps* down;
  int from, to;          // output rows of the band, indices into `down`
  std::uint8_t* origin;  // canvas pixel of the first clipped row and column
  std::ptrdiff_t stride;
};

template <int S, int D>
void drawBand(const Band& band) {
  const AxisTaps& h = *band.across;
  const AxisTaps& v = *band.down;
  if (band.from >= band.to) return;
  const std::size_t pixels = h.first.size();
  const std::size_t n = pixels * 3;
  const int ring = std::max(v.maxCount, 1);
  std::vector<std::uint8_t> scratch;
  std::vector<std::uint16_t> rows(std::size_t(ring) * n);
  std::vector<std::int32_t> rowOf(std::size_t(ring), -1);
  std::vector<const std::uint16_t*> inputs(static_cast<std::size_t>(ring));
  std::vector<std::uint32_t> sums(v.maxCount > 2 ? n : 0);
  std::vector<std::uint8_t> mixed(n);

  band.source->willRead(v.first[band.from], v.first[band.to - 1] + v.count[band.to - 1]);
  for (int j = band.from; j < band.to; ++j) {
    std::uint8_t* out = band.origin + std::ptrdiff_t(j) * band.stride;
    const std::int32_t first = v.first[j];
    const int count = v.count[j];
    if (count == 1 && h.identity) {
      copyPixels<S, D>(band.source->row(first, scratch) + std::size_t(h.first[0]) * S, pixels, out);
      continue;
    }
    for (int k = 0; k < count; ++k) {
      const std::int32_t y = first + k;
      const std::size_t slot = std::size_t(y % ring);
      std::uint16_t* resampled = rows.data() + slot * n;
      if (rowOf[slot] != y) {
        resampleAcross<S>(band.source->row(y, scratch), h, resampled);
        rowOf[slot] = y;
      }
      inputs[std::size_t(k)] = resampled;
    }
    combineDown(inputs.data(), v.weights.data() + v.start[j], count, n, sums.data(), mixed.data());
    store<D>(mixed.data(), pixels, out);
  }
}

template <int S, int D>
void drawBands(const std::vector<Band>& bands) {
  std::vector<std::thread> helpers;
  for (std::size_t i = 1; i < bands.size(); ++i) helpers.emplace_back(drawBand<S, D>, bands[i]);
  drawBand<S, D>(bands[0]);
  for (auto& helper : helpers) helper.join();
}

}  // namespace

ImageBuffer bufferOf(QImage& image) {
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_BGR888)
    image = std::move(image).convertToFormat(QImage::Format_RGB32);
  ImageBuffer buffer;
  buffer.data = image.bits();
  buffer.width = image.width();
  buffer.height = image.height();
  buffer.stride = image.bytesPerLine();
  buffer.layout = image.format() == QImage::Format_BGR888 ? PixelLayout::BGR24 : PixelLayout::BGRX32;
  return buffer;
}

void drawRaster(const RasterSource& source, const ImageBuffer& canvas, const QRect& destination,
                int threads) {
  const std::int64_t x = destination.x(), y = destination.y();
  const std::int64_t dw = destination.width(), dh = destination.height();
  if (dw <= 0 || dh <= 0 || source.width() <= 0 || source.height() <= 0 || !canvas.data) return;
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t right = std::min<std::int64_t>(x + dw, canvas.width);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t bottom = std::min<std::int64_t>(y + dh, canvas.height);
  if (left >= right || top >= bottom) return;

  const AxisTaps across = axisTaps(source.width(), dw, left - x, int(right - left));
  const AxisTaps down = axisTaps(source.height(), dh, top - y, int(bottom - top));
  const int rows = int(bottom - top);
  const int D = bytesPerPixel(canvas.layout);
  std::uint8_t* origin = canvas.data + top * canvas.stride + left * D;

  // Bands of at least 32 rows: below that a thread costs more than it saves.
  const int bandCount = std::clamp(std::min(threads, (rows + 31) / 32), 1, 64);
  std::vector<Band> bands;
  for (int i = 0; i < bandCount; ++i)
    bands.push_back(Band{&source, &across, &down, int(std::int64_t(rows) * i / bandCount),
                         int(std::int64_t(rows) * (i + 1) / bandCount), origin, canvas.stride});

  const bool source32 = source.layout() == PixelLayout::BGRX32;
  if (source32 && D == 4) drawBands<4, 4>(bands);
  else if (source32) drawBands<4, 3>(bands);
  else if (D == 4) drawBands<3, 4>(bands);
  else drawBands<3, 3>(bands);
}

}  // namespace pelmora
