#include "raster/gdal/decoder.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <thread>

#include "base/file_io.h"
#include "base/messages.h"
#include "base/progress.h"
#include "base/system_errors.h"
#include "raster/gdal/gdal_setup.h"
#include "raster/gdal/jpeg_rows.h"
#include "raster/gdal/png_rows.h"

namespace pelmora {

Decoder::Decoder(QString path, Dataset first, const PixelPlan& plan, int fd, Progress* progress)
    : path_(std::move(path)), first_(std::move(first)), plan_(plan), fd_(fd), progress_(progress) {
  width_ = GDALGetRasterXSize(first_.handle);
  height_ = GDALGetRasterYSize(first_.handle);
  rowBytes_ = std::size_t(width_) * 3;
  int blockWidth = 0, blockHeight = 0;
  GDALGetBlockSize(GDALGetRasterBand(first_.handle, 1), &blockWidth, &blockHeight);
  blockHeight = std::clamp(blockHeight, 1, height_);
  // Whole block rows, so that no block is decoded twice, of about 4 MB of
  // output at a time; a block row of a quarter gigabyte or more (one strip
  // for the whole raster) is read in parts instead.
  const std::size_t rowsInBudget = std::max<std::size_t>(1, (std::size_t(4) << 20) / rowBytes_);
  const std::size_t rowsAtMost = std::max<std::size_t>(1, (std::size_t(256) << 20) / rowBytes_);
  std::size_t rows = std::max<std::size_t>(1, rowsInBudget / std::size_t(blockHeight)) *
                     std::size_t(blockHeight);
  if (rows > rowsAtMost) rows = rowsInBudget;
  chunkRows_ = int(std::min<std::size_t>(rows, std::size_t(height_)));
  chunks_ = (height_ + chunkRows_ - 1) / chunkRows_;
  chunkDone_.assign(std::size_t(chunks_), false);
  // TIFF blocks and JPEG 2000 tiles are compressed one by one: any thread
  // can start anywhere. Other formats (PNG, JPEG) and a JPEG 2000 of one
  // tile decode from the start: one reader in file order.
  const char* driver = GDALGetDriverShortName(GDALGetDatasetDriver(first_.handle));
  const bool anyOrder = driver && (std::strcmp(driver, "GTiff") == 0 ||
                                   (std::strcmp(driver, "JP2OpenJPEG") == 0 && blockHeight < height_));
  threads_ = anyOrder ? int(std::clamp(std::thread::hardware_concurrency(), 1u, 16u)) : 1;
  threads_ = std::min(threads_, chunks_);
  // A JPEG or a PNG of three channels or gray is decoded by its own library,
  // in file order.
  if (driver && (plan_.channels == Channels::Rgb || (plan_.channels == Channels::Lookup && plan_.grayLookup))) {
    if (std::strcmp(driver, "JPEG") == 0) rowDecoder_ = openJpegRows(path_);
    if (std::strcmp(driver, "PNG") == 0) rowDecoder_ = openPngRows(path_);
    if (rowDecoder_ && (rowDecoder_->width() != width_ || rowDecoder_->height() != height_))
      rowDecoder_.reset();
  }
}

bool Decoder::run() {
  // The chunks go to whichever thread asks next: the threads the system
  // gives decode them all.
  runOnThreads(threads_, [this](int i) { work(i == 0 ? first_.handle : nullptr); },
               PartsWithoutThread::skipped);
  std::lock_guard lock(mutex_);
  finished_ = true;
  decoded_.notify_all();
  failure_.rethrow();
  return !cancelled_;
}

void Decoder::runBehind() {
  try {
    run();
  } catch (...) {
    // The decoding's own failure is kept already; any other (no memory for
    // the threads) becomes the readers' too, rather than ending the process.
    stopWithCurrent();
  }
}

void Decoder::stop() {
  std::lock_guard lock(mutex_);
  stop_ = true;
}

void Decoder::awaitRows(int end) {
  if (end <= readyRows_.load(std::memory_order_acquire)) return;
  std::unique_lock lock(mutex_);
  decoded_.wait(lock, [&] {
    return end <= readyRows_.load(std::memory_order_relaxed) || failure_.any() || finished_;
  });
  if (end <= readyRows_.load(std::memory_order_relaxed)) return;
  failure_.rethrow();
  throw std::logic_error("rows read from a decoding that was stopped");
}

void Decoder::throwFailure() { failure_.rethrow(); }

void Decoder::work(GDALDatasetH given) {
  try {
    std::optional<Dataset> own;
    if (!given) {
      own.emplace(openDataset(path_));
      given = own->handle;
    }
    std::vector<std::uint8_t> out(rowBytes_ * std::size_t(chunkRows_));
    std::vector<std::uint8_t> in(plan_.channels == Channels::Rgb ? 0
                                 : std::size_t(width_) * std::size_t(chunkRows_) *
                                       (plan_.channels == Channels::Rgba ? 4 : 1));
    for (;;) {
      const int chunk = nextChunk();
      if (chunk < 0) return;
      const int top = chunk * chunkRows_;
      const int rows = std::min(chunkRows_, height_ - top);
      decode(given, top, rows, in.data(), out.data());
      write(out.data(), std::size_t(rows) * rowBytes_, std::int64_t(top) * std::int64_t(rowBytes_));
      written(chunk, rows);
    }
  } catch (...) {
    stopWithCurrent();
  }
}

int Decoder::nextChunk() {
  std::lock_guard lock(mutex_);
  if (progress_ && progress_->cancelRequested.load()) {
    cancelled_ = true;
    stop_ = true;
  }
  if (stop_ || next_ >= chunks_) return -1;
  return next_++;
}

void Decoder::written(int chunk, int rows) {
  std::lock_guard lock(mutex_);
  chunkDone_[std::size_t(chunk)] = true;
  while (firstUndone_ < chunks_ && chunkDone_[std::size_t(firstUndone_)]) ++firstUndone_;
  readyRows_.store(std::min(height_, firstUndone_ * chunkRows_), std::memory_order_release);
  rowsDone_ += rows;
  if (progress_) progress_->done = int(rowsDone_ * progress_->total / height_);
  decoded_.notify_all();
}

void Decoder::decode(GDALDatasetH dataset, int top, int rows, std::uint8_t* in, std::uint8_t* out) {
  if (rowDecoder_) return rowDecoder_->read(rows, out);  // one thread, chunks in order: `top` is the next row
  CPLErrorReset();
  CPLErr result;
  const std::size_t pixels = std::size_t(width_) * std::size_t(rows);
  if (plan_.channels == Channels::Rgb) {
    int order[3] = {3, 2, 1};
    result = GDALDatasetRasterIO(dataset, GF_Read, 0, top, width_, rows, out, width_, rows,
                                 GDT_Byte, 3, order, 3, GSpacing(rowBytes_), 1);
  } else if (plan_.channels == Channels::Rgba) {
    int order[4] = {3, 2, 1, 4};
    result = GDALDatasetRasterIO(dataset, GF_Read, 0, top, width_, rows, in, width_, rows,
                                 GDT_Byte, 4, order, 4, GSpacing(width_) * 4, 1);
    for (std::size_t i = 0; i < pixels; ++i) {
      const std::uint8_t* p = in + 4 * i;
      for (int c = 0; c < 3; ++c) out[3 * i + c] = overWhite(p[c], p[3]);
    }
  } else {
    result = GDALRasterIO(GDALGetRasterBand(dataset, 1), GF_Read, 0, top, width_, rows, in,
                          width_, rows, GDT_Byte, 0, 0);
    for (std::size_t i = 0; i < pixels; ++i) std::memcpy(out + 3 * i, plan_.lookup[in[i]].data(), 3);
  }
  if (result != CE_None) {
    // GDAL's message starts with the file's name, which the failure names anyway.
    QString reason = lastGdalError(messages::gdalReadFailed());
    const QString name = QFile::decodeName(gdalFileName(path_));
    reason.remove(name + QStringLiteral(", ")).remove(name + QStringLiteral(": "));
    throw Failure(messages::cannotReadRaster(reason, width_, height_, top + 1), path_);
  }
}

void Decoder::write(const std::uint8_t* data, std::size_t bytes, std::int64_t offset) {
  if (const int error = pwriteAll(fd_, data, bytes, offset))
    throw Failure(messages::cannotWriteTemporaryFile(QDir::tempPath(), systemErrorText(error)), path_);
}

void Decoder::stopWithCurrent() {
  failure_.keep(std::make_exception_ptr(Failure::fromCurrentException(path_)));
  std::lock_guard lock(mutex_);
  stop_ = true;
  decoded_.notify_all();
}

}  // namespace pelmora
