// The JPEG encoder over libjpeg-turbo's TurboJPEG API: baseline, 4:2:0, one
// compressor handle and one output buffer per encoder, kept between images.
#include "platform/jpeg_encoder.h"

#include "base/failure.h"

#include <turbojpeg.h>

#include <algorithm>
#include <limits>

namespace pelmora {
namespace {

class TurboJpegEncoder final : public JpegEncoder {
 public:
  TurboJpegEncoder() : handle_(tjInitCompress()) {
    if (!handle_)
      throw Failure(QStringLiteral("JPEG に変換できません: ") + QString::fromLocal8Bit(tjGetErrorStr2(nullptr)));
  }
  ~TurboJpegEncoder() override {
    tjFree(buffer_);
    tjDestroy(handle_);
  }
  TurboJpegEncoder(const TurboJpegEncoder&) = delete;
  TurboJpegEncoder& operator=(const TurboJpegEncoder&) = delete;

  std::span<const std::uint8_t> encode(const std::uint8_t* pixels, int width, int height,
                                       std::ptrdiff_t stride, PixelLayout layout,
                                       int quality) override {
    if (width <= 0 || height <= 0 || stride > std::ptrdiff_t(std::numeric_limits<int>::max()))
      throw Failure(QStringLiteral("JPEG に変換できません: 画像の大きさが正しくありません"));
    // The buffer is sized for the worst case so that the library never has to
    // reallocate it; only beyond what tjAlloc can give is it left to grow.
    const bool reserved = reserve(width, height);
    unsigned long size = capacity_;
    unsigned char* const before = buffer_;
    const int format = layout == PixelLayout::BGR24 ? TJPF_BGR : TJPF_BGRX;
    const int result = tjCompress2(handle_, pixels, width, int(stride), height, format, &buffer_, &size,
                                   TJSAMP_420, std::clamp(quality, 1, 100),
                                   reserved ? TJFLAG_NOREALLOC : 0);
    if (buffer_ != before) capacity_ = size;
    if (result != 0)
      throw Failure(QStringLiteral("JPEG に変換できません: ") + QString::fromLocal8Bit(tjGetErrorStr2(handle_)));
    return {buffer_, size};
  }

 private:
  bool reserve(int width, int height) {
    const unsigned long needed = tjBufSize(width, height, TJSAMP_420);
    if (needed == static_cast<unsigned long>(-1) ||
        needed > static_cast<unsigned long>(std::numeric_limits<int>::max()))
      return false;
    if (needed <= capacity_) return true;
    tjFree(buffer_);
    capacity_ = 0;
    // Untouched pages of the worst-case buffer cost no memory: only the bytes
    // a JPEG actually fills ever become resident.
    buffer_ = tjAlloc(int(needed));
    if (!buffer_) throw Failure(QStringLiteral("JPEG に変換できません: メモリが足りません"));
    capacity_ = needed;
    return true;
  }

  tjhandle handle_;
  unsigned char* buffer_ = nullptr;
  unsigned long capacity_ = 0;
};

}  // namespace

std::unique_ptr<JpegEncoder> makeTurboJpegEncoder() { return std::make_unique<TurboJpegEncoder>(); }

}  // namespace pelmora
