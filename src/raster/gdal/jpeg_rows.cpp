#include "raster/gdal/jpeg_rows.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace pelmora {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return:
// it jumps back to the call that started the work, since an exception cannot
// cross the library's C frames.
struct JpegState {
  QString path;
  FILE* file = nullptr;
  jpeg_decompress_struct decoder{};
  jpeg_error_mgr errors{};
  std::jmp_buf failed;
  char message[JMSG_LENGTH_MAX] = {};

  ~JpegState() {
    jpeg_destroy_decompress(&decoder);
    if (file) std::fclose(file);
  }

  [[noreturn]] void throwFailure() const {
    throw Failure(messages::cannotReadRaster(
                      messages::withLibraryDetail(messages::jpegReadFailed(), QStringLiteral("libjpeg"),
                                                  QString::fromLocal8Bit(message)),
                      int(decoder.image_width), int(decoder.image_height), int(decoder.output_scanline) + 1),
                  path);
  }
};

void exitWithError(j_common_ptr decoder) {
  auto* state = static_cast<JpegState*>(decoder->client_data);
  (*decoder->err->format_message)(decoder, state->message);
  std::longjmp(state->failed, 1);
}

// A warning is damaged data that libjpeg would go past, filling in gray: as
// GDAL does, it stops the decoding. Trace messages (levels above 0) are not shown.
void stopOnWarning(j_common_ptr decoder, int level) {
  if (level < 0) exitWithError(decoder);
}

class JpegRows final : public RowDecoder {
 public:
  explicit JpegRows(std::unique_ptr<JpegState> state) : state_(std::move(state)) {}
  int width() const override { return int(state_->decoder.output_width); }
  int height() const override { return int(state_->decoder.output_height); }

  void read(int count, std::uint8_t* out) override {
    JpegState& s = *state_;
    const std::size_t rowBytes = std::size_t(width()) * 3;
    std::vector<JSAMPROW> rows(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) rows[std::size_t(i)] = out + rowBytes * std::size_t(i);
    if (setjmp(s.failed)) s.throwFailure();
    for (JDIMENSION done = 0; done < JDIMENSION(count);)
      done += jpeg_read_scanlines(&s.decoder, rows.data() + done, JDIMENSION(count) - done);
  }

 private:
  std::unique_ptr<JpegState> state_;
};

}  // namespace

std::unique_ptr<RowDecoder> openJpegRows(const QString& path) {
  auto state = std::make_unique<JpegState>();
  state->path = path;
  state->file = openRasterStream(path);
  JpegState& s = *state;
  s.decoder.err = jpeg_std_error(&s.errors);
  s.errors.error_exit = exitWithError;
  s.errors.emit_message = stopOnWarning;
  s.decoder.client_data = &s;
  jpeg_create_decompress(&s.decoder);
  if (setjmp(s.failed)) s.throwFailure();
  jpeg_stdio_src(&s.decoder, s.file);
  jpeg_read_header(&s.decoder, TRUE);
  const J_COLOR_SPACE colours = s.decoder.jpeg_color_space;
  if (s.decoder.data_precision != 8 ||
      (colours != JCS_YCbCr && colours != JCS_RGB && colours != JCS_GRAYSCALE))
    return nullptr;
  s.decoder.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&s.decoder);
  return std::make_unique<JpegRows>(std::move(state));
}

}  // namespace pelmora
