#include "raster/gdal/decoded_file.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "base/failure.h"
#include "base/file_io.h"
#include "base/messages.h"
#include "base/system_errors.h"
#include "raster/gdal/decoder.h"
#include "raster/gdal/gdal_dataset.h"
#include "raster/gdal/gdal_setup.h"
#include "raster/gdal/jp2_boxes.h"

namespace pelmora {
namespace {

// An unnamed file in the system's temporary folder (TMPDIR), of `bytes` bytes.
FileDescriptor temporaryFile(std::int64_t bytes, const QString& rasterPath) {
  const QString folder = QDir::tempPath();
  const QByteArray name = QFile::encodeName(folder);
  FileDescriptor fd(::open(name.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (!fd.isOpen() && errno != ENOSPC && errno != EACCES && errno != EROFS) {
    // A file system without unnamed files: name one and remove the name at once.
    QByteArray pattern = QFile::encodeName(QDir(folder).filePath(QStringLiteral("pelmora-XXXXXX")));
    fd = FileDescriptor(mkostemp(pattern.data(), O_CLOEXEC));
    if (fd.isOpen()) ::unlink(pattern.constData());
  }
  if (!fd.isOpen())
    throw Failure(messages::cannotCreateTemporaryFile(folder, systemErrorText(errno)), rasterPath);
  // A full disk is said before the decoding, not midway.
  struct statvfs space {};
  const bool tooSmall = fstatvfs(fd.get(), &space) == 0 && std::int64_t(space.f_bavail) * std::int64_t(space.f_frsize) < bytes;
  if (tooSmall) throw Failure(messages::temporaryFolderFull(folder, (bytes + 999999) / 1000000), rasterPath);
  return fd;
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

DecodedFile::DecodedFile(int width, int height, FileDescriptor fd)
    : RasterSource(width, height), fd_(std::move(fd)), rowBytes_(std::size_t(width) * 3) {}

DecodedFile::~DecodedFile() {
  if (decoder_) decoder_->stop();
  if (decoding_.joinable()) decoding_.join();
  decoder_.reset();
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
  if (const int error = preadAll(fd_.get(), into, bytes, offset))
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
  posix_fadvise(fd_.get(), std::int64_t(first) * std::int64_t(rowBytes_),
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

  FileDescriptor fd = temporaryFile(bytes, path);
  const int written = fd.get();  // the decoder writes the rows the source owns and reads
  auto source = std::make_unique<DecodedFile>(width, height, std::move(fd));
  // Behind the readers nothing reports: `progress` lives only as long as the opening.
  const bool behind = decoding == Decoding::whileReading;
  auto decoder = std::make_unique<Decoder>(path, std::move(dataset), plan, written, behind ? nullptr : progress);
  if (behind) {
    source->decodeBehind(std::move(decoder));
    return source;
  }
  if (!decoder->run()) return nullptr;
  return source;
}

}  // namespace pelmora