#include "raster/gdal/png_rows.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace pelmora {
namespace {

// libpng reports a fatal error through png_error, which must not return: it
// jumps back to the call that started the work (png_jmpbuf), since an
// exception cannot cross the library's C frames. Warnings let the decoding go
// on, as under GDAL.
class PngRows final : public RowDecoder {
 public:
  explicit PngRows(QString path) : path_(std::move(path)) {}
  ~PngRows() override {
    if (png_) png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    if (file_) std::fclose(file_);
  }

  // False when the file is not one this decodes.
  bool open() {
    file_ = openRasterStream(path_);
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, failed, ignoreWarning);
    if (png_) info_ = png_create_info_struct(png_);
    if (!png_ || !info_) throw Failure(messages::outOfMemory(), path_);
    if (setjmp(png_jmpbuf(png_))) throwFailure();
    png_init_io(png_, file_);
    png_read_info(png_, info_);
    const int type = png_get_color_type(png_, info_);
    if (png_get_bit_depth(png_, info_) != 8 || png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE ||
        (type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_GRAY))
      return false;
    if (type == PNG_COLOR_TYPE_GRAY) png_set_gray_to_rgb(png_);
    png_set_bgr(png_);
    png_read_update_info(png_, info_);
    return png_get_rowbytes(png_, info_) == std::size_t(width()) * 3;
  }

  int width() const override { return int(png_get_image_width(png_, info_)); }
  int height() const override { return int(png_get_image_height(png_, info_)); }

  void read(int count, std::uint8_t* out) override {
    const std::size_t rowBytes = std::size_t(width()) * 3;
    if (setjmp(png_jmpbuf(png_))) throwFailure();
    for (int i = 0; i < count; ++i) {
      png_read_row(png_, out + rowBytes * std::size_t(i), nullptr);
      ++rowsRead_;
    }
  }

 private:
  static void failed(png_structp png, png_const_charp message) {
    static_cast<PngRows*>(png_get_error_ptr(png))->message_ = QString::fromLocal8Bit(message);
    png_longjmp(png, 1);
  }
  static void ignoreWarning(png_structp, png_const_charp) {}

  [[noreturn]] void throwFailure() const {
    throw Failure(messages::cannotReadRaster(
                      messages::withLibraryDetail(messages::pngReadFailed(), QStringLiteral("libpng"), message_),
                      info_ ? width() : 0, info_ ? height() : 0, rowsRead_ + 1),
                  path_);
  }

  QString path_;
  FILE* file_ = nullptr;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  int rowsRead_ = 0;
  QString message_;
};

}  // namespace

std::unique_ptr<RowDecoder> openPngRows(const QString& path) {
  auto rows = std::make_unique<PngRows>(path);
  if (!rows->open()) return nullptr;
  return rows;
}

}  // namespace pelmora
