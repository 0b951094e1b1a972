#include "upright/straightened_source.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "upright/straightened_blend.h"

namespace pelmora {
namespace {

using namespace straightening;

std::int64_t toFixed(double pixels) { return std::llround(pixels * double(kOne)); }

FramePoint between(const FramePoint& a, const FramePoint& b, double t) {
  return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

// Where the centres of an upright row's pixels fall in the scan: pixel u at
// (x + u dx, y + u dy).
struct RowLine {
  std::int64_t x = 0, y = 0, dx = 0, dy = 0;
};

// Along one axis of the scan, the two pixels whose centres lie either side of
// a point (the same one beyond the outer centres) and the second's weight.
struct Taps {
  int first = 0, second = 0, weight = 0;
};

// The taps of fixed-point coordinate `at`, within [0, size) pixels.
inline Taps tapsAt(std::int64_t at, int size) {
  // From the first pixel's centre, rounded to the weights' step.
  const std::int64_t steps = (at - kOne / 2 + (std::int64_t(1) << (kWeightShift - 1))) >> kWeightShift;
  const int before = int(steps >> kWeightBits);
  return {std::max(before, 0), std::min(before + 1, size - 1), int(steps & (kWeightOne - 1))};
}

// What a thread keeps of one source's scan between rows, so that the next
// row's pieces are mostly read already and nothing is allocated per row: a
// ring of pieces, scan row y in slot y mod its size. Each row first notes the
// columns it needs of each scan row from `top` on: [from[i], to[i]).
struct ScanPieces {
  std::uint64_t source = 0;
  std::vector<KeptPiece> ring;
  std::vector<std::uint8_t> scratch;  // the scan's, for its rows
  int top = 0;
  std::vector<int> from, to;
  const KeptPiece& piece(int y) const { return ring[std::size_t(y) & (ring.size() - 1)]; }
};

// The pieces a thread keeps, for the source it reads; one set for each
// source straightened from another straightened source, read while the outer
// one reads.
class ThreadPieces {
 public:
  explicit ThreadPieces(std::uint64_t source) {
    if (levels().size() <= depth()) levels().push_back(std::make_unique<ScanPieces>());
    pieces_ = levels()[depth()++].get();
    if (pieces_->source != source) {  // sized afresh for this source's rows
      pieces_->source = source;
      pieces_->ring.clear();
    }
  }
  ~ThreadPieces() { --depth(); }
  ThreadPieces(const ThreadPieces&) = delete;
  ThreadPieces& operator=(const ThreadPieces&) = delete;
  ScanPieces& operator*() const { return *pieces_; }

 private:
  static std::vector<std::unique_ptr<ScanPieces>>& levels() {
    thread_local std::vector<std::unique_ptr<ScanPieces>> kept;
    return kept;
  }
  static std::size_t& depth() {
    thread_local std::size_t inUse = 0;
    return inUse;
  }
  ScanPieces* pieces_;
};

// About this much of the scan kept by each thread.
constexpr std::size_t kKeptBytes = std::size_t(4) << 20;

std::atomic<std::uint64_t> sourcesMade{0};

class StraightenedSource final : public RasterSource {
 public:
  StraightenedSource(std::shared_ptr<const RasterSource> scan, const FrameCorners& frame,
                     std::pair<int, int> size)
      : RasterSource(size.first, size.second),
        scan_(std::move(scan)),
        frame_(frame),
        id_(++sourcesMade),
        piecesMoveLeft_(piecesMoveLeft(frame)) {}

  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override {
    return rowColumns(y, 0, width(), scratch);
  }
  const std::uint8_t* rowColumns(int y, int first, int end,
                                 std::vector<std::uint8_t>& scratch) const override;
  void willRead(int first, int last) const override;
  void checkUnchanged() const override { scan_->checkUnchanged(); }
  void awaitDecoded() const override { scan_->awaitDecoded(); }

 private:
  RowLine lineOf(int v) const;
  bool inScan(std::int64_t x, std::int64_t y) const {
    return x >= 0 && y >= 0 && x < std::int64_t(scan_->width()) * kOne &&
           y < std::int64_t(scan_->height()) * kOne;
  }
  // The scan rows that pixels [first, end) of `line` blend, and of each the
  // columns; then those pieces read.
  void findPieces(const RowLine& line, int first, int end, ScanPieces& pieces) const;
  void readPieces(ScanPieces& pieces) const;
  void readPiece(int y, int from, int to, int length, ScanPieces& pieces, KeptPiece& kept) const;
  void blend(const RowLine& line, int first, int end, const ScanPieces& pieces,
             std::uint8_t* out) const;

  // From one row to the next, where a row crosses a scan row moves left or right along it.
  static bool piecesMoveLeft(const FrameCorners& frame) {
    const FramePoint across{frame.topRight.x - frame.topLeft.x, frame.topRight.y - frame.topLeft.y};
    const FramePoint down{frame.bottomLeft.x - frame.topLeft.x, frame.bottomLeft.y - frame.topLeft.y};
    // A step down the left edge, then back along the row to the scan row it left.
    return across.y != 0 && down.x - across.x * down.y / across.y < 0;
  }

  std::shared_ptr<const RasterSource> scan_;
  FrameCorners frame_;
  std::uint64_t id_;  // whose pieces a thread keeps
  bool piecesMoveLeft_;
};

RowLine StraightenedSource::lineOf(int v) const {
  const double t = (v + 0.5) / height();
  const FramePoint left = between(frame_.topLeft, frame_.bottomLeft, t);
  const FramePoint right = between(frame_.topRight, frame_.bottomRight, t);
  const double dx = (right.x - left.x) / width(), dy = (right.y - left.y) / width();
  return {toFixed(left.x + 0.5 * dx), toFixed(left.y + 0.5 * dy), toFixed(dx), toFixed(dy)};
}

void StraightenedSource::findPieces(const RowLine& line, int first, int end,
                                    ScanPieces& pieces) const {
  const int w = scan_->width(), h = scan_->height();
  // The line is straight: the rows it crosses lie between those of its ends.
  auto rowTapsAt = [&](int u) {
    return tapsAt(std::clamp<std::int64_t>(line.y + u * line.dy, 0, h * kOne - 1), h);
  };
  const Taps a = rowTapsAt(first), b = rowTapsAt(end - 1);
  pieces.top = std::min(a.first, b.first);
  const std::size_t rows = std::size_t(std::max(a.second, b.second) - pieces.top + 1);
  pieces.from.assign(rows, INT_MAX);
  pieces.to.assign(rows, INT_MIN);
  // Scan row r is blended by the pixels whose point lies less than a row and
  // a half from its centre; along the line those pixels are a run of u, found
  // from the line's equation (widened by a pixel against rounding), and their
  // columns lie between those of the run's ends.
  const double y0 = double(line.y) / kOne, dy = double(line.dy) / kOne;
  for (std::size_t i = 0; i < rows; ++i) {
    const double centre = pieces.top + int(i) + 0.5;
    int u0 = first, u1 = end - 1;
    if (dy != 0) {
      const double ua = (centre - 1.5 - y0) / dy, ub = (centre + 1.5 - y0) / dy;
      u0 = int(std::clamp(std::floor(std::min(ua, ub)) - 1, double(first), double(end - 1)));
      u1 = int(std::clamp(std::ceil(std::max(ua, ub)) + 1, double(first), double(end - 1)));
    }
    const Taps left = tapsAt(std::clamp<std::int64_t>(line.x + std::min(u0 * line.dx, u1 * line.dx), 0, w * kOne - 1), w);
    const Taps right = tapsAt(std::clamp<std::int64_t>(line.x + std::max(u0 * line.dx, u1 * line.dx), 0, w * kOne - 1), w);
    pieces.from[i] = std::max(0, left.first - 1);
    pieces.to[i] = std::min(w, right.second + 2);
  }
}

void StraightenedSource::readPieces(ScanPieces& pieces) const {
  const std::size_t rows = pieces.from.size();
  if (pieces.ring.size() < rows) pieces.ring = std::vector<KeptPiece>(std::bit_ceil(rows));
  // Pieces reach ahead as far as the memory kept allows, whole rows when it does.
  const int length = int(std::clamp<std::size_t>(kKeptBytes / 3 / pieces.ring.size(), 1,
                                                   std::size_t(scan_->width())));
  for (std::size_t i = 0; i < rows; ++i) {
    const int y = pieces.top + int(i), from = pieces.from[i], to = pieces.to[i];
    KeptPiece& kept = pieces.ring[std::size_t(y) & (pieces.ring.size() - 1)];
    if (from < to && !kept.holds(y, from, to))
      readPiece(y, from, to, std::max(length, to - from), pieces, kept);
  }
}

void StraightenedSource::readPiece(int y, int from, int to, int length, ScanPieces& pieces,
                                   KeptPiece& kept) const {
  // Rows read from the top down need the columns ahead of their pieces next.
  const int first = std::clamp(piecesMoveLeft_ ? to - length : from, 0, scan_->width() - length);
  kept.y = -1;  // until it is read whole
  kept.bytes.resize(std::size_t(length) * 3 + 1);  // a byte to spare for blendPixel()
  const std::uint8_t* row = scan_->rowColumns(y, first, first + length, pieces.scratch);
  std::memcpy(kept.bytes.data(), row + std::size_t(first) * 3, std::size_t(length) * 3);
  kept.from = first;
  kept.to = first + length;
  kept.y = y;
}

void StraightenedSource::blend(const RowLine& line, int first, int end, const ScanPieces& pieces,
                               std::uint8_t* out) const {
  const int w = scan_->width(), h = scan_->height();
  // What tapsAt() adds before its shift, so that steps = (at + bias) >> kWeightShift.
  constexpr std::int64_t kBias = -kOne / 2 + (std::int64_t(1) << (kWeightShift - 1));
  std::int64_t x = line.x + first * line.dx, y = line.y + first * line.dy;
  for (int u = first; u < end;) {
    const std::int64_t rowSteps = (y + kBias) >> kWeightShift;
    const int above = int(rowSteps >> kWeightBits);
    if (above >= 0 && above + 1 < h) {
      // Between two scan rows, away from the edges: the taps need no clamping,
      // and the rows' pieces stay while the point keeps between them.
      const KeptPiece& top = pieces.piece(above);
      const KeptPiece& bottom = pieces.piece(above + 1);
      for (; u < end; ++u, x += line.dx, y += line.dy) {
        if (end - u >= 8) {
          const int done = blendRun(top, bottom, above, w, x, y, line.dx, line.dy, kBias, end - u,
                                    out + std::size_t(u) * 3);
          u += done, x += done * line.dx, y += done * line.dy;
          if (u == end) break;
        }
        const std::int64_t down = (y + kBias) >> kWeightShift;
        const std::int64_t across = (x + kBias) >> kWeightShift;
        const int column = int(across >> kWeightBits);
        if ((down >> kWeightBits) != above || column < 0 || column + 1 >= w) break;
        blendPixel(top.pixel(column), bottom.pixel(column), int(across & (kWeightOne - 1)),
                   int(down & (kWeightOne - 1)), out + std::size_t(u) * 3);
      }
      if (u == end) break;
      if (((y + kBias) >> kWeightShift >> kWeightBits) != above) continue;  // the next rows' run
    }
    // At the scan's edges: clamped taps, white outside.
    std::uint8_t* pixel = out + std::size_t(u) * 3;
    if (!inScan(x, y)) {
      pixel[0] = pixel[1] = pixel[2] = 255;
    } else {
      const Taps across = tapsAt(x, w), down = tapsAt(y, h);
      const KeptPiece& upperPiece = pieces.piece(down.first);
      const KeptPiece& lowerPiece = pieces.piece(down.second);
      std::uint8_t taps[2][7] = {};
      std::memcpy(taps[0], upperPiece.pixel(across.first), 3);
      std::memcpy(taps[0] + 3, upperPiece.pixel(across.second), 3);
      std::memcpy(taps[1], lowerPiece.pixel(across.first), 3);
      std::memcpy(taps[1] + 3, lowerPiece.pixel(across.second), 3);
      blendPixel(taps[0], taps[1], across.weight, down.weight, pixel);
    }
    ++u, x += line.dx, y += line.dy;
  }
}

const std::uint8_t* StraightenedSource::rowColumns(int y, int first, int end,
                                                   std::vector<std::uint8_t>& scratch) const {
  const std::size_t rowBytes = std::size_t(width()) * 3;
  if (scratch.size() < rowBytes) scratch.resize(rowBytes);
  first = std::clamp(first, 0, width());
  end = std::clamp(end, first, width());
  if (first == end) return scratch.data();
  const RowLine line = lineOf(y);
  const ThreadPieces pieces(id_);
  findPieces(line, first, end, *pieces);
  readPieces(*pieces);
  blend(line, first, end, *pieces, scratch.data());
  return scratch.data();
}

void StraightenedSource::willRead(int first, int last) const {
  first = std::clamp(first, 0, height());
  last = std::clamp(last, first, height());
  if (first == last || width() == 0) return;
  // The map is bilinear: the rows of a band reach farthest up and down at its corners.
  const int h = scan_->height();
  int top = INT_MAX, bottom = INT_MIN;
  for (const int v : {first, last - 1}) {
    const RowLine line = lineOf(v);
    for (const std::int64_t u : {std::int64_t(0), std::int64_t(width() - 1)}) {
      const Taps down = tapsAt(std::clamp<std::int64_t>(line.y + u * line.dy, 0, h * kOne - 1), h);
      top = std::min(top, down.first);
      bottom = std::max(bottom, down.second);
    }
  }
  scan_->willRead(top, bottom + 1);
}

double distance(const FramePoint& a, const FramePoint& b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

std::pair<int, int> straightenedSize(const FrameCorners& frame) {
  const double across = (distance(frame.topLeft, frame.topRight) +
                         distance(frame.bottomLeft, frame.bottomRight)) / 2;
  const double down = (distance(frame.topLeft, frame.bottomLeft) +
                       distance(frame.topRight, frame.bottomRight)) / 2;
  return {int(std::lround(across)), int(std::lround(down))};
}

bool frameOnRasterEdges(const FrameCorners& frame, int width, int height) {
  auto near = [](const FramePoint& corner, double x, double y) {
    return std::abs(corner.x - x) <= 1 && std::abs(corner.y - y) <= 1;
  };
  return near(frame.topLeft, 0, 0) && near(frame.topRight, width, 0) &&
         near(frame.bottomRight, width, height) && near(frame.bottomLeft, 0, height);
}

std::shared_ptr<const RasterSource> straightenedSource(std::shared_ptr<const RasterSource> scan,
                                                       const FrameCorners& frame) {
  // Within 2^24 pixels every position of a row fits the fixed point's 31 bits of whole pixels.
  constexpr double kReach = 1 << 24;
  for (const FramePoint& p : {frame.topLeft, frame.topRight, frame.bottomRight, frame.bottomLeft})
    if (!(std::abs(p.x) < kReach && std::abs(p.y) < kReach))
      throw std::invalid_argument("a frame corner lies too far from the scan");
  return std::make_shared<StraightenedSource>(std::move(scan), frame, straightenedSize(frame));
}

}  // namespace pelmora
