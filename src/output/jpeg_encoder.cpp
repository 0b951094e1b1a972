// The JPEG encoder over libjpeg-turbo's libjpeg API, fed by jpeg_write_scanlines
// band by band. The settings are those tjCompress2 (TurboJPEG 2.1) gives an
// RGB-family pixel format at 4:2:0 with no flags: defaults for the input
// colour space, the quality's tables scaled as baseline, the fast integer DCT
// below quality 96 and the accurate one from 96, YCbCr with a JFIF header,
// luminance sampled 2 × 2. TurboJPEG itself offers no way to feed rows, which
// is why its settings are repeated here.
#include "output/jpeg_encoder.h"

#include "base/failure.h"
#include "base/messages.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jerror.h>
#include <jpeglib.h>

namespace pelmora {
namespace {


class LibjpegEncoder final : public JpegEncoder {
 public:
  LibjpegEncoder() {
    info_.err = jpeg_std_error(&error_.manager);
    error_.manager.error_exit = [](j_common_ptr info) {
      std::longjmp(static_cast<LibjpegEncoder*>(info->client_data)->error_.jump, 1);
    };
    error_.manager.output_message = [](j_common_ptr) {};  // warnings are not for stderr
    info_.client_data = this;  // kept by jpeg_create_compress, which errors may already reach
    guarded([this] { jpeg_create_compress(&info_); });
    buffer_ = static_cast<JOCTET*>(std::malloc(kFirstCapacity));
    if (!buffer_) {
      jpeg_destroy_compress(&info_);
      throw Failure(messages::cannotEncodeBecause(messages::lackOfMemory()));
    }
    capacity_ = kFirstCapacity;
    destination_.init_destination = [](j_compress_ptr info) { self(info).rewind(); };
    destination_.empty_output_buffer = [](j_compress_ptr info) -> boolean { return self(info).grow(); };
    destination_.term_destination = [](j_compress_ptr) {};
    info_.dest = &destination_;
  }
  ~LibjpegEncoder() override {
    jpeg_destroy_compress(&info_);
    std::free(buffer_);
  }
  LibjpegEncoder(const LibjpegEncoder&) = delete;
  LibjpegEncoder& operator=(const LibjpegEncoder&) = delete;

  void start(int width, int height, PixelLayout layout, int quality) override {
    if (width <= 0 || height <= 0)
      throw Failure(messages::cannotEncodeBecause(messages::badImageSize()));
    quality = std::clamp(quality, 1, 100);
    started_ = false;
    guarded([&] {
      jpeg_abort_compress(&info_);
      info_.image_width = JDIMENSION(width);
      info_.image_height = JDIMENSION(height);
      info_.in_color_space = layout == PixelLayout::BGR24 ? JCS_EXT_BGR : JCS_EXT_BGRX;
      info_.input_components = bytesPerPixel(layout);
      jpeg_set_defaults(&info_);
      jpeg_set_quality(&info_, quality, TRUE);
      info_.dct_method = quality >= 96 ? JDCT_ISLOW : JDCT_FASTEST;
      jpeg_set_colorspace(&info_, JCS_YCbCr);
      info_.comp_info[0].h_samp_factor = 2;
      info_.comp_info[0].v_samp_factor = 2;
      for (int c = 1; c < 3; ++c) info_.comp_info[c].h_samp_factor = info_.comp_info[c].v_samp_factor = 1;
      jpeg_start_compress(&info_, TRUE);
    });
    started_ = true;
  }

  std::span<const std::uint8_t> writeRows(const std::uint8_t* rows, int count,
                                          std::ptrdiff_t stride) override {
    if (!started_ || count < 0 || JDIMENSION(count) > info_.image_height - info_.next_scanline)
      throw Failure(messages::cannotEncodeBecause(messages::rowCountMismatch()));
    pointers_.resize(std::size_t(count));
    for (int i = 0; i < count; ++i) pointers_[std::size_t(i)] = const_cast<JSAMPROW>(rows + stride * i);
    guarded([&] {
      for (JDIMENSION done = 0; done < JDIMENSION(count);)
        done += jpeg_write_scanlines(&info_, pointers_.data() + done, JDIMENSION(count) - done);
    });
    return take();
  }

  std::span<const std::uint8_t> finish() override {
    guarded([this] { jpeg_finish_compress(&info_); });
    started_ = false;
    return take();
  }

 private:
  static constexpr std::size_t kFirstCapacity = std::size_t(64) << 10;

  struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
  };

  static LibjpegEncoder& self(j_compress_ptr info) { return *static_cast<LibjpegEncoder*>(info->client_data); }

  // Runs libjpeg calls; a library error lands back here and becomes a Failure
  // with the library's message. Only C frames lie between, so the jump skips
  // no destructor.
  template <class Calls>
  void guarded(Calls&& calls) {
    if (setjmp(error_.jump)) {
      char text[JMSG_LENGTH_MAX];
      (*error_.manager.format_message)(reinterpret_cast<j_common_ptr>(&info_), text);
      jpeg_abort_compress(&info_);
      started_ = false;
      rewind();
      throw Failure(messages::cannotEncodeBecause(QString::fromLocal8Bit(text)));
    }
    calls();
  }

  // The library has filled the buffer: it grows, keeping what it holds, so
  // that the bytes of a band are handed out together.
  boolean grow() {
    const std::size_t used = capacity_;
    auto* bigger = static_cast<JOCTET*>(std::realloc(buffer_, capacity_ * 2));
    if (!bigger) ERREXIT(&info_, JERR_OUT_OF_MEMORY);
    buffer_ = bigger;
    capacity_ *= 2;
    destination_.next_output_byte = buffer_ + used;
    destination_.free_in_buffer = capacity_ - used;
    return TRUE;
  }

  void rewind() {
    destination_.next_output_byte = buffer_;
    destination_.free_in_buffer = capacity_;
  }

  // The bytes made since the last call; the buffer is reused from its start.
  std::span<const std::uint8_t> take() {
    const std::size_t ready = std::size_t(destination_.next_output_byte - buffer_);
    rewind();
    return {buffer_, ready};
  }

  jpeg_compress_struct info_{};
  ErrorManager error_{};
  jpeg_destination_mgr destination_{};
  JOCTET* buffer_ = nullptr;
  std::size_t capacity_ = 0;
  std::vector<JSAMPROW> pointers_;
  bool started_ = false;
};

}  // namespace

std::unique_ptr<JpegEncoder> makeJpegEncoder() { return std::make_unique<LibjpegEncoder>(); }

}  // namespace pelmora
