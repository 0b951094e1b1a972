// The run's execution: workers take the planned images in run order, each
// rendering into a canvas of its own that is reused from image to image,
// encoding it in memory and writing the file whole under its final name.
#include "commands/run.h"
#include "commands/world_file.h"
#include "platform/atomic_file.h"
#include "platform/jpeg_encoder.h"

#include "base/failure.h"

#include <QDir>

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace pelmora {
namespace {

// One worker's canvas, grown to the largest image it has held. Fresh memory
// costs seconds per gigabyte on first touch, so it is allocated once and
// reused rather than allocated per image.
class Canvas {
 public:
  // A white canvas of width × height pixels but where `destination` will be
  // drawn, which is left as it is since the renderer covers all of it.
  ImageBuffer prepare(int width, int height, const QRect& destination) {
    const std::ptrdiff_t stride = (std::ptrdiff_t(width) * 3 + 3) & ~std::ptrdiff_t(3);
    const std::size_t bytes = std::size_t(stride) * std::size_t(height);
    if (bytes > capacity_) {
      memory_.reset();
      capacity_ = 0;
      memory_.reset(allocate(bytes));
      capacity_ = bytes;
    }
    const ImageBuffer buffer{memory_.get(), width, height, stride, PixelLayout::BGR24};
    whiten(buffer, destination.intersected(QRect(0, 0, width, height)));
    return buffer;
  }

  // Hands the canvas over as an image that owns its memory; the next
  // prepare() allocates afresh.
  QImage release(const ImageBuffer& buffer) {
    capacity_ = 0;
    return QImage(memory_.release(), buffer.width, buffer.height, buffer.stride,
                  QImage::Format_BGR888, [](void* memory) { std::free(memory); }, buffer.data);
  }

 private:
  // Canvases of megabytes go on huge pages where the system offers them: a
  // fault per 4 KB page is most of what fresh memory costs on first touch.
  static std::uint8_t* allocate(std::size_t bytes) {
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    void* memory = nullptr;
    if (bytes < kHugePage) {
      memory = std::malloc(bytes);
    } else {
      const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
      if (posix_memalign(&memory, kHugePage, rounded) != 0) memory = nullptr;
      if (memory) madvise(memory, rounded, MADV_HUGEPAGE);  // a hint: failure changes nothing
    }
    if (!memory) throw std::bad_alloc();
    return static_cast<std::uint8_t*>(memory);
  }

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

  struct Free {
    void operator()(std::uint8_t* memory) const { std::free(memory); }
  };
  std::unique_ptr<std::uint8_t, Free> memory_;
  std::size_t capacity_ = 0;
};

class Execution {
 public:
  Execution(const RunPlan& plan, const RasterSource& source, const JpegEncoderFactory& makeEncoder,
            int workers, Progress& progress, bool worldFiles)
      : plan_(plan),
        source_(source),
        makeEncoder_(makeEncoder),
        progress_(progress),
        worldFiles_(worldFiles),
        drawThreads_(std::max<int>(1, workers / int(plan.images.size()))) {}

  // One worker: images in run order until none is left, the run is
  // cancelled or another worker failed.
  void work() {
    Canvas canvas;
    std::unique_ptr<JpegEncoder> encoder;
    while (!stop_.load()) {
      const std::size_t index = next_.fetch_add(1);
      if (index >= plan_.images.size()) return;
      if (progress_.cancelRequested.load()) {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        stop_ = true;
        return;
      }
      const PlannedImage& image = plan_.images[index];
      const QString path = QDir(plan_.outputFolder).filePath(image.fileName);
      try {
        produce(image, path, index + 1 == plan_.images.size(), canvas, encoder);
        ++progress_.done;
      } catch (const Failure& failure) {
        stopWith(Failure(failure.cause(), failure.file().isEmpty() ? path : failure.file()));
      } catch (const std::bad_alloc&) {
        stopWith(Failure(QStringLiteral("メモリが足りません。"), path));
      } catch (const std::exception& error) {
        stopWith(Failure(QString::fromLocal8Bit(error.what()), path));
      } catch (...) {
        stopWith(Failure(QStringLiteral("画像を作成できません。"), path));
      }
    }
  }

  RunOutcome finish() {
    if (failure_) throw *failure_;
    RunOutcome outcome;
    outcome.cancelled = cancelled_;
    outcome.lastImage = std::move(lastImage_);
    return outcome;
  }

 private:
  void produce(const PlannedImage& image, const QString& path, bool last, Canvas& canvas,
               std::unique_ptr<JpegEncoder>& encoder) {
    const QRect destination = image.geometry.destination();
    const ImageBuffer buffer = canvas.prepare(image.pixelWidth, image.pixelHeight, destination);
    drawRaster(source_, buffer, destination, drawThreads_);
    if (!encoder) {
      encoder = makeEncoder_();
      if (!encoder) throw Failure(QStringLiteral("JPEG に変換できません。"));
    }
    writeFileAtomically(path, encoder->encode(buffer.data, buffer.width, buffer.height, buffer.stride,
                                              buffer.layout, plan_.quality));
    if (worldFiles_) {
      const QByteArray text = worldFileText(image).toUtf8();
      writeFileAtomically(
          QDir(plan_.outputFolder).filePath(worldFileName(image.fileName)),
          std::span(reinterpret_cast<const std::uint8_t*>(text.constData()), std::size_t(text.size())));
      if (!plan_.coordinateSystem.isEmpty()) {
        const QByteArray aux = auxXmlText(plan_.coordinateSystem);
        writeFileAtomically(
            QDir(plan_.outputFolder).filePath(image.fileName + QStringLiteral(".aux.xml")),
            std::span(reinterpret_cast<const std::uint8_t*>(aux.constData()), std::size_t(aux.size())));
      }
    }
    if (last) {
      std::lock_guard lock(mutex_);
      lastImage_ = canvas.release(buffer);
    }
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
  const int drawThreads_;

  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::optional<Failure> failure_;
  bool cancelled_ = false;
  QImage lastImage_;
};

}  // namespace

RunOutcome executeRun(const RunPlan& plan, const RasterSource& source,
                      const JpegEncoderFactory& makeEncoder, int jobs, Progress& progress,
                      bool worldFiles) {
  if (plan.images.empty()) return {};
  if (jobs <= 0) jobs = int(std::max(1u, std::thread::hardware_concurrency()));
  const int workers = std::min<int>(jobs, int(plan.images.size()));
  Execution execution(plan, source, makeEncoder, jobs, progress, worldFiles);
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
  return execution.finish();
}

}  // namespace pelmora
