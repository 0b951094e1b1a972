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
#include "commands/run.h"
#include "commands/run_commit.h"
#include "commands/world_file.h"
#include "output/jpeg_encoder.h"
#include "output/staged_files.h"
#include "raster/huge_page_slots.h"
#include "raster/row_blocks.h"
#include "render/resample_taps.h"

#include <QDir>

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

// Rows of an image on their way to the encoder: about 256 KB, or one block
// row of a wider image; never more for a taller image. Its memory is a slot
// of the run's, taken when first drawn into and kept until released.
class Band {
 public:
  Band() = default;
  Band(const Band&) = delete;
  Band& operator=(const Band&) = delete;
  ~Band() { release(); }

  // Rows [from, from + count) of a band `width` pixels wide, white but where
  // `destination` (in pixels of those rows) will be drawn, which the renderer
  // covers whole. Rows above `from` keep what was drawn there.
  ImageBuffer prepare(HugePageSlots& memory, int width, int from, int count,
                      const QRect& destination) {
    if (!slot_) {
      slot_ = memory.acquire();
      memory_ = &memory;
    }
    const std::ptrdiff_t stride = strideOf(width);
    const ImageBuffer buffer{slot_ + stride * from, width, count, stride, PixelLayout::BGR24};
    whiten(buffer, destination.intersected(QRect(0, 0, width, count)));
    return buffer;
  }

  void release() {
    if (slot_) memory_->release(slot_);
    slot_ = nullptr;
  }

  const std::uint8_t* data() const { return slot_; }
  static std::ptrdiff_t strideOf(int width) {
    return (std::ptrdiff_t(width) * 3 + 3) & ~std::ptrdiff_t(3);
  }

 private:
  static void whiten(const ImageBuffer& buffer, const QRect& drawn) {
    const std::size_t rowBytes = std::size_t(buffer.width) * 3;
    for (int y = 0; y < buffer.height; ++y) {
      std::uint8_t* row = buffer.data + buffer.stride * y;
      if (drawn.isEmpty() || y < drawn.top() || y > drawn.bottom()) {
        std::memset(row, 0xFF, rowBytes);
        continue;
      }
      std::memset(row, 0xFF, std::size_t(drawn.left()) * 3);
      const std::size_t right = std::size_t(drawn.right() + 1) * 3;
      std::memset(row + right, 0xFF, rowBytes - right);
    }
  }

  HugePageSlots* memory_ = nullptr;
  std::uint8_t* slot_ = nullptr;
};

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
    largest = std::max(largest, std::size_t(Band::strideOf(image.pixelWidth)) *
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
  const PlannedImage* image = nullptr;
  int bandRows = 0;  // whole block rows encoded at once
  int stepRows = 0;  // rows drawn at once: the band, or fewer (see kStepSourceRows)
  int nextRow = 0;   // rows drawn so far
  SourceRows nextRows;  // the raster rows its next step reads
  int key = 0;       // where it stands: the first of them (see planNextStep)
  int takenKey = 0;  // the key when a worker took it for a step
  std::unique_ptr<JpegEncoder> encoder;  // with `file`, while the image is begun
  std::optional<StagedFile> file;
  Band band;  // when steps are smaller than bands
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
        streams_(plan.images.size()) {
    for (std::size_t i = 0; i < streams_.size(); ++i) {
      ImageInProgress& stream = streams_[i];
      stream.image = &plan.images[i];
      stream.bandRows = bandRowsFor(stream.image->pixelWidth, drawThreads_);
      stream.stepRows = stepRowsFor(*stream.image, stream.bandRows);
      planNextStep(stream);
      waiting_.insert({stream.key, i});
    }
  }

  // One worker: a step of the image whose next rows lie highest in the
  // raster, then the next, until every image is done, the run is cancelled
  // or a step failed.
  void work() {
    Band band;
    while (ImageInProgress* stream = take()) {
      bool done = false;
      try {
        done = step(*stream, band);
      } catch (...) {
        stopWith(Failure::fromCurrentException(
            QDir(plan_.outputFolder).filePath(stream->image->fileName)));
      }
      putBack(*stream, done);
    }
  }

  // True when the run was cancelled; throws the first failure.
  bool finish() {
    if (failure_) throw *failure_;
    return cancelled_;
  }

 private:
  using Entry = std::pair<int, std::size_t>;  // key, image

  int stepRowsFor(const PlannedImage& image, int bandRows) const {
    if (!averagesArea(source_.height(), image.geometry.dh)) return bandRows;
    const double rasterRowsPerRow = double(source_.height()) / double(image.geometry.dh);
    return std::clamp(int(kStepSourceRows / rasterRowsPerRow), 1, bandRows);
  }

  // The rows [nextRow, nextRow + count) the stream draws next: a step, ending
  // at its band's end.
  static int nextStepRows(const ImageInProgress& stream) {
    const int bandEnd = std::min(stream.image->pixelHeight,
                                 (stream.nextRow / stream.bandRows + 1) * stream.bandRows);
    return std::min(stream.stepRows, bandEnd - stream.nextRow);
  }

  // The destination seen from the stream's next row, which is the top of
  // what it draws next.
  static QRect shiftedDestination(const ImageInProgress& stream) {
    return stream.image->geometry.destination().translated(0, -stream.nextRow);
  }

  SourceRows rowsRead(const ImageInProgress& stream, int count) const {
    return sourceRowsRead(source_.width(), source_.height(), stream.image->pixelWidth, count,
                          shiftedDestination(stream));
  }

  // The raster rows the stream's next step reads, and where it stands in
  // the raster: the first of them, or, when it reads none there, 0 above the
  // raster and its height below.
  void planNextStep(ImageInProgress& stream) const {
    stream.nextRows = rowsRead(stream, nextStepRows(stream));
    if (!stream.nextRows.empty())
      stream.key = stream.nextRows.first;
    else
      stream.key = stream.nextRow < stream.image->geometry.y ? 0 : source_.height();
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
      if (streams_[highest.second].file || open_ < kMaxOpenImages)
        chosen = highest;
      else if (!beganWaiting_.empty())
        chosen = *beganWaiting_.begin();
      if (chosen && chosen->first - lowestKey() > aheadRows_) chosen.reset();
      if (chosen) {
        waiting_.erase(*chosen);
        beganWaiting_.erase(*chosen);
        ImageInProgress& stream = streams_[chosen->second];
        if (!stream.file) ++open_;
        stream.takenKey = stream.key;
        inStep_.insert(stream.key);
        return &stream;
      }
      changed_.wait(lock);
    }
  }

  // Back under the lock after a step: waiting again, or done; the rows no
  // image reads any more are let go.
  void putBack(ImageInProgress& stream, bool done) {
    std::lock_guard lock(mutex_);
    inStep_.erase(inStep_.find(stream.takenKey));
    const std::size_t index = std::size_t(&stream - streams_.data());
    if (done) {
      --open_;
    } else if (!stopping()) {
      waiting_.insert({stream.key, index});
      if (stream.file) beganWaiting_.insert({stream.key, index});
    }
    blocks_.releaseBelow(lowestKey());
    changed_.notify_all();
  }

  // Draws the stream's next step, encodes its band when full and ends the
  // image after its last row; true when the image is done (or dropped after
  // a failure of the step).
  bool step(ImageInProgress& stream, Band& workerBand) {
    const PlannedImage& image = *stream.image;
    if (!stream.file) begin(stream);
    const int count = nextStepRows(stream);
    const int bandTop = stream.nextRow / stream.bandRows * stream.bandRows;
    const bool ownBand = stream.stepRows < stream.bandRows;
    Band& band = ownBand ? stream.band : workerBand;
    const int from = ownBand ? stream.nextRow - bandTop : 0;
    const QRect shifted = shiftedDestination(stream);
    const ImageBuffer buffer = band.prepare(bandMemory_, image.pixelWidth, from, count, shifted);
    {
      const RowBlocks::Pinned pinned(blocks_, stream.nextRows.first, stream.nextRows.end);
      drawRaster(pinned, buffer, shifted, drawThreads_);
    }
    stream.nextRow += count;
    const bool bandFull = stream.nextRow == image.pixelHeight ||
                          stream.nextRow - bandTop == stream.bandRows;
    if (bandFull)
      stream.file->write(stream.encoder->writeRows(band.data(), stream.nextRow - bandTop,
                                                   Band::strideOf(image.pixelWidth)));
    if (stream.nextRow < image.pixelHeight) {
      planNextStep(stream);
      return false;
    }
    end(stream);
    return true;
  }

  void begin(ImageInProgress& stream) {
    {
      std::lock_guard lock(mutex_);
      if (!spareEncoders_.empty()) {
        stream.encoder = std::move(spareEncoders_.back());
        spareEncoders_.pop_back();
      }
    }
    if (!stream.encoder) stream.encoder = makeEncoder_();
    if (!stream.encoder) throw Failure(messages::cannotEncode());
    stream.file.emplace(staged_.create(stream.image->fileName));
    stream.encoder->start(stream.image->pixelWidth, stream.image->pixelHeight, PixelLayout::BGR24,
                          plan_.quality);
  }

  void end(ImageInProgress& stream) {
    const PlannedImage& image = *stream.image;
    stream.file->write(stream.encoder->finish());
    stream.file->finish();
    stream.file.reset();
    {
      std::lock_guard lock(mutex_);
      spareEncoders_.push_back(std::move(stream.encoder));
    }
    stream.band.release();
    if (worldFiles_) {
      StagedFile world = staged_.create(worldFileName(image.fileName));
      world.write(bytesOf(worldFileText(image).toUtf8()));
      world.finish();
      if (!plan_.coordinateSystem.isEmpty()) {
        StagedFile aux = staged_.create(auxFileName(image.fileName));
        aux.write(bytesOf(auxXmlText(plan_.coordinateSystem)));
        aux.finish();
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
    std::lock_guard lock(mutex_);
    if (!failure_) failure_ = std::move(failure);
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
  std::vector<ImageInProgress> streams_;
  std::set<Entry> waiting_;       // images no worker holds, by key
  std::set<Entry> beganWaiting_;  // those of them begun
  std::multiset<int> inStep_;     // the keys of the images in a step
  std::size_t open_ = 0;          // images begun and not done
  std::vector<std::unique_ptr<JpegEncoder>> spareEncoders_;
  bool stop_ = false;
  std::optional<Failure> failure_;
  bool cancelled_ = false;
};

void writeIndex(const RunPlan& plan, StagedSet& staged) {
  StagedFile index = staged.create(plan.indexFileName);
  QByteArray lines;
  for (const PlannedImage& image : plan.images) lines += indexLineBytes(image.record);
  index.write(bytesOf(lines));
  index.finish();
}

}  // namespace

CommandOutcome executeRun(const RunPlan& plan, const RasterSource& source,
                          const JpegEncoderFactory& makeEncoder, int jobs, Progress& progress,
                          bool worldFiles) {
  if (plan.images.empty()) return CommandOutcome::completed();
  if (jobs <= 0) jobs = int(std::max(1u, std::thread::hardware_concurrency()));
  const int workers = std::min<int>(jobs, int(plan.images.size()));
  finishCommitOf(plan.outputFolder, plan.baseName);
  removeLeftoverTemporaries(plan.outputFolder, [&plan](const QString& name) {
    return isRunFileName(plan.baseName, name) || name == journalNameFor(plan.baseName);
  });

  StagedSet staged(plan.outputFolder);
  Execution execution(plan, source, makeEncoder, jobs, progress, worldFiles, staged);
  // Workers take images from a shared queue: fewer than asked for still finish the run.
  runOnThreads(workers, [&execution](int) { execution.work(); }, PartsWithoutThread::skipped);
  if (execution.finish() || progress.cancelRequested.load()) return cancelledRun(plan);
  // Images may have been cut while the raster was still decoding; a decoding
  // that failed after the rows they read stops the run all the same.
  source.awaitDecoded();

  writeIndex(plan, staged);
  const std::vector<CommitStep> steps = commitSteps(plan, worldFiles);
  staged.commit(steps, journalNameFor(plan.baseName));
  QStringList written;
  for (const CommitStep& step : steps)
    if (step.kind == CommitStep::Kind::put) written << QDir(plan.outputFolder).filePath(step.name);
  return CommandOutcome::completed(written);
}

}  // namespace pelmora
