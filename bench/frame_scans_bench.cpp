// Generated sheet scans and the frame finder run on them, for bench/frame.sh.
//
//   frame_scans_bench make OUT.bmp [KEY=VALUE...]
//       renders a scan (tests/support/frame_scans.h) and writes it as a 24-bit
//       BMP, and its true corners to OUT.bmp.truth ("x y" per line: TL, TR,
//       BR, BL). Keys: width (the frame's, before scaling), line, margin,
//       border, skew, across, along, roads (0 or 1), inset, jpeg (0 or 1),
//       blur (sigma in pixels), uneven (0 or 1: yellowed unevenly), gaps (the
//       fraction of the frame line worn away), seed.
//   frame_scans_bench find RASTER TRUTH [REPEATS]
//       opens RASTER as the batch tool does (a BMP in place, anything else
//       decoded first), finds its frame REPEATS times through the module and
//       prints one line:
//         found CORNER_PX POINT_MAX_PX POINT_RMS_PX BEST_SECONDS  x,y x,y x,y x,y
//       or "none BEST_SECONDS REASON".
//   frame_scans_bench straighten RASTER TRUTH [REPEATS]
//       reads every row of the true frame's upright inside on one thread and
//       prints the best time. CORNER_PX is the largest Euclidean
//       distance of a corner from the truth; POINT_* compare the frame's
//       points (pointOfFrame) over a grid of 41 × 41 across and down.
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>

#include "base/failure.h"
#include "frame/frame_corners.h"
#include "frame/frame_finder.h"
#include "upright/straightened_source.h"
#include "raster/raster_opening.h"
#include "support/frame_scans.h"
#include "support/test_rasters.h"

namespace {

using pelmora::FrameCorners;
using pelmora::FramePoint;

constexpr int gridPoints = 41;

// The scan's settings from KEY=VALUE arguments; nothing (after a message) for an unknown
// key or a value that is not a number.
std::optional<pelmora::testing::FrameScanSpec> specOf(int argc, char** argv) {
  pelmora::testing::FrameScanSpec spec;
  const std::map<QString, double*> numbers = {
      {"line", &spec.frameLineWidth}, {"margin", &spec.marginFraction}, {"border", &spec.borderWidth},
      {"skew", &spec.skewDegrees},    {"across", &spec.scaleAcross},    {"along", &spec.scaleAlong},
      {"inset", &spec.roadInset},     {"blur", &spec.blur},             {"gaps", &spec.lineGaps}};
  for (int i = 0; i < argc; ++i) {
    const QString argument = QString::fromLocal8Bit(argv[i]);
    const QString key = argument.section(u'=', 0, 0), text = argument.section(u'=', 1);
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok) {
      std::fprintf(stderr, "frame_scans_bench: not KEY=NUMBER: %s\n", argv[i]);
      return std::nullopt;
    }
    if (auto found = numbers.find(key); found != numbers.end()) *found->second = value;
    else if (key == u"width") spec.frameWidth = int(value);
    else if (key == u"roads") spec.roadsAlongFrame = value != 0;
    else if (key == u"jpeg") spec.jpegDamage = value != 0;
    else if (key == u"uneven") spec.unevenPaper = value != 0;
    else if (key == u"seed") spec.seed = unsigned(value);
    else {
      std::fprintf(stderr, "frame_scans_bench: unknown key %s\n", qPrintable(key));
      return std::nullopt;
    }
  }
  return spec;
}

int make(const QString& out, int argc, char** argv) {
  const auto spec = specOf(argc, argv);
  if (!spec) return 2;
  const auto scan = pelmora::testing::renderFrameScan(*spec);
  pelmora::testing::writeBmp24(out, scan.image);
  QFile truth(out + QStringLiteral(".truth"));
  if (!truth.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "frame_scans_bench: cannot write %s\n", qPrintable(truth.fileName()));
    return 2;
  }
  QTextStream text(&truth);
  text.setRealNumberPrecision(17);
  const FrameCorners& c = scan.corners;
  for (const FramePoint& p : {c.topLeft, c.topRight, c.bottomRight, c.bottomLeft}) text << p.x << ' ' << p.y << '\n';
  std::printf("%s %dx%d\n", qPrintable(out), scan.image.width(), scan.image.height());
  return 0;
}

// The true corners written beside a scan; nothing (after a message) when they
// cannot be read.
std::optional<FrameCorners> readTruth(const QString& path) {
  QFile file(path);
  FramePoint p[4];
  if (file.open(QIODevice::ReadOnly)) {
    QTextStream text(&file);
    for (FramePoint& point : p) text >> point.x >> point.y;
    if (text.status() == QTextStream::Ok) return FrameCorners{p[0], p[1], p[2], p[3]};
  }
  std::fprintf(stderr, "frame_scans_bench: cannot read the corners in %s\n", qPrintable(path));
  return std::nullopt;
}

double distance(FramePoint a, FramePoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

struct Errors {
  double corner = 0, pointMax = 0, pointRms = 0;
};

Errors errorsOf(const FrameCorners& found, const FrameCorners& truth) {
  Errors errors;
  errors.corner = std::max({distance(found.topLeft, truth.topLeft), distance(found.topRight, truth.topRight),
                            distance(found.bottomRight, truth.bottomRight),
                            distance(found.bottomLeft, truth.bottomLeft)});
  double squares = 0;
  for (int i = 0; i < gridPoints; ++i)
    for (int j = 0; j < gridPoints; ++j) {
      const double across = double(i) / (gridPoints - 1), down = double(j) / (gridPoints - 1);
      const double e = distance(pointOfFrame(found, across, down), pointOfFrame(truth, across, down));
      errors.pointMax = std::max(errors.pointMax, e);
      squares += e * e;
    }
  errors.pointRms = std::sqrt(squares / (gridPoints * gridPoints));
  return errors;
}

int find(const QString& raster, const QString& truthPath, int repeats) {
  const auto truth = readTruth(truthPath);
  if (!truth) return 2;
  const pelmora::OpenedRaster opened = pelmora::openRaster(raster);
  pelmora::FrameFound found;
  double best = std::numeric_limits<double>::infinity();
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    found = pelmora::findFrame(*opened.source);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  if (!found.corners) {
    std::printf("none %.4f %s\n", best, qPrintable(found.whyNot));
    return 0;
  }
  const FrameCorners& c = *found.corners;
  const Errors e = errorsOf(c, *truth);
  std::printf("found %.3f %.3f %.3f %.4f ", e.corner, e.pointMax, e.pointRms, best);
  for (const FramePoint& p : {c.topLeft, c.topRight, c.bottomRight, c.bottomLeft}) std::printf(" %.2f,%.2f", p.x, p.y);
  std::printf("\n");
  return 0;
}

// Every row of the straightened inside of the true frame, read on one thread:
// what straightening costs a run, without the run.
int straighten(const QString& raster, const QString& truthPath, int repeats) {
  const auto truth = readTruth(truthPath);
  if (!truth) return 2;
  const pelmora::OpenedRaster opened = pelmora::openRaster(raster);
  double best = std::numeric_limits<double>::infinity();
  unsigned checksum = 0;
  for (int i = 0; i < repeats; ++i) {
    const auto upright = pelmora::straightenedSource(opened.source, *truth);
    std::vector<std::uint8_t> scratch;
    const auto start = std::chrono::steady_clock::now();
    for (int y = 0; y < upright->height(); ++y) checksum += upright->row(y, scratch)[std::size_t(y % upright->width()) * 3];
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("straightened %.4f s (checksum %u)\n", best, checksum);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  try {
    if (command == u"make" && argc >= 3) return make(QFile::decodeName(argv[2]), argc - 3, argv + 3);
    if (command == u"straighten" && (argc == 4 || argc == 5))
      return straighten(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]), argc == 5 ? std::max(1, atoi(argv[4])) : 1);
    if (command == u"find" && (argc == 4 || argc == 5))
      return find(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]), argc == 5 ? std::max(1, atoi(argv[4])) : 1);
  } catch (const pelmora::Failure& failure) {
    std::fprintf(stderr, "frame_scans_bench: %s\n", failure.what());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "frame_scans_bench: %s\n", error.what());
    return 2;
  }
  std::fprintf(stderr,
               "usage: frame_scans_bench make OUT.bmp [KEY=VALUE...]\n"
               "       frame_scans_bench find RASTER TRUTH [REPEATS]\n"
               "       frame_scans_bench straighten RASTER TRUTH [REPEATS]\n");
  return 2;
}
