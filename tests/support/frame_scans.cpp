#include "support/frame_scans.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <random>

namespace pelmora::testing {

namespace {

constexpr int supersampling = 2;
constexpr int padding = 8;  // pixels of glass around the sheet
const QColor ink(35, 32, 30);
const QColor roadInk(95, 90, 85);
const QColor contourInk(150, 110, 80);

// The ring between two rectangles centred on `rect`'s outline, `width` wide.
QPainterPath ringAround(const QRectF& rect, double width) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  path.addRect(rect.adjusted(-width / 2, -width / 2, width / 2, width / 2));
  path.addRect(rect.adjusted(width / 2, width / 2, -width / 2, -width / 2));
  return path;
}

void drawTextLikeBlobs(QPainter& painter, std::mt19937& random, const QRectF& area, int count) {
  std::uniform_real_distribution<double> x(area.left(), area.right()), y(area.top(), area.bottom());
  std::uniform_int_distribution<int> letters(2, 8);
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  for (int i = 0; i < count; ++i) {
    const double left = x(random), top = y(random);
    for (int k = letters(random); k > 0; --k) painter.drawRect(QRectF(left + 11 * k, top, 7, 10));
  }
}

void drawMapContent(QPainter& painter, std::mt19937& random, const FrameScanSpec& spec, const QRectF& frame) {
  painter.save();
  painter.setClipRect(frame.adjusted(spec.frameLineWidth / 2, spec.frameLineWidth / 2, -spec.frameLineWidth / 2,
                                     -spec.frameLineWidth / 2));
  std::uniform_real_distribution<double> x(frame.left(), frame.right()), y(frame.top(), frame.bottom());
  std::uniform_real_distribution<double> roadWidth(5, 9), inset(12, 28);
  painter.setBrush(Qt::NoBrush);
  for (int i = 0; i < 12; ++i) {  // roads across the map
    painter.setPen(QPen(roadInk, roadWidth(random), Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(x(random), y(random)), QPointF(x(random), y(random)));
  }
  if (spec.roadsAlongFrame) {
    auto along = [&] { return spec.roadInset > 0 ? spec.roadInset : inset(random); };
    const double t = along(), b = along(), l = along(), r = along();
    painter.setPen(QPen(roadInk, roadWidth(random), Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(frame.left(), frame.top() + t), QPointF(frame.right(), frame.top() + t));
    painter.drawLine(QPointF(frame.left(), frame.bottom() - b), QPointF(frame.right(), frame.bottom() - b));
    painter.drawLine(QPointF(frame.left() + l, frame.top()), QPointF(frame.left() + l, frame.bottom()));
    painter.drawLine(QPointF(frame.right() - r, frame.top()), QPointF(frame.right() - r, frame.bottom()));
  }
  painter.setPen(QPen(contourInk, 1.2));
  for (int i = 0; i < 10; ++i) {  // contours
    QPainterPath contour(QPointF(x(random), y(random)));
    contour.cubicTo(QPointF(x(random), y(random)), QPointF(x(random), y(random)), QPointF(x(random), y(random)));
    painter.drawPath(contour);
  }
  drawTextLikeBlobs(painter, random, frame, 40);
  painter.restore();
}

// Ticks, labels (some touching the frame line), a title and a legend box.
void drawMargin(QPainter& painter, std::mt19937& random, const FrameScanSpec& spec, const QRectF& frame,
                double margin) {
  if (margin < 30) return;
  painter.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::FlatCap));
  const double edge = spec.frameLineWidth / 2;
  for (int i = 1; i < 10; ++i) {
    const double x = frame.left() + frame.width() * i / 10, y = frame.top() + frame.height() * i / 10;
    painter.drawLine(QPointF(x, frame.top() - edge), QPointF(x, frame.top() - edge - 14));
    painter.drawLine(QPointF(x, frame.bottom() + edge), QPointF(x, frame.bottom() + edge + 14));
    painter.drawLine(QPointF(frame.left() - edge, y), QPointF(frame.left() - edge - 14, y));
    painter.drawLine(QPointF(frame.right() + edge, y), QPointF(frame.right() + edge + 14, y));
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  for (int i = 0; i < 6; ++i)  // labels sitting on the frame line
    painter.drawRect(QRectF(frame.left() + frame.width() * (i + 0.35) / 6, frame.top() - edge - 10, 30, 10));
  drawTextLikeBlobs(painter, random, QRectF(frame.center().x() - 200, frame.top() - margin * 0.8, 300, 10), 3);
  drawTextLikeBlobs(painter, random, QRectF(frame.left(), frame.bottom() + margin * 0.3, frame.width(), margin * 0.4),
                    8);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(ink, 1));
  painter.drawRect(QRectF(frame.right() - 260, frame.bottom() + margin * 0.25, 240, margin * 0.35));
}

void addNoise(QImage& image, std::mt19937& random) {
  std::normal_distribution<float> noise(0, 5);
  for (int y = 0; y < image.height(); ++y) {
    auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int n = int(std::lround(noise(random)));
      auto channel = [n](int value) { return std::clamp(value + n, 0, 255); };
      pixels[x] = qRgb(channel(qRed(pixels[x])), channel(qGreen(pixels[x])), channel(qBlue(pixels[x])));
    }
  }
}

// Each channel through a Gaussian of `sigma` pixels, across then down.
void blurImage(QImage& image, double sigma) {
  const int reach = int(std::ceil(3 * sigma));
  std::vector<float> taps(std::size_t(2 * reach + 1));
  float sum = 0;
  for (int i = -reach; i <= reach; ++i) sum += taps[std::size_t(i + reach)] = std::exp(float(-i * i / (2 * sigma * sigma)));
  for (float& t : taps) t /= sum;
  const int w = image.width(), h = image.height();
  std::vector<QRgb> line;
  auto pass = [&](int count, int length, auto pixelAt) {
    line.resize(std::size_t(length));
    for (int n = 0; n < count; ++n) {
      for (int i = 0; i < length; ++i) line[std::size_t(i)] = *pixelAt(n, i);
      for (int i = 0; i < length; ++i) {
        float r = 0, g = 0, b = 0;
        for (int k = -reach; k <= reach; ++k) {
          const QRgb p = line[std::size_t(std::clamp(i + k, 0, length - 1))];
          const float t = taps[std::size_t(k + reach)];
          r += t * float(qRed(p)), g += t * float(qGreen(p)), b += t * float(qBlue(p));
        }
        *pixelAt(n, i) = qRgb(int(std::lround(r)), int(std::lround(g)), int(std::lround(b)));
      }
    }
  };
  pass(h, w, [&](int y, int x) { return reinterpret_cast<QRgb*>(image.scanLine(y)) + x; });
  pass(w, h, [&](int x, int y) { return reinterpret_cast<QRgb*>(image.scanLine(y)) + x; });
}

// Paper darkening towards one corner, with a few broad stains.
void yellowUnevenly(QImage& image, std::mt19937& random) {
  const int w = image.width(), h = image.height();
  std::uniform_real_distribution<double> x(0, w), y(0, h), radius(0.05 * w, 0.15 * w);
  struct Stain { double x, y, r; };
  std::vector<Stain> stains;
  for (int i = 0; i < 4; ++i) stains.push_back({x(random), y(random), radius(random)});
  for (int row = 0; row < h; ++row) {
    auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(row));
    for (int col = 0; col < w; ++col) {
      double darker = 28.0 * (double(col) / w + double(row) / h) / 2;
      for (const Stain& s : stains) darker += 18 * std::exp(-(std::pow(col - s.x, 2) + std::pow(row - s.y, 2)) / (s.r * s.r));
      const int d = int(darker);
      pixels[col] = qRgb(std::max(qRed(pixels[col]) - d / 2, 0), std::max(qGreen(pixels[col]) - d, 0),
                         std::max(qBlue(pixels[col]) - 2 * d, 0));
    }
  }
}

// Short stretches of the frame line, `fraction` of it in all, painted back in paper.
void wearFrameLine(QPainter& painter, std::mt19937& random, const QRectF& frame, double lineWidth, double fraction) {
  const double perimeter = 2 * (frame.width() + frame.height()), gap = 20;
  const int gaps = int(fraction * perimeter / gap);
  std::uniform_real_distribution<double> along(0, perimeter);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(236, 229, 204));
  for (int i = 0; i < gaps; ++i) {
    double a = along(random);
    const double reach = lineWidth;  // just over the line's half width either side
    QRectF cut;
    if (a < frame.width()) cut = QRectF(frame.left() + a, frame.top() - reach, gap, 2 * reach);
    else if ((a -= frame.width()) < frame.height()) cut = QRectF(frame.right() - reach, frame.top() + a, 2 * reach, gap);
    else if ((a -= frame.height()) < frame.width()) cut = QRectF(frame.right() - a - gap, frame.bottom() - reach, gap, 2 * reach);
    else cut = QRectF(frame.left() - reach, frame.bottom() - (a - frame.width()) - gap, 2 * reach, gap);
    painter.drawRect(cut);
  }
}

QImage jpegDamaged(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 60);
  return QImage::fromData(bytes, "JPG").convertToFormat(QImage::Format_RGB32);
}

}  // namespace

FrameScan renderFrameScan(const FrameScanSpec& spec) {
  std::mt19937 random(spec.seed);
  const double width = spec.frameWidth, height = 0.75 * width, margin = spec.marginFraction * width;
  const QRectF frame(0, 0, width, height), sheet = frame.adjusted(-margin, -margin, margin, margin);
  QTransform placed = QTransform::fromTranslate(-width / 2, -height / 2) * QTransform().rotate(spec.skewDegrees) *
                      QTransform::fromScale(spec.scaleAcross, spec.scaleAlong);
  const QRectF bounds = placed.mapRect(sheet);
  placed *= QTransform::fromTranslate(padding - bounds.left(), padding - bounds.top());
  QSize size(int(std::ceil(bounds.width())) + 2 * padding, int(std::ceil(bounds.height())) + 2 * padding);

  QImage fine(size * supersampling, QImage::Format_RGB32);
  fine.fill(QColor(236, 229, 204));
  {
    QPainter painter(&fine);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(placed * QTransform::fromScale(supersampling, supersampling));
    drawMapContent(painter, random, spec, frame);
    drawMargin(painter, random, spec, frame, margin);
    if (spec.frameLineWidth > 0) painter.fillPath(ringAround(frame, spec.frameLineWidth), ink);
    if (spec.frameLineWidth > 0 && spec.lineGaps > 0)
      wearFrameLine(painter, random, frame, spec.frameLineWidth, spec.lineGaps);
    if (spec.borderWidth > 0 && margin > 0)
      painter.fillPath(ringAround(frame.adjusted(-margin / 2, -margin / 2, margin / 2, margin / 2), spec.borderWidth),
                       ink);
  }
  FrameScan scan;
  scan.image = fine.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (spec.unevenPaper) yellowUnevenly(scan.image, random);
  if (spec.blur > 0) blurImage(scan.image, spec.blur);
  addNoise(scan.image, random);
  if (spec.jpegDamage) scan.image = jpegDamaged(scan.image);
  auto corner = [&](QPointF p) {
    p = placed.map(p);
    return FramePoint{p.x(), p.y()};
  };
  scan.corners = {corner(frame.topLeft()), corner(frame.topRight()), corner(frame.bottomRight()),
                  corner(frame.bottomLeft())};
  if (spec.cutAtTop) {
    const int top = int(std::max(scan.corners.topLeft.y, scan.corners.topRight.y)) + 12;
    scan.image = scan.image.copy(0, top, scan.image.width(), scan.image.height() - top);
  }
  return scan;
}

}  // namespace pelmora::testing
