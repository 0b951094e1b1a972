#include "raster/gdal/decoded_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gdal.h>
#include <gdal_priv.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "base/failure.h"
#include "base/messages.h"
#include "base/file_io.h"
#include "base/system_errors.h"
#include "base/progress.h"
#include "raster/gdal/gdal_setup.h"
#include "raster/gdal/jp2_boxes.h"
#include "raster/gdal/jpeg_rows.h"
#include "raster/gdal/png_rows.h"

namespace pelmora {
namespace {


struct Dataset {
  GDALDatasetH handle = nullptr;
  Dataset() = default;
  explicit Dataset(GDALDatasetH h) : handle(h) {}
  Dataset(Dataset&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
  ~Dataset() {
    if (handle) GDALClose(handle);
  }
};

// The drivers of the raster files the tool reads. GDAL names a file's format
// by its content, not its name: without this list a VRT saved as NAME.tif
// would make the load read whatever files or addresses it names.
constexpr const char* kRasterFileDrivers[] = {"GTiff", "PNG", "JPEG", "JP2OpenJPEG", "BMP", nullptr};

bool isRasterFileDriver(const char* name) {
  for (const char* const* each = kRasterFileDrivers; *each; ++each)
    if (std::strcmp(*each, name) == 0) return true;
  return false;
}

// The raster driver that recognises the file `name` by its header alone; null
// when none does. Only the drivers' header checks run: GDALIdentifyDriverEx()
// would also open the file with every driver that has none.
GDALDriver* driverRecognising(const char* name) {
  GDALOpenInfo info(name, GA_ReadOnly);
  GDALDriverManager* drivers = GetGDALDriverManager();
  for (int i = 0; i < drivers->GetDriverCount(); ++i) {
    GDALDriver* driver = drivers->GetDriver(i);
    if (driver->pfnIdentify && driver->GetMetadataItem(GDAL_DCAP_RASTER) && driver->pfnIdentify(&info) > 0)
      return driver;
  }
  return nullptr;
}

Dataset openDataset(const QString& path) {
  const QByteArray name = gdalFileName(path);
  CPLErrorReset();
  Dataset dataset(GDALOpenEx(name.constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, kRasterFileDrivers,
                             nullptr, nullptr));
  if (dataset.handle) return dataset;
  const QString reason = lastGdalError(messages::gdalDoesNotKnowFormat());
  // A format of another kind is named, so that the user learns what the file is.
  if (GDALDriver* driver = driverRecognising(name.constData()); driver && !isRasterFileDriver(driver->GetDescription()))
    throw Failure(messages::formatNotRasterFile(QStringLiteral("%1 (%2)").arg(
                      QString::fromUtf8(GDALGetDriverLongName(driver)), QString::fromUtf8(driver->GetDescription()))),
                  path);
  throw Failure(messages::formatNotReadable(reason), path);
}

// How the file's bands become blue-green-red rows.
enum class Bands { Lookup, Rgb, Rgba };

struct PixelPlan {
  Bands bands = Bands::Rgb;
  // Blue, green, red of every gray level or palette index (over white where
  // the palette has alpha).
  std::array<std::array<std::uint8_t, 3>, 256> lookup{};
  bool grayLookup = false;  // one band of gray levels, no palette
};

std::uint8_t overWhite(int colour, int alpha) {
  return std::uint8_t((colour * alpha + 255 * (255 - alpha) + 127) / 255);
}

QString bandsText(GDALDatasetH dataset) {
  const int count = GDALGetRasterCount(dataset);
  QStringList parts;
  for (int i = 1; i <= count; ++i) {
    GDALRasterBandH band = GDALGetRasterBand(dataset, i);
    parts << QStringLiteral("%1 %2")
                 .arg(QString::fromLatin1(GDALGetDataTypeName(GDALGetRasterDataType(band))),
                      QString::fromLatin1(
                          GDALGetColorInterpretationName(GDALGetRasterColorInterpretation(band))));
  }
  return messages::bandsOf(count, parts);
}

PixelPlan pixelPlanOf(GDALDatasetH dataset, const QString& path) {
  const int count = GDALGetRasterCount(dataset);
  auto refuse = [&] {
    return Failure(messages::pixelFormatNotReadable(bandsText(dataset)), path);
  };
  if (count != 1 && count != 3 && count != 4) throw refuse();
  for (int i = 1; i <= count; ++i)
    if (GDALGetRasterDataType(GDALGetRasterBand(dataset, i)) != GDT_Byte) throw refuse();

  PixelPlan plan;
  if (count == 3) return plan;
  if (count == 4) {
    if (GDALGetRasterColorInterpretation(GDALGetRasterBand(dataset, 4)) != GCI_AlphaBand)
      throw refuse();
    plan.bands = Bands::Rgba;
    return plan;
  }
  plan.bands = Bands::Lookup;
  GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
  GDALColorTableH table = GDALGetRasterColorTable(band);
  for (int i = 0; i < 256; ++i) plan.lookup[i] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)};
  plan.grayLookup = true;
  if (table && GDALGetRasterColorInterpretation(band) == GCI_PaletteIndex) {
    plan.grayLookup = false;
    if (GDALGetPaletteInterpretation(table) != GPI_RGB && GDALGetPaletteInterpretation(table) != GPI_Gray)
      throw refuse();
    const int entries = GDALGetColorEntryCount(table);
    for (int i = 0; i < 256; ++i) {
      GDALColorEntry e{0, 0, 0, 255};
      if (i < entries) GDALGetColorEntryAsRGB(table, i, &e);
      plan.lookup[i] = {overWhite(e.c3, e.c4), overWhite(e.c2, e.c4), overWhite(e.c1, e.c4)};
    }
  }
  return plan;
}

// An unnamed file in the system's temporary folder (TMPDIR), of `bytes` bytes.
int temporaryFile(std::int64_t bytes, const QString& rasterPath) {
  const QString folder = QDir::tempPath();
  const QByteArray name = QFile::encodeName(folder);
  int fd = ::open(name.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0 && errno != ENOSPC && errno != EACCES && errno != EROFS) {
    // A file system without unnamed files: name one and remove the name at once.
    QByteArray pattern = QFile::encodeName(QDir(folder).filePath(QStringLiteral("pelmora-XXXXXX")));
    fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(pattern.constData());
  }
  if (fd < 0)
    throw Failure(messages::cannotCreateTemporaryFile(folder, systemErrorText(errno)), rasterPath);
  // Claim the space now: a full disk is then said before the decoding, not midway.
  const int error = posix_fallocate(fd, 0, bytes);
  if (error == ENOSPC || error == EFBIG) {
    ::close(fd);
    throw Failure(messages::temporaryFolderFull(folder, (bytes + 999999) / 1000000), rasterPath);
  }
  return fd;
}

}  // namespace

// Decodes a raster into the file of a DecodedFile a chunk of whole block rows
// at a time, and tells readers how many rows from the top are written.
class Decoder {
 public:
  Decoder(QString path, Dataset first, const PixelPlan& plan, int fd, Progress* progress)
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
    // A JPEG or a PNG of three bands or gray is decoded by its own library,
    // in file order.
    if (driver && (plan_.bands == Bands::Rgb || (plan_.bands == Bands::Lookup && plan_.grayLookup))) {
      if (std::strcmp(driver, "JPEG") == 0) rowDecoder_ = openJpegRows(path_);
      if (std::strcmp(driver, "PNG") == 0) rowDecoder_ = openPngRows(path_);
      if (rowDecoder_ && (rowDecoder_->width() != width_ || rowDecoder_->height() != height_))
        rowDecoder_.reset();
    }
  }

  // Decodes every chunk; false when cancelled. Throws the first failure.
  bool run() {
    // Threads started here rather than through runOnThreads: built with that
    // template, the sanitizer build's leak checker crashed scanning GDAL's
    // thread-local blocks at exit (a matter of where they land; see
    // tests/CMakeLists.txt).
    std::vector<std::thread> helpers;
    helpers.reserve(std::size_t(threads_ - 1));
    try {
      for (int i = 1; i < threads_; ++i) helpers.emplace_back([this] { work(nullptr); });
    } catch (const std::system_error&) {
      // The system has no thread to spare: the chunks go to whichever thread
      // asks next, so the threads started decode them all.
    }
    work(first_.handle);
    for (auto& helper : helpers) helper.join();
    std::lock_guard lock(mutex_);
    finished_ = true;
    decoded_.notify_all();
    if (failure_) throw *failure_;
    return !cancelled_;
  }

  // run() behind the readers, which get its failure.
  void runBehind() {
    try {
      run();
    } catch (const Failure&) {
      // Kept in failure_ for the readers.
    }
  }

  // Asks the threads to stop after the chunk in hand.
  void stop() {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }

  // Waits until rows [0, end) are in the file; throws the failure that
  // stopped the decoding before them.
  void awaitRows(int end) {
    if (end <= readyRows_.load(std::memory_order_acquire)) return;
    std::unique_lock lock(mutex_);
    decoded_.wait(lock, [&] {
      return end <= readyRows_.load(std::memory_order_relaxed) || failure_ || finished_;
    });
    if (end <= readyRows_.load(std::memory_order_relaxed)) return;
    if (failure_) throw *failure_;
    throw std::logic_error("rows read from a decoding that was stopped");
  }

  // Throws the failure that stopped the decoding, when one has.
  void throwFailure() {
    std::lock_guard lock(mutex_);
    if (failure_) throw *failure_;
  }

 private:
  void work(GDALDatasetH given) {
    try {
      std::optional<Dataset> own;
      if (!given) {
        own.emplace(openDataset(path_));
        given = own->handle;
      }
      std::vector<std::uint8_t> out(rowBytes_ * std::size_t(chunkRows_));
      std::vector<std::uint8_t> in(plan_.bands == Bands::Rgb ? 0
                                   : std::size_t(width_) * std::size_t(chunkRows_) *
                                         (plan_.bands == Bands::Rgba ? 4 : 1));
      for (;;) {
        const int chunk = nextChunk();
        if (chunk < 0) return;
        const int top = chunk * chunkRows_;
        const int rows = std::min(chunkRows_, height_ - top);
        decode(given, top, rows, in.data(), out.data());
        write(out.data(), std::size_t(rows) * rowBytes_, std::int64_t(top) * std::int64_t(rowBytes_));
        written(chunk, rows);
      }
    } catch (const Failure& failure) {
      stopWith(failure);
    } catch (const std::bad_alloc&) {
      stopWith(Failure(messages::outOfMemory(), path_));
    }
  }

  // The next chunk to decode; -1 when none is left, or the decoding stops.
  int nextChunk() {
    std::lock_guard lock(mutex_);
    if (progress_ && progress_->cancelRequested.load()) {
      cancelled_ = true;
      stop_ = true;
    }
    if (stop_ || next_ >= chunks_) return -1;
    return next_++;
  }

  void written(int chunk, int rows) {
    std::lock_guard lock(mutex_);
    chunkDone_[std::size_t(chunk)] = true;
    while (firstUndone_ < chunks_ && chunkDone_[std::size_t(firstUndone_)]) ++firstUndone_;
    readyRows_.store(std::min(height_, firstUndone_ * chunkRows_), std::memory_order_release);
    rowsDone_ += rows;
    if (progress_) progress_->done = int(rowsDone_ * progress_->total / height_);
    decoded_.notify_all();
  }

  void decode(GDALDatasetH dataset, int top, int rows, std::uint8_t* in, std::uint8_t* out) {
    if (rowDecoder_) return rowDecoder_->read(rows, out);  // one thread, chunks in order: `top` is the next row
    CPLErrorReset();
    CPLErr result;
    const std::size_t pixels = std::size_t(width_) * std::size_t(rows);
    if (plan_.bands == Bands::Rgb) {
      int order[3] = {3, 2, 1};
      result = GDALDatasetRasterIO(dataset, GF_Read, 0, top, width_, rows, out, width_, rows,
                                   GDT_Byte, 3, order, 3, GSpacing(rowBytes_), 1);
    } else if (plan_.bands == Bands::Rgba) {
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

  void write(const std::uint8_t* data, std::size_t bytes, std::int64_t offset) {
    if (const int error = pwriteAll(fd_, data, bytes, offset))
      throw Failure(messages::cannotWriteTemporaryFile(QDir::tempPath(), systemErrorText(error)), path_);
  }

  void stopWith(const Failure& failure) {
    std::lock_guard lock(mutex_);
    if (!failure_) failure_ = failure;
    stop_ = true;
    decoded_.notify_all();
  }

  const QString path_;
  Dataset first_;
  const PixelPlan plan_;
  std::unique_ptr<RowDecoder> rowDecoder_;
  int fd_;
  Progress* progress_;
  int width_ = 0, height_ = 0;
  std::size_t rowBytes_ = 0;
  int chunkRows_ = 1, chunks_ = 0, threads_ = 1;

  std::mutex mutex_;
  std::condition_variable decoded_;
  // Under mutex_:
  int next_ = 0;
  std::vector<bool> chunkDone_;
  int firstUndone_ = 0;
  std::int64_t rowsDone_ = 0;
  bool stop_ = false, cancelled_ = false, finished_ = false;
  std::optional<Failure> failure_;
  // Rows [0, readyRows_) are in the file: written under mutex_, read without.
  std::atomic<int> readyRows_{0};
};

namespace {

GdalPlacement placementOf(GDALDatasetH dataset) {
  static constexpr double kNone[6] = {0, 1, 0, 0, 0, 1};
  GdalPlacement result;
  result.hasTransform = GDALGetGeoTransform(dataset, result.transform) == CE_None &&
                        !std::equal(result.transform, result.transform + 6, kNone);
  if (const char* wkt = GDALGetProjectionRef(dataset); wkt && *wkt)
    result.coordinateSystem = QString::fromUtf8(wkt);
  return result;
}

// A raster opened for its size and placement alone.
class UndecodedRaster final : public RasterSource {
 public:
  UndecodedRaster(int width, int height) : RasterSource(width, height) {}
  const std::uint8_t* row(int, std::vector<std::uint8_t>&) const override {
    throw std::logic_error("rows read from a raster opened undecoded");
  }
};

}  // namespace

DecodedFile::DecodedFile(int width, int height, int fd)
    : RasterSource(width, height), fd_(fd), rowBytes_(std::size_t(width) * 3) {}

DecodedFile::~DecodedFile() {
  if (decoder_) decoder_->stop();
  if (decoding_.joinable()) decoding_.join();
  decoder_.reset();
  ::close(fd_);
}

void DecodedFile::decodeBehind(std::unique_ptr<Decoder> decoder) {
  decoder_ = std::move(decoder);
  try {
    decoding_ = std::thread([decoder = decoder_.get()] { decoder->runBehind(); });
  } catch (const std::system_error&) {
    decoder_->runBehind();  // no thread to spare: decoded before the opening returns
  }
}

void DecodedFile::awaitRows(int end) const {
  if (decoder_) decoder_->awaitRows(end);
}

void DecodedFile::checkUnchanged() const {
  if (decoder_) decoder_->throwFailure();
}

void DecodedFile::awaitDecoded() const { awaitRows(height()); }

const std::uint8_t* DecodedFile::row(int y, std::vector<std::uint8_t>& scratch) const {
  return rowColumns(y, 0, width(), scratch);
}

// Reads `bytes` at `offset` whole, however the system splits the read.
void DecodedFile::readAt(std::uint8_t* into, std::size_t bytes, std::int64_t offset) const {
  if (const int error = preadAll(fd_, into, bytes, offset))
    throw Failure(messages::cannotReadTemporaryFile(QDir::tempPath(), systemErrorText(error == kEndOfFile ? EIO : error)));
}

const std::uint8_t* DecodedFile::rowColumns(int y, int first, int end,
                                            std::vector<std::uint8_t>& scratch) const {
  awaitRows(y + 1);
  if (scratch.size() < rowBytes_) scratch.resize(rowBytes_);
  first = std::clamp(first, 0, width());
  end = std::clamp(end, first, width());
  const std::size_t begin = std::size_t(first) * 3, bytes = std::size_t(end - first) * 3;
  readAt(scratch.data() + begin, bytes,
         std::int64_t(y) * std::int64_t(rowBytes_) + std::int64_t(begin));
  return scratch.data();
}

RasterSource::RowBlock DecodedFile::readRows(int first, int count, std::uint8_t* buffer) const {
  awaitRows(first + count);
  readAt(buffer, rowBytes_ * std::size_t(std::max(count, 0)),
         std::int64_t(first) * std::int64_t(rowBytes_));
  return {buffer, std::ptrdiff_t(rowBytes_)};
}

void DecodedFile::willRead(int first, int last) const {
  first = std::max(first, 0);
  last = std::min(last, height());
  if (first >= last) return;
  posix_fadvise(fd_, std::int64_t(first) * std::int64_t(rowBytes_),
                std::int64_t(last - first) * std::int64_t(rowBytes_), POSIX_FADV_WILLNEED);
}

std::unique_ptr<RasterSource> decodeFile(const QString& path, Progress* progress, Decoding decoding,
                                         GdalPlacement& placement) {
  ensureGdal();
  checkJp2Boxes(path);
  Dataset dataset = openDataset(path);
  const int width = GDALGetRasterXSize(dataset.handle);
  const int height = GDALGetRasterYSize(dataset.handle);
  if (width < 1 || height < 1)
    throw Failure(messages::rasterWithoutPixels(), path);
  const PixelPlan plan = pixelPlanOf(dataset.handle, path);
  placement = placementOf(dataset.handle);
  if (decoding == Decoding::never) return std::make_unique<UndecodedRaster>(width, height);
  // Under 2^62 bytes, as both sides are below 2^31.
  const std::int64_t bytes = std::int64_t(width) * std::int64_t(height) * 3;

  const int fd = temporaryFile(bytes, path);
  auto source = std::make_unique<DecodedFile>(width, height, fd);
  // Behind the readers nothing reports: `progress` lives only as long as the opening.
  const bool behind = decoding == Decoding::whileReading;
  auto decoder = std::make_unique<Decoder>(path, std::move(dataset), plan, fd, behind ? nullptr : progress);
  if (behind) {
    source->decodeBehind(std::move(decoder));
    return source;
  }
  if (!decoder->run()) return nullptr;
  return source;
}

}  // namespace pelmora
