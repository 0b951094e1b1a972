// The run's execution. Every image is drawn top to bottom a step of rows at a
// time and encoded a band of whole JPEG block rows at a time, its bytes going
// straight to the image's temporary file; no image needs a whole canvas.
// The workers always take the image whose next step reads the raster's
// highest rows, so all images move down the raster together and the rows
// they read are read once, into blocks they share. When every image is
// written the index follows, and the set is committed (run_commit.h); a run
// that stops before the commit leaves the earlier set as it was.
#include "base/failure.h"
#include "base/messages.h"
#include "base/threads.h"
#include "commands/image_band.h"
#include "commands/run_execution.h"
#include "commands/world_file.h"
#include "output/edge_mask.h"
#include "output/jpeg_encoder.h"
#include "output/staged_files.h"
#include "raster/row_blocks.h"
#include "render/resample_taps.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pelmora {
namespace {

// Rows per band: whole JPEG block rows, as many as fit in about 256 KB, which
// stay in the core's cache from drawing to encoding; larger bands measured
// no faster and hold more raster rows in memory at once (and fresh memory
// costs a fault for every page). With threads to spare, each gets rows
// enough to be worth starting.
int bandRowsFor(int width, int drawThreads) {
  constexpr std::int64_t kBandBytes = std::int64_t(1) << 18;
  const int rows = int(std::min<std::int64_t>(kBandBytes / (std::int64_t(width) * 3), 1 << 16));
  const int blockRows = std::max(1, rows / JpegEncoder::kBandRows);
  return std::max(blockRows * JpegEncoder::kBandRows, drawThreads > 1 ? 32 * drawThreads : 0);
}

std::size_t largestBandBytes(const RunPlan& plan, int drawThreads) {
  std::size_t largest = 0;
  for (const PlannedImage& image : plan.images)
    largest = std::max(largest, std::size_t(ImageBand::strideOf(image.pixelWidth)) *
                                    std::size_t(bandRowsFor(image.pixelWidth, drawThreads)));
  return largest;
}

std::span<const std::uint8_t> bytesOf(const QByteArray& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.constData()), std::size_t(text.size())};
}

// An image that shrinks the raster reads many of its rows for each of its
// own: its steps are held to about this many raster rows, so that the rows
// all images share stay few.
constexpr double kStepSourceRows = 64;

// Raster rows held in blocks beyond those in use: the images of a row of
// tiles take a few hundred rows at most, however wide the raster.
constexpr std::size_t kSharedRowBytes = std::size_t(48) << 20;

// Images of a grid row begun at once, each with an open file: a grid wider
// than this finishes some before it begins the others.
constexpr std::size_t kMaxOpenImages = 256;

// One image on its way down the raster: drawn a step at a time, encoded a band at a time.
struct ImageInProgress {
  const PlannedImage* planned = nullptr;
  int bandRows = 0;  // whole block rows encoded at once
  int stepRows = 0;  // rows drawn at once: the band, or fewer (see kStepSourceRows)
  int nextRow = 0;   // rows drawn so far
  SourceRows nextRows;  // the raster rows its next step reads
  int key = 0;       // where it stands: the first of them (see planNextStep)
  int takenKey = 0;  // the key when a worker took it for a step
  std::unique_ptr<JpegEncoder> encoder;  // with `file`, while the image is begun
  std::optional<StagedFile> file;
  ImageBand band;  // when steps are smaller than bands
};

class Execution {
 public:
  Execution(const RunPlan& plan, const RasterSource& source, const JpegEncoderFactory& makeEncoder,
            int workers, Progress& progress, bool worldFiles, StagedSet& staged)
      : plan_(plan),
        source_(source),
        makeEncoder_(makeEncoder),
        progress_(progress),
        worldFiles_(worldFiles),
        staged_(staged),
        drawThreads_(std::max<int>(1, workers / int(plan.images.size()))),
        blocks_(source, kSharedRowBytes),
        bandMemory_(largestBandBytes(plan, drawThreads_)),
        aheadRows_(std::max(int(2 * kStepSourceRows),
                            int(kSharedRowBytes / 2 / (std::size_t(source.width()) * 3 + 1)))),
        images_(plan.images.size()) {
    for (std::size_t i = 0; i < images_.size(); ++i) {
      ImageInProgress& image = images_[i];
      image.planned = &plan.images[i];
      image.bandRows = bandRowsFor(image.planned->pixelWidth, drawThreads_);
      image.stepRows = stepRowsFor(*image.planned, image.bandRows);
      planNextStep(image);
      waiting_.insert({image.key, i});
    }
  }

  // One worker: a step of the image whose next rows lie highest in the
  // raster, then the next, until every image is done, the run is cancelled
  // or a step failed.
  void work() {
    ImageBand band;
    while (ImageInProgress* image = take()) {
      bool done = false;
      try {
        done = step(*image, band);
      } catch (...) {
        stopWith(Failure::fromCurrentException(
            plan_.set.pathOf(image->planned->fileName)));
      }
      putBack(*image, done);
    }
  }

  // True when the run was cancelled; throws the first failure.
  bool finish() {
    failure_.rethrow();
    return cancelled_;
  }

 private:
  using Entry = std::pair<int, std::size_t>;  // key, image

  int stepRowsFor(const PlannedImage& image, int bandRows) const {
    if (!averagesArea(source_.height(), image.geometry.dh)) return bandRows;
    const double rasterRowsPerRow = double(source_.height()) / double(image.geometry.dh);
    return std::clamp(int(kStepSourceRows / rasterRowsPerRow), 1, bandRows);
  }

  // The rows [nextRow, nextRow + count) the image draws next: a step, ending
  // at its band's end.
  static int nextStepRows(const ImageInProgress& image) {
    const int bandEnd = std::min(image.planned->pixelHeight,
                                 (image.nextRow / image.bandRows + 1) * image.bandRows);
    return std::min(image.stepRows, bandEnd - image.nextRow);
  }

  // The destination seen from the image's next row, which is the top of
  // what it draws next.
  static QRect shiftedDestination(const ImageInProgress& image) {
    return image.planned->geometry.destination().translated(0, -image.nextRow);
  }

  SourceRows rowsRead(const ImageInProgress& image, int count) const {
    return sourceRowsRead(source_.width(), source_.height(), image.planned->pixelWidth, count,
                          shiftedDestination(image));
  }

  // The raster rows the image's next step reads, and where it stands in
  // the raster: the first of them, or, when it reads none there, 0 above the
  // raster and its height below.
  void planNextStep(ImageInProgress& image) const {
    image.nextRows = rowsRead(image, nextStepRows(image));
    if (!image.nextRows.empty())
      image.key = image.nextRows.first;
    else
      image.key = image.nextRow < image.planned->geometry.y ? 0 : source_.height();
  }

  // The first raster row that an image not yet done still reads.
  int lowestKey() const {
    int lowest = source_.height();
    if (!waiting_.empty()) lowest = std::min(lowest, waiting_.begin()->first);
    if (!inStep_.empty()) lowest = std::min(lowest, *inStep_.begin());
    return lowest;
  }

  // The waiting image that reads the highest rows, begun or not while fewer
  // than kMaxOpenImages are, else the highest begun one; none that reads far
  // below the others, whose rows would not stay in memory until they need
  // them. Null when the run is over for this worker: stopped, or every image
  // left is in another worker's step (they are fewer than the other workers,
  // and stay so). Waits while the images left may not be taken yet.
  ImageInProgress* take() {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (stopping() || waiting_.empty()) return nullptr;
      std::optional<Entry> chosen;
      const Entry highest = *waiting_.begin();
      if (images_[highest.second].file || open_ < kMaxOpenImages)
        chosen = highest;
      else if (!beganWaiting_.empty())
        chosen = *beganWaiting_.begin();
      if (chosen && chosen->first - lowestKey() > aheadRows_) chosen.reset();
      if (chosen) {
        waiting_.erase(*chosen);
        beganWaiting_.erase(*chosen);
        ImageInProgress& image = images_[chosen->second];
        if (!image.file) ++open_;
        image.takenKey = image.key;
        inStep_.insert(image.key);
        return &image;
      }
      changed_.wait(lock);
    }
  }

  // Back under the lock after a step: waiting again, or done; the rows no
  // image reads any more are let go.
  void putBack(ImageInProgress& image, bool done) {
    std::lock_guard lock(mutex_);
    inStep_.erase(inStep_.find(image.takenKey));
    const std::size_t index = std::size_t(&image - images_.data());
    if (done) {
      --open_;
    } else if (!stopping()) {
      waiting_.insert({image.key, index});
      if (image.file) beganWaiting_.insert({image.key, index});
    }
    blocks_.releaseBelow(lowestKey());
    changed_.notify_all();
  }

  // Draws the image's next step, encodes its band when full and ends the
  // image after its last row; true when the image is done (or dropped after
  // a failure of the step).
  bool step(ImageInProgress& image, ImageBand& workerBand) {
    const PlannedImage& planned = *image.planned;
    if (!image.file) begin(image);
    const int count = nextStepRows(image);
    const int bandTop = image.nextRow / image.bandRows * image.bandRows;
    const bool ownBand = image.stepRows < image.bandRows;
    ImageBand& band = ownBand ? image.band : workerBand;
    const int from = ownBand ? image.nextRow - bandTop : 0;
    const QRect shifted = shiftedDestination(image);
    const ImageBuffer buffer = band.prepare(bandMemory_, planned.pixelWidth, from, count, shifted);
    {
      const RowBlocks::Pinned pinned(blocks_, image.nextRows.first, image.nextRows.end);
      drawRaster(pinned, buffer, shifted, drawThreads_);
    }
    image.nextRow += count;
    const bool bandFull = image.nextRow == planned.pixelHeight ||
                          image.nextRow - bandTop == image.bandRows;
    if (bandFull)
      image.file->write(image.encoder->writeRows(band.data(), image.nextRow - bandTop,
                                                   ImageBand::strideOf(planned.pixelWidth)));
    if (image.nextRow < planned.pixelHeight) {
      planNextStep(image);
      return false;
    }
    end(image);
    return true;
  }

  void begin(ImageInProgress& image) {
    {
      std::lock_guard lock(mutex_);
      if (!spareEncoders_.empty()) {
        image.encoder = std::move(spareEncoders_.back());
        spareEncoders_.pop_back();
      }
    }
    if (!image.encoder) image.encoder = makeEncoder_();
    if (!image.encoder) throw Failure(messages::cannotEncode());
    image.file.emplace(staged_.create(image.planned->fileName));
    image.encoder->start(image.planned->pixelWidth, image.planned->pixelHeight, PixelLayout::BGR24,
                          plan_.quality);
  }

  void end(ImageInProgress& image) {
    const PlannedImage& planned = *image.planned;
    image.file->write(image.encoder->finish());
    image.file->finish();
    image.file.reset();
    {
      std::lock_guard lock(mutex_);
      spareEncoders_.push_back(std::move(image.encoder));
    }
    image.band.release();
    if (worldFiles_) {
      StagedFile world = staged_.create(worldFileName(planned.fileName));
      world.write(bytesOf(worldFileText(planned).toUtf8()));
      world.finish();
      if (!plan_.coordinateSystem.isEmpty()) {
        StagedFile aux = staged_.create(auxFileName(planned.fileName));
        aux.write(bytesOf(auxXmlText(plan_.coordinateSystem)));
        aux.finish();
      }
      if (planned.reachesPastSheet()) {
        const QString name = maskFileName(planned.fileName);
        const ValidCorner valid{planned.pixelWidth, planned.pixelHeight, planned.pixelWidth - planned.pastColumns,
                                planned.pixelHeight - planned.pastRows};
        StagedFile mask = staged_.create(name);
        mask.write(bytesOf(edgeMaskTiff(valid, plan_.set.pathOf(name))));
        mask.finish();
      }
    }
    ++progress_.done;
  }

  // Checked before every step, so that a cancel or a failure elsewhere does
  // not wait for a whole image. Under the lock.
  bool stopping() {
    if (stop_) return true;
    if (!progress_.cancelRequested.load()) return false;
    cancelled_ = true;
    stop_ = true;
    return true;
  }

  void stopWith(Failure failure) {
    failure_.keep(std::make_exception_ptr(std::move(failure)));
    std::lock_guard lock(mutex_);
    stop_ = true;
  }

  const RunPlan& plan_;
  const RasterSource& source_;
  const JpegEncoderFactory& makeEncoder_;
  Progress& progress_;
  const bool worldFiles_;
  StagedSet& staged_;
  const int drawThreads_;
  RowBlocks blocks_;
  HugePageSlots bandMemory_;  // for the bands: the workers' and the images' own
  // How far below the lowest image another may read: half the shared rows.
  const int aheadRows_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ImageInProgress> images_;
  std::set<Entry> waiting_;       // images no worker holds, by key
  std::set<Entry> beganWaiting_;  // those of them begun
  std::multiset<int> inStep_;     // the keys of the images in a step
  std::size_t open_ = 0;          // images begun and not done
  std::vector<std::unique_ptr<JpegEncoder>> spareEncoders_;
  bool stop_ = false;
  FirstFailure failure_;
  bool cancelled_ = false;
};

void writeIndex(const RunPlan& plan, StagedSet& staged) {
  StagedFile index = staged.create(plan.set.indexFileName());
  QByteArray lines;
  for (const PlannedImage& image : plan.images) lines += indexLineBytes(image.record);
  index.write(bytesOf(lines));
  index.finish();
}

}  // namespace

CommandOutcome executeRun(const RunPlan& plan, const RasterSource& source, const JpegEncoderFactory& makeEncoder,
                          int workers, Progress& progress, bool worldFiles) {
  if (plan.images.empty()) return CommandOutcome::completed();
  if (workers <= 0) workers = int(std::max(1u, std::thread::hardware_concurrency()));
  plan.set.finishInterruptedCommit();
  plan.set.removeLeftovers();

  StagedSet staged(plan.set.folder());
  Execution execution(plan, source, makeEncoder, workers, progress, worldFiles, staged);
  // Workers take images from a shared queue: fewer than asked for still finish the run.
  runOnThreads(std::min<int>(workers, int(plan.images.size())), [&execution](int) { execution.work(); },
               PartsWithoutThread::skipped);
  if (execution.finish() || progress.cancelRequested.load()) return cancelledRun(plan);
  // Images may have been cut while the raster was still decoding; a decoding
  // that failed after the rows they read stops the run all the same.
  source.awaitDecoded();

  writeIndex(plan, staged);
  QStringList masked;
  for (const PlannedImage& image : plan.images)
    if (image.reachesPastSheet()) masked << image.fileName;
  const std::vector<CommitStep> steps =
      plan.set.commitSteps(plan.imageNames(), worldFiles, !plan.coordinateSystem.isEmpty(), masked);
  staged.commit(steps, plan.set.journalName());
  QStringList written;
  for (const CommitStep& step : steps)
    if (step.kind == CommitStep::Kind::put) written << plan.set.pathOf(step.name);
  return CommandOutcome::completed(written);
}

CommandOutcome cancelledRun(const RunPlan& plan) {
  return CommandOutcome::cancelled(messages::runCancelled(), plan.set.indexPath());
}

}  // namespace pelmora
