#include "frame/frame_finder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "frame/frame_lines.h"
#include "frame/frame_refinement.h"
#include "frame/search_threads.h"

namespace pelmora {

namespace {

using frame::Crossing;
using frame::LineCandidate;
using frame::RefinedLine;

constexpr int minRasterSide = 32;
constexpr std::int64_t minHelpedPixels = 1 << 20;
constexpr double maxFrameLineWidth = 6.0;        // pixels, a blurred scan's too: thinner than a border or a road
constexpr double reducedProportionSlack = 0.01;  // proportions as the reduced copy measures them
constexpr double minFrameFraction = 0.3;         // of the raster's width

// Four lines (indices into the long lines) closing a rectangle.
struct Rectangle {
  int top, bottom, left, right;
  double area = 0, proportions = 0;
};

struct Corners {
  Crossing topLeft, topRight, bottomRight, bottomLeft;
};

double distance(const Crossing& a, const Crossing& b) { return std::hypot(a.x - b.x, a.y - b.y); }

double proportionsOf(const Corners& c) {
  const double rows = (distance(c.topLeft, c.bottomLeft) + distance(c.topRight, c.bottomRight)) / 2;
  const double columns = (distance(c.topLeft, c.topRight) + distance(c.bottomLeft, c.bottomRight)) / 2;
  return columns > 0 ? rows / columns : 0;
}

Corners cornersOf(const frame::LineModel& top, const frame::LineModel& bottom, const frame::LineModel& left,
                  const frame::LineModel& right) {
  return {frame::crossingOf(top, left), frame::crossingOf(top, right), frame::crossingOf(bottom, right),
          frame::crossingOf(bottom, left)};
}

// Whether `line` is drawn all the way between the points `a` and `b` along it.
bool covers(const LineCandidate& line, double a, double b, int factor) {
  const double tolerance = 4.0 * factor + 0.01 * std::abs(b - a);
  return line.from <= std::min(a, b) + tolerance && line.to >= std::max(a, b) - tolerance;
}

std::optional<Rectangle> rectangleOf(const std::vector<LineCandidate>& lines, int t, int b, int l, int r, int factor,
                                     double minWidth) {
  const Corners c = cornersOf(lines[t].line, lines[b].line, lines[l].line, lines[r].line);
  if (c.topRight.x - c.topLeft.x < minWidth || c.bottomLeft.y - c.topLeft.y < minWidth * 0.3) return std::nullopt;
  if (!covers(lines[t], c.topLeft.x, c.topRight.x, factor) ||
      !covers(lines[b], c.bottomLeft.x, c.bottomRight.x, factor) ||
      !covers(lines[l], c.topLeft.y, c.bottomLeft.y, factor) ||
      !covers(lines[r], c.topRight.y, c.bottomRight.y, factor))
    return std::nullopt;
  const double columns = (c.topRight.x - c.topLeft.x + c.bottomRight.x - c.bottomLeft.x) / 2;
  const double rows = (c.bottomLeft.y - c.topLeft.y + c.bottomRight.y - c.topRight.y) / 2;
  return Rectangle{t, b, l, r, rows * columns, proportionsOf(c)};
}

// Every rectangle the long lines close, the largest first.
std::vector<Rectangle> rectanglesOf(const frame::LongLines& found, double minWidth) {
  std::vector<int> horizontal, vertical;
  for (int i = 0; i < int(found.lines.size()); ++i) (found.lines[i].horizontal ? horizontal : vertical).push_back(i);
  std::vector<Rectangle> rectangles;
  for (int t : horizontal)
    for (int b : horizontal)
      if (found.lines[b].line.offset > found.lines[t].line.offset)
        for (int l : vertical)
          for (int r : vertical)
            if (found.lines[r].line.offset > found.lines[l].line.offset)
              if (auto rectangle = rectangleOf(found.lines, t, b, l, r, found.factor, minWidth))
                rectangles.push_back(*rectangle);
  std::sort(rectangles.begin(), rectangles.end(),
            [](const Rectangle& a, const Rectangle& b) { return a.area > b.area; });
  return rectangles;
}

// Where a frame runs off the raster: two parallel lines that reach the same
// edge of the raster, joined by a line across them at their other ends.
std::optional<QString> cutEdge(const frame::LongLines& found, int width, int height) {
  const double reach = 3.0 * found.factor;
  for (const LineCandidate& a : found.lines)
    for (const LineCandidate& b : found.lines) {
      const double extent = a.horizontal ? width : height, apart = a.horizontal ? height : width;
      if (a.horizontal != b.horizontal || b.line.offset - a.line.offset < minFrameFraction * apart) continue;
      const bool atStart = a.from <= reach && b.from <= reach, atEnd = a.to >= extent - reach && b.to >= extent - reach;
      if (!atStart && !atEnd) continue;
      for (const LineCandidate& across : found.lines) {
        if (across.horizontal == a.horizontal) continue;
        const Crossing ca =
            a.horizontal ? frame::crossingOf(a.line, across.line) : frame::crossingOf(across.line, a.line);
        const Crossing cb =
            b.horizontal ? frame::crossingOf(b.line, across.line) : frame::crossingOf(across.line, b.line);
        const double alongA = a.horizontal ? ca.x : ca.y, alongB = b.horizontal ? cb.x : cb.y;
        const double acrossA = a.horizontal ? ca.y : ca.x, acrossB = b.horizontal ? cb.y : cb.x;
        if (!covers(across, acrossA, acrossB, found.factor)) continue;
        const bool joinsFarEnds =
            atStart ? alongA > extent / 2 && alongB > extent / 2 : alongA < extent / 2 && alongB < extent / 2;
        if (joinsFarEnds && atStart) return frame_reasons::frameCutAt(a.horizontal ? "left" : "top");
        if (joinsFarEnds) return frame_reasons::frameCutAt(a.horizontal ? "right" : "bottom");
      }
    }
  return std::nullopt;
}

FrameCorners frameCornersOf(const Corners& c) {
  return {{c.topLeft.x, c.topLeft.y},
          {c.topRight.x, c.topRight.y},
          {c.bottomRight.x, c.bottomRight.y},
          {c.bottomLeft.x, c.bottomLeft.y}};
}

// The lines refined at full resolution when a rectangle first needs them.
class RefinedLines {
 public:
  RefinedLines(const RasterSource& source, const frame::LongLines& found, frame::SearchThreads& threads)
      : source_(source), found_(found), threads_(threads), refined_(found.lines.size()) {}
  // Refines the sides of rectangles[k] not refined yet, shared by the
  // threads (each reads narrow strips of its own); while that leaves a thread
  // without a side, those of the next few rectangles too, which most often
  // come next.
  void prepare(const std::vector<Rectangle>& rectangles, std::size_t k) {
    std::vector<int> missing;
    auto add = [&](const Rectangle& r) {
      for (int i : {r.top, r.bottom, r.left, r.right})
        if (!refined_[std::size_t(i)] && std::find(missing.begin(), missing.end(), i) == missing.end())
          missing.push_back(i);
    };
    add(rectangles[k]);
    for (std::size_t next = k + 1; missing.size() % 2 == 1 && next < std::min(rectangles.size(), k + kLookAhead); ++next)
      add(rectangles[next]);
    std::vector<std::vector<RefinedLine>> results(missing.size());
    threads_.run(int(missing.size()), [&](int m) {
      const auto index = std::size_t(missing[std::size_t(m)]);
      results[std::size_t(m)] = frame::refineLine(source_, found_.lines[index], found_.factor);
    });
    for (std::size_t m = 0; m < missing.size(); ++m) refined_[std::size_t(missing[m])] = std::move(results[m]);
  }
  const std::vector<RefinedLine>& operator[](int i) const { return *refined_[std::size_t(i)]; }

 private:
  static constexpr std::size_t kLookAhead = 8;

  const RasterSource& source_;
  const frame::LongLines& found_;
  frame::SearchThreads& threads_;
  std::vector<std::optional<std::vector<RefinedLine>>> refined_;
};

// The outermost thin line of those found along one side: the topmost
// (leftmost) when `outwardIsLow`, else the bottommost (rightmost).
const RefinedLine* outermostThin(const std::vector<RefinedLine>& lines, bool outwardIsLow) {
  const RefinedLine* chosen = nullptr;
  for (const RefinedLine& line : lines)
    if (line.width <= maxFrameLineWidth &&
        (!chosen || (outwardIsLow ? line.line.offset < chosen->line.offset : line.line.offset > chosen->line.offset)))
      chosen = &line;
  return chosen;
}

}  // namespace

FrameFound findFrame(const RasterSource& source, const FrameSearch& search) {
  if (source.width() < minRasterSide || source.height() < minRasterSide) return {std::nullopt, frame_reasons::tooSmall};
  // A small raster is searched sooner than a thread starts.
  frame::SearchThreads threads(std::int64_t(source.width()) * source.height() >= minHelpedPixels);
  const frame::LongLines found = frame::findLongLines(source, threads);
  RefinedLines refined(source, found, threads);
  std::optional<double> missedProportions;
  bool thickOnly = false;
  const std::vector<Rectangle> rectangles = rectanglesOf(found, minFrameFraction * source.width());
  for (std::size_t k = 0; k < rectangles.size(); ++k) {
    const Rectangle& r = rectangles[k];
    const bool nearSheet =
        std::abs(r.proportions - search.sheetHeightPerWidth) <= search.proportionTolerance + reducedProportionSlack;
    if (!nearSheet && missedProportions) continue;
    refined.prepare(rectangles, k);
    const std::vector<RefinedLine>* lines[] = {&refined[r.top], &refined[r.bottom], &refined[r.left],
                                               &refined[r.right]};
    if (std::any_of(std::begin(lines), std::end(lines), [](const auto* side) { return side->empty(); })) continue;
    const RefinedLine* sides[] = {outermostThin(*lines[0], true), outermostThin(*lines[1], false),
                                  outermostThin(*lines[2], true), outermostThin(*lines[3], false)};
    if (std::any_of(std::begin(sides), std::end(sides), [](const RefinedLine* side) { return !side; })) {
      thickOnly = thickOnly || nearSheet;
      continue;
    }
    const Corners corners = cornersOf(sides[0]->line, sides[1]->line, sides[2]->line, sides[3]->line);
    const double proportions = proportionsOf(corners);
    if (std::abs(proportions - search.sheetHeightPerWidth) <= search.proportionTolerance)
      return {frameCornersOf(corners), {}};
    if (!missedProportions) missedProportions = proportions;
  }
  if (auto edge = cutEdge(found, source.width(), source.height())) return {std::nullopt, *edge};
  if (missedProportions)
    return {std::nullopt, frame_reasons::proportionsDiffer(*missedProportions, search.sheetHeightPerWidth)};
  return {std::nullopt, thickOnly ? QString(frame_reasons::onlyThickLines) : QString(frame_reasons::noFrameLine)};
}

}  // namespace pelmora
