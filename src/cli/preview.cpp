#include "cli/preview.h"

#include "base/file_io.h"
#include "base/messages_batch.h"
#include "base/system_errors.h"
#include "render/bil.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <fcntl.h>
#include <filesystem>
#include <png.h>
#include <set>
#include <system_error>
#include <thread>

namespace pelmora {
namespace {

// A pixel in the renderer's order: blue, green, red.
struct Colour {
  std::uint8_t blue, green, red;
};
constexpr Colour kFrameColour{0xFF, 0x00, 0x00};  // #0000FF
constexpr Colour kGridColour{0x00, 0x00, 0xFF};   // #FF0000

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // rows of width × 3 bytes, top first
  std::ptrdiff_t stride() const { return std::ptrdiff_t(width) * 3; }
};

// The whole scan reduced by the renderer, its long side kPreviewLongSide at
// most.
Picture reducedScan(const RasterSource& scan, int threads) {
  const double scale = std::min(1.0, double(kPreviewLongSide) / std::max(scan.width(), scan.height()));
  Picture picture;
  picture.width = std::max(1, int(std::lround(scan.width() * scale)));
  picture.height = std::max(1, int(std::lround(scan.height() * scale)));
  picture.pixels.assign(std::size_t(picture.stride()) * std::size_t(picture.height), 0);
  const ImageBuffer canvas{picture.pixels.data(), picture.width, picture.height, picture.stride(), PixelLayout::BGR24};
  drawRaster(scan, canvas, QRect(0, 0, picture.width, picture.height), threads);
  return picture;
}

// A line `width` pixels wide: a square brush stepped along it at most half a
// pixel at a time, kept inside the picture so that a frame on the scan's
// edges shows whole. Written here: the batch tool links no drawing library.
void drawSegment(Picture& picture, FramePoint from, FramePoint to, Colour colour, int width) {
  const double length = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
  if (!std::isfinite(length)) return;
  const int steps = int(std::ceil(length * 2)) + 1;
  for (int i = 0; i <= steps; ++i) {
    const double t = double(i) / steps;
    auto first = [&](double at, int size) {
      return std::clamp(int(std::floor(at - width / 2.0 + 0.5)), 0, std::max(0, size - width));
    };
    const int left = first(from.x + (to.x - from.x) * t, picture.width);
    const int top = first(from.y + (to.y - from.y) * t, picture.height);
    for (int y = top; y < std::min(top + width, picture.height); ++y)
      for (int x = left; x < std::min(left + width, picture.width); ++x) {
        std::uint8_t* pixel = picture.pixels.data() + y * picture.stride() + x * 3;
        pixel[0] = colour.blue, pixel[1] = colour.green, pixel[2] = colour.red;
      }
  }
}

// libpng reports a fatal error through png_error, which must not return: it
// jumps back to encode() (png_jmpbuf), since an exception cannot cross the
// library's C frames.
class PngEncoding {
 public:
  ~PngEncoding() {
    if (png_) png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
  }

  // False, with libpng's words in `error`, when the encoding failed.
  bool encode(const Picture& picture) {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, failed, ignoreWarning);
    if (png_) info_ = png_create_info_struct(png_);
    if (!png_ || !info_) throw std::bad_alloc();
    if (setjmp(png_jmpbuf(png_))) return false;
    png_set_write_fn(png_, this, append, nullptr);
    png_set_IHDR(png_, info_, png_uint_32(picture.width), png_uint_32(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png_, info_);
    png_set_bgr(png_);
    for (int y = 0; y < picture.height; ++y) png_write_row(png_, picture.pixels.data() + y * picture.stride());
    png_write_end(png_, nullptr);
    return true;
  }

  std::vector<std::uint8_t> bytes;
  QString error;

 private:
  static void failed(png_structp png, png_const_charp message) {
    static_cast<PngEncoding*>(png_get_error_ptr(png))->error = QString::fromLocal8Bit(message);
    png_longjmp(png, 1);
  }
  static void ignoreWarning(png_structp, png_const_charp) {}
  static void append(png_structp png, png_bytep data, png_size_t size) {
    bool stored = true;
    try {
      auto& bytes = static_cast<PngEncoding*>(png_get_io_ptr(png))->bytes;
      bytes.insert(bytes.end(), data, data + size);
    } catch (const std::bad_alloc&) {
      stored = false;
    }
    if (!stored) png_error(png, "out of memory");
  }

  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

// Writes `bytes` as the whole of the file at `path`; a file written in part
// is removed.
void writeWholeFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
  const QByteArray name = QFile::encodeName(path);
  FileDescriptor fd(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!fd.isOpen()) throw Failure(messages::cannotWriteFile(fileErrorReason(errno)), path);
  int error = pwriteAll(fd.get(), bytes.data(), bytes.size(), 0);
  if (::close(fd.release()) != 0 && error == 0) error = errno;
  if (error == 0) return;
  ::unlink(name.constData());
  throw Failure(messages::cannotWriteFile(fileErrorReason(error)), path);
}

}  // namespace

std::map<QString, QString> previewPaths(const QStringList& rasters, const QString& folder) {
  std::map<QString, QString> paths;
  if (folder.isEmpty()) return paths;
  std::set<QString> taken;
  for (const QString& raster : rasters) {
    const QString base = TileSet(raster, folder).baseName();
    QString name = base;
    for (int n = 2; !taken.insert(name).second; ++n) name = base + u'-' + QString::number(n);
    paths.emplace(raster, QFileInfo(folder).absoluteFilePath() + u'/' + name + QStringLiteral(".png"));
  }
  return paths;
}

void writePreview(const RasterSource& scan, const std::optional<FrameCorners>& frame, double rows, double columns,
                  const QString& path, int threads) {
  const QString folder = QFileInfo(path).absolutePath();
  std::error_code made;
  std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), made);
  if (made) throw Failure(messages::cannotCreatePreviewFolder(fileErrorReason(made.value())), folder);

  if (threads <= 0) threads = int(std::max(1u, std::thread::hardware_concurrency()));
  Picture picture = reducedScan(scan, threads);
  const double across = double(picture.width) / scan.width(), down = double(picture.height) / scan.height();
  auto shown = [&](FramePoint p) { return FramePoint{p.x * across, p.y * down}; };
  const FrameCorners f = frame.value_or(rasterEdges(scan.width(), scan.height()));
  for (const FrameSegment& line : gridOnFrame(f, rows, columns, picture.height, picture.width))
    drawSegment(picture, shown(line.from), shown(line.to), kGridColour, 1);
  const FramePoint corners[] = {f.topLeft, f.topRight, f.bottomRight, f.bottomLeft};
  for (int i = 0; i < 4; ++i) drawSegment(picture, shown(corners[i]), shown(corners[(i + 1) % 4]), kFrameColour, 2);

  PngEncoding png;
  if (!png.encode(picture))
    throw Failure(messages::withLibraryDetail(messages::previewNotEncoded(), QStringLiteral("libpng"), png.error),
                  path);
  writeWholeFile(path, png.bytes);
}

}  // namespace pelmora
