// The run's execution on hand-built plans: every image holds its own region,
// the canvas beyond the raster is white, the quality reaches the encoder, and
// images rendered and encoded in bands are those of the whole canvas. What a
// run that stops leaves behind: see run_commit_test.cpp.
#include "support/opened_source.h"
#include "raster/raster_opening.h"
#include "commands/run_execution.h"
#include "commands/world_file.h"

#include "base/failure.h"
#include "base/numbers.h"
#include "support/image_raster.h"
#include "support/rendered_image.h"
#include "support/test_rasters.h"
#include "support/turbojpeg_reference.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace pelmora {
namespace {

using testing::decodePosition;
using testing::positionImage;

using ImageSource = testing::ImageRaster;

// Turns the canvas into a file of its own raw pixels (width, height and
// quality first), so that a test sees exactly what the encoder was given.
class RawEncoder final : public JpegEncoder {
 public:
  void start(int width, int height, PixelLayout layout, int quality) override {
    EXPECT_EQ(layout, PixelLayout::BGR24);
    width_ = width;
    last_ = false;
    const int header[3] = {width, height, quality};
    out_.assign(reinterpret_cast<const std::uint8_t*>(header),
                reinterpret_cast<const std::uint8_t*>(header) + sizeof header);
  }
  std::span<const std::uint8_t> writeRows(const std::uint8_t* rows, int count,
                                          std::ptrdiff_t stride) override {
    // Bands are whole block rows but for the last one.
    EXPECT_EQ(last_, false) << "a band after a short one";
    last_ = count % kBandRows != 0;
    for (int y = 0; y < count; ++y) out_.insert(out_.end(), rows + y * stride, rows + y * stride + width_ * 3);
    return take();
  }
  std::span<const std::uint8_t> finish() override { return take(); }

 private:
  std::span<const std::uint8_t> take() {
    taken_.swap(out_);
    out_.clear();
    return taken_;
  }
  int width_ = 0;
  bool last_ = false;
  std::vector<std::uint8_t> out_, taken_;
};

struct RawImage {
  int quality = -1;
  QImage pixels;
};

RawImage readRaw(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  int header[3];
  std::memcpy(header, bytes.constData(), sizeof header);
  QImage pixels(header[0], header[1], QImage::Format_BGR888);
  for (int y = 0; y < header[1]; ++y)
    std::memcpy(pixels.scanLine(y), bytes.constData() + sizeof header + y * header[0] * 3,
                header[0] * 3);
  return {header[2], pixels};
}

// An overview `longSide` pixels long and a rows × columns grid of a w × h
// raster named m.bmp in `folder`, as the registration run plans them.
RunPlan gridPlan(const QString& folder, int w, int h, int rows, int columns, int longSide) {
  CutRequest request;
  request.rows = rows;
  request.columns = columns;
  request.quality = 52;
  request.outputFolder = folder;
  request.overviewSide = float(longSide * kUnitsPerPixel);
  request.corners.upperRightX = h;  // a map unit a pixel
  request.corners.upperRightY = w;
  const RasterDescription raster{QDir(folder).filePath(QStringLiteral("m.bmp")), w, h, float(h * kUnitsPerPixel),
                                 float(w * kUnitsPerPixel)};
  return planRun(raster, request);
}

JpegEncoderFactory rawEncoders() {
  return [] { return std::make_unique<RawEncoder>(); };
}

QStringList temporaries(const QString& folder) {
  return QDir(folder).entryList({QStringLiteral(".*tmp*")}, QDir::Files | QDir::Hidden);
}

// Checks that every canvas pixel the raster covers shows the raster position
// it maps to, and every other pixel is white. Returns the white pixel count.
int checkRegion(const QImage& canvas, const BilGeometry& g, int w, int h) {
  int white = 0;
  for (int py = 0; py < canvas.height(); py += 3)
    for (int px = 0; px < canvas.width(); px += 3) {
      const QRgb pixel = canvas.pixel(px, py);
      const double u = (px + 0.5 - g.x) * w / g.dw - 0.5;
      const double v = (py + 0.5 - g.y) * h / g.dh - 0.5;
      if (px >= g.x + g.dw || py >= g.y + g.dh) {
        EXPECT_EQ(pixel, qRgb(255, 255, 255)) << px << "," << py;
        ++white;
        continue;
      }
      // A pixel blends the raster pixels under its footprint; blends across a
      // multiple of 256 mix the high bits, so those are skipped.
      const double reachX = std::max(1.5, 1.0 * w / g.dw), reachY = std::max(1.5, 1.0 * h / g.dh);
      auto nearWrap = [](double t, double reach) { return std::fmod(t + reach, 256.0) < 2 * reach; };
      if (nearWrap(u, reachX) || nearWrap(v, reachY)) continue;
      const QPoint at = decodePosition(pixel);
      EXPECT_NEAR(at.x(), std::clamp(u, 0.0, w - 1.0), reachX) << px << "," << py;
      EXPECT_NEAR(at.y(), std::clamp(v, 0.0, h - 1.0), reachY) << px << "," << py;
    }
  return white;
}

TEST(RunExecution, EveryImageHoldsItsRegionWithWhiteBeyondTheFarEdge) {
  QTemporaryDir folder;
  const int w = 2000, h = 1500;
  const ImageSource source(positionImage(w, h));
  const RunPlan plan = gridPlan(folder.path(), w, h, 2, 2, 400);
  Progress progress(int(plan.images.size()));

  const CommandOutcome outcome = executeRun(plan, source, rawEncoders(), 2, progress, false);

  EXPECT_TRUE(outcome.isCompleted());
  EXPECT_EQ(progress.done.load(), 5);
  for (std::size_t k = 0; k < plan.images.size(); ++k) {
    const PlannedImage& image = plan.images[k];
    SCOPED_TRACE(image.fileName.toStdString());
    const RawImage raw = readRaw(QDir(folder.path()).filePath(image.fileName));
    EXPECT_EQ(raw.quality, 52);
    ASSERT_EQ(raw.pixels.size(), QSize(image.pixelWidth, image.pixelHeight));
    const int white = checkRegion(raw.pixels, image.geometry, w, h);
    // Only tiles of the last row or column reach beyond the raster.
    const bool farTile = k == 2 || k >= 3;
    EXPECT_EQ(white > 0, farTile);
    // Drawn in bands, each image is what the renderer draws on a whole canvas.
    EXPECT_EQ(testing::renderedImage(image, source).convertToFormat(QImage::Format_BGR888), raw.pixels);
  }
  EXPECT_TRUE(temporaries(folder.path()).isEmpty());
}

TEST(RunExecution, BandsGiveTheBytesOfTheWholeCanvasEncodedAtOnce) {
  // Odd sizes: tiles 3001 pixels wide are cut in bands of 112 rows, the last
  // one short; the overview shrinks the raster, the tiles enlarge it a little.
  QTemporaryDir folder;
  const auto raster = testing::openRasterSource(testing::writeBmp24(folder.filePath("m.bmp"), positionImage(3001, 2001)));
  const RunPlan plan = gridPlan(folder.path(), 3001, 2001, 2, 1, 301);
  Progress progress(int(plan.images.size()));

  executeRun(plan, *raster, makeJpegEncoder, 2, progress, false);

  for (const PlannedImage& image : plan.images) {
    SCOPED_TRACE(image.fileName.toStdString());
    QFile written(QDir(folder.path()).filePath(image.fileName));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    const QImage whole = testing::renderedImage(image, *raster).convertToFormat(QImage::Format_BGR888);
    const std::vector<std::uint8_t> reference = testing::turboJpegBytes(
        whole.constBits(), whole.width(), whole.height(), whole.bytesPerLine(), PixelLayout::BGR24, 52);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), reference);
  }
}

TEST(RunExecution, WritesDecodableJpegsAndWorldFilesWithTheRealEncoder) {
  QTemporaryDir folder;
  const ImageSource source(positionImage(300, 200));
  const RunPlan plan = gridPlan(folder.path(), 300, 200, 2, 3, 120);
  Progress progress(int(plan.images.size()));

  executeRun(plan, source, makeJpegEncoder, 0, progress, true);

  for (const PlannedImage& image : plan.images) {
    const QString path = QDir(folder.path()).filePath(image.fileName);
    EXPECT_EQ(QImage(path, "JPEG").size(), QSize(image.pixelWidth, image.pixelHeight)) << path.toStdString();
    QFile world(QDir(folder.path()).filePath(worldFileName(image.fileName)));
    ASSERT_TRUE(world.open(QIODevice::ReadOnly));
    EXPECT_EQ(world.readAll(), worldFileText(image).toUtf8());
  }
}

// The rows of an image handed to readers a few at a time by a thread of its
// own, as a decoder that reads its file in order gives them; from `failAt` on,
// the decoder's failure instead.
class RowsInSteps final : public RasterSource {
 public:
  RowsInSteps(const QImage& image, int rowsAStep, int failAt = INT_MAX)
      : RasterSource(image.width(), image.height()), image_(image.convertToFormat(QImage::Format_BGR888)) {
    feeder_ = std::thread([this, rowsAStep, failAt] {
      for (int rows = 0;; rows += rowsAStep) {
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        std::lock_guard lock(mutex_);
        released_ = std::min({rows, height(), failAt});
        failed_ = released_ == failAt;
        changed_.notify_all();
        if (released_ == height() || failed_ || stop_) return;
      }
    });
  }
  ~RowsInSteps() override {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    feeder_.join();
  }
  const std::uint8_t* row(int y, std::vector<std::uint8_t>&) const override {
    awaitRows(y + 1);
    return image_.constScanLine(y);
  }
  void awaitDecoded() const override { awaitRows(height()); }

 private:
  void awaitRows(int end) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return end <= released_ || failed_; });
    if (end > released_) throw Failure(QStringLiteral("damaged at row %1").arg(released_ + 1), QStringLiteral("m.png"));
  }
  QImage image_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  int released_ = 0;
  bool failed_ = false, stop_ = false;
  std::thread feeder_;
};

std::map<QString, QByteArray> filesIn(const QString& folder) {
  std::map<QString, QByteArray> files;
  for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
    QFile file(QDir(folder).filePath(name));
    if (file.open(QIODevice::ReadOnly)) files[name] = file.readAll();
  }
  return files;
}

TEST(RunExecution, RowsDecodedInStepsGiveTheSameImagesAndADecodeFailingPartWayCommitsNothing) {
  const QImage image = positionImage(640, 480);
  QTemporaryDir whole, inSteps, failing;
  const RunPlan wholePlan = gridPlan(whole.path(), 640, 480, 2, 3, 200);
  Progress progress(int(wholePlan.images.size()));
  executeRun(wholePlan, ImageSource(image), makeJpegEncoder, 2, progress, false);

  const RowsInSteps slowRows(image, 7);
  executeRun(gridPlan(inSteps.path(), 640, 480, 2, 3, 200), slowRows, makeJpegEncoder, 2, progress, false);
  EXPECT_EQ(filesIn(inSteps.path()), filesIn(whole.path()));
  EXPECT_EQ(filesIn(whole.path()).size(), wholePlan.images.size() + 1);  // and the index

  const RowsInSteps damaged(image, 7, 301);
  try {
    executeRun(gridPlan(failing.path(), 640, 480, 2, 3, 200), damaged, makeJpegEncoder, 2, progress, false);
    ADD_FAILURE() << "the run went on past the decoder's failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.cause(), QStringLiteral("damaged at row 302"));
  }
  EXPECT_TRUE(filesIn(failing.path()).empty());
}

}  // namespace
}  // namespace pelmora
