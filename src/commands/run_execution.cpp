// The run's execution: workers take the planned images in run order, each
// rendering a band of whole JPEG block rows at a time into a buffer of its
// own and handing it straight to the encoder, whose bytes go to the image's temporary file. When
// every image is written the index follows, and the whole set is renamed into
// place, the index last; a run that stops leaves the earlier set as it was.
#include "commands/run.h"
#include "commands/world_file.h"
#include "platform/jpeg_encoder.h"
#include "platform/staged_files.h"

#include "base/failure.h"
#include "base/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <malloc.h>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pelmora {
namespace {

// One worker's band of rows, grown to the largest band it has held and
// reused: about a megabyte, or one block row of a wider image; never more
// for a taller image.
class Band {
 public:
  // A band of width × height pixels, white but where `destination` (in band
  // pixels) will be drawn, which the renderer covers whole.
  ImageBuffer prepare(int width, int height, const QRect& destination) {
    const std::ptrdiff_t stride = (std::ptrdiff_t(width) * 3 + 3) & ~std::ptrdiff_t(3);
    const std::size_t bytes = std::size_t(stride) * std::size_t(height);
    if (bytes > memory_.size()) memory_.resize(bytes);
    const ImageBuffer buffer{memory_.data(), width, height, stride, PixelLayout::BGR24};
    whiten(buffer, destination.intersected(QRect(0, 0, width, height)));
    return buffer;
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

  std::vector<std::uint8_t> memory_;
};

// What GIS software reads beside NAME.JPG for its coordinate system.
const QString kAuxSuffix = QStringLiteral(".aux.xml");

// Rows per band: whole JPEG block rows, as many as fit in about a megabyte.
// The renderer's set-up for a call grows with the width and is paid once per
// band; a megabyte still stays in the core's cache from drawing to encoding.
// With threads to spare, each gets rows enough to be worth starting.
int bandRowsFor(int width, int drawThreads) {
  constexpr std::int64_t kBandBytes = std::int64_t(1) << 20;
  const int rows = int(std::min<std::int64_t>(kBandBytes / (std::int64_t(width) * 3), 1 << 16));
  const int blockRows = std::max(1, rows / JpegEncoder::kBandRows);
  return std::max(blockRows * JpegEncoder::kBandRows, drawThreads > 1 ? 32 * drawThreads : 0);
}

std::span<const std::uint8_t> bytesOf(const QByteArray& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.constData()), std::size_t(text.size())};
}

// The files a run on `baseName` writes: its index, its images and their world
// files (and their .aux.xml). Only these are ever cleaned up or removed on
// its behalf.
bool isImageName(const QString& baseName, const QString& name) {
  static const QRegularExpression tail(QStringLiteral("^_[0-9]+\\.JPG$"));
  return name.startsWith(baseName) && tail.match(QStringView(name).mid(baseName.size())).hasMatch();
}
bool isRunFileName(const QString& baseName, const QString& name) {
  static const QRegularExpression tail(QStringLiteral("^(_[0-9]+\\.(JPG|jgw|JPG\\.aux\\.xml)|\\.AR2)$"));
  return name.startsWith(baseName) && tail.match(QStringView(name).mid(baseName.size())).hasMatch();
}

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
        drawThreads_(std::max<int>(1, workers / int(plan.images.size()))) {}

  // One worker: images in run order until none is left, the run is
  // cancelled or another worker failed.
  void work() {
    Band band;
    std::unique_ptr<JpegEncoder> encoder;
    for (;;) {
      const std::size_t index = next_.fetch_add(1);
      if (index >= plan_.images.size() || stopping()) return;
      const PlannedImage& image = plan_.images[index];
      const QString path = QDir(plan_.outputFolder).filePath(image.fileName);
      try {
        if (produce(image, band, encoder)) ++progress_.done;
      } catch (...) {
        stopWith(Failure::fromCurrentException(path));
      }
    }
  }

  // True when the run was cancelled; throws the first failure.
  bool finish() {
    if (failure_) throw *failure_;
    return cancelled_;
  }

 private:
  // Checked between bands, so that a cancel or a failure elsewhere does not
  // wait for a whole image.
  bool stopping() {
    if (stop_.load()) return true;
    if (!progress_.cancelRequested.load()) return false;
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    stop_ = true;
    return true;
  }

  // Writes one image (and its world file) to its temporary file; false when
  // the run stopped meanwhile, the temporary then being removed.
  bool produce(const PlannedImage& image, Band& band, std::unique_ptr<JpegEncoder>& encoder) {
    if (!encoder) {
      encoder = makeEncoder_();
      if (!encoder) throw Failure(messages::cannotEncode());
    }
    const int width = image.pixelWidth, height = image.pixelHeight;
    const QRect destination = image.geometry.destination();
    StagedFile file = staged_.create(image.fileName);
    encoder->start(width, height, PixelLayout::BGR24, plan_.quality);
    const int bandRows = bandRowsFor(width, drawThreads_);
    for (int top = 0; top < height; top += bandRows) {
      if (stopping()) return false;
      const int rows = std::min(bandRows, height - top);
      // The band is the canvas seen from its row `top`: the destination moves up.
      const QRect shifted = destination.translated(0, -top);
      const ImageBuffer buffer = band.prepare(width, rows, shifted);
      drawRaster(source_, buffer, shifted, drawThreads_);
      file.write(encoder->writeRows(buffer.data, rows, buffer.stride));
    }
    file.write(encoder->finish());
    file.finish();
    if (worldFiles_) {
      StagedFile world = staged_.create(worldFileName(image.fileName));
      world.write(bytesOf(worldFileText(image).toUtf8()));
      world.finish();
      if (!plan_.coordinateSystem.isEmpty()) {
        StagedFile aux = staged_.create(image.fileName + kAuxSuffix);
        aux.write(bytesOf(auxXmlText(plan_.coordinateSystem)));
        aux.finish();
      }
    }
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

  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
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

// What the index about to be replaced names; nothing when there is none or
// it cannot be read, and then nothing is removed for it.
QStringList earlierImageNames(const QString& indexPath) {
  if (!QFileInfo(indexPath).isFile()) return {};
  try {
    return indexImageNames(indexPath);
  } catch (const Failure&) {
    return {};
  }
}

// Images the earlier index named that the new one does not: what is left of
// an earlier run with more tiles. Names of any other shape are left alone,
// whatever that index says.
void removeStaleImages(const RunPlan& plan, const QStringList& earlier) {
  QStringList current;
  for (const PlannedImage& image : plan.images) current << image.fileName;
  for (const QString& name : earlier) {
    if (!isImageName(plan.baseName, name) || current.contains(name)) continue;
    ::unlink(QFile::encodeName(QDir(plan.outputFolder).filePath(name)).constData());
  }
}

// The renderer sets up its row buffers afresh at every call, and a band is
// one call: with glibc's defaults each band would hand its few hundred
// kilobytes back to the system and fault them in again (a third more CPU
// time for a run). Freed memory is kept for reuse instead, up to a bound.
void keepFreedMemory() {
  static std::once_flag once;
  std::call_once(once, [] {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
  });
}

}  // namespace

CommandOutcome executeRun(const RunPlan& plan, const RasterSource& source,
                          const JpegEncoderFactory& makeEncoder, int jobs, Progress& progress,
                          bool worldFiles) {
  if (plan.images.empty()) return CommandOutcome::completed();
  if (jobs <= 0) jobs = int(std::max(1u, std::thread::hardware_concurrency()));
  const int workers = std::min<int>(jobs, int(plan.images.size()));
  keepFreedMemory();
  removeLeftoverTemporaries(plan.outputFolder,
                            [&plan](const QString& name) { return isRunFileName(plan.baseName, name); });

  StagedSet staged(plan.outputFolder);
  Execution execution(plan, source, makeEncoder, jobs, progress, worldFiles, staged);
  {
    std::vector<std::jthread> threads;
    threads.reserve(std::size_t(workers - 1));
    try {
      for (int i = 1; i < workers; ++i) threads.emplace_back([&execution] { execution.work(); });
    } catch (const std::system_error&) {
      // Fewer workers than asked for still finish the run.
    }
    execution.work();
  }
  if (execution.finish() || progress.cancelRequested.load()) return runCancelled(plan);

  writeIndex(plan, staged);
  QStringList order;
  for (const PlannedImage& image : plan.images) order << image.fileName;
  if (worldFiles)
    for (const PlannedImage& image : plan.images) {
      order << worldFileName(image.fileName);
      if (!plan.coordinateSystem.isEmpty()) order << image.fileName + kAuxSuffix;
    }
  order << plan.indexFileName;
  const QStringList earlier = earlierImageNames(QDir(plan.outputFolder).filePath(plan.indexFileName));
  staged.commit(order);
  removeStaleImages(plan, earlier);
  QStringList written;
  for (const QString& name : order) written << QDir(plan.outputFolder).filePath(name);
  return CommandOutcome::completed(written);
}

QImage renderImage(const PlannedImage& image, const RasterSource& source, int threads) {
  QImage canvas(image.pixelWidth, image.pixelHeight, QImage::Format_RGB32);
  if (canvas.isNull()) throw std::bad_alloc();
  canvas.fill(Qt::white);
  drawRaster(source, bufferOf(canvas), image.geometry.destination(), threads);
  return canvas;
}

}  // namespace pelmora
