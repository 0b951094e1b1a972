#include "output/edge_mask.h"

#include "base/failure.h"
#include "base/messages.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace pelmora {
namespace {

// The TIFF being written, in memory: libtiff seeks back to patch its
// directory, so the bytes grow where it writes.
struct MemoryFile {
  QByteArray bytes;
  qint64 position = 0;
  QString error;  // libtiff's first complaint
};

MemoryFile& fileOf(thandle_t handle) { return *static_cast<MemoryFile*>(handle); }

tmsize_t readNothing(thandle_t, void*, tmsize_t) { return 0; }

tmsize_t writeBytes(thandle_t handle, void* data, tmsize_t size) {
  MemoryFile& file = fileOf(handle);
  const qint64 end = file.position + size;
  // No exception may cross libtiff's C frames: a failed write is its error.
  try {
    if (end > file.bytes.size()) file.bytes.resize(end);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  std::memcpy(file.bytes.data() + file.position, data, std::size_t(size));
  file.position = end;
  return size;
}

toff_t seekTo(thandle_t handle, toff_t offset, int whence) {
  MemoryFile& file = fileOf(handle);
  const qint64 base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? file.bytes.size() : 0;
  file.position = base + qint64(offset);
  return toff_t(file.position);
}

int closeNothing(thandle_t) { return 0; }
toff_t sizeOf(thandle_t handle) { return toff_t(fileOf(handle).bytes.size()); }
int mapNothing(thandle_t, void**, toff_t*) { return 0; }
void unmapNothing(thandle_t, void*, toff_t) {}

int keepError(TIFF*, void* handle, const char*, const char* format, va_list arguments) {
  MemoryFile& file = fileOf(handle);
  if (file.error.isEmpty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    file.error = QString::fromLocal8Bit(text);
  }
  return 1;  // not passed on to libtiff's default handler, which prints
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// The tag in which GDAL keeps its metadata items.
constexpr ttag_t kGdalMetadataTag = 42112;

// Every band of an RGB image takes the mask as its own (GMF_PER_DATASET).
const char kMaskFlags[] =
    "<GDALMetadata>\n"
    "  <Item name=\"INTERNAL_MASK_FLAGS_1\">2</Item>\n"
    "  <Item name=\"INTERNAL_MASK_FLAGS_2\">2</Item>\n"
    "  <Item name=\"INTERNAL_MASK_FLAGS_3\">2</Item>\n"
    "</GDALMetadata>\n";

void setFields(TIFF* tiff, const ValidCorner& valid) {
  static const TIFFFieldInfo gdalMetadata{kGdalMetadataTag, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
                                          const_cast<char*>("GDALMetadata")};
  TIFFMergeFieldInfo(tiff, &gdalMetadata, 1);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(valid.width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(valid.height));
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
  TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, uint16_t(SAMPLEFORMAT_UINT));
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISBLACK));
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_SEPARATE));
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_ADOBE_DEFLATE));
  TIFFSetField(tiff, TIFFTAG_PREDICTOR, uint16_t(PREDICTOR_NONE));
  // GDAL deflates at level 6; level 1 takes a third of the time (about 3 ms
  // for a 2000 × 1500 tile) for a file half as large again, some 30 KB.
  TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, 1);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
  TIFFSetField(tiff, kGdalMetadataTag, kMaskFlags);
}

bool writeRows(TIFF* tiff, const ValidCorner& valid) {
  std::vector<std::uint8_t> inside(std::size_t(valid.width), 0);
  std::fill_n(inside.begin(), std::clamp(valid.columns, 0, valid.width), std::uint8_t(255));
  const std::vector<std::uint8_t> outside(std::size_t(valid.width), 0);
  for (int row = 0; row < valid.height; ++row) {
    // libtiff takes the row as writable and leaves it as it was.
    auto* line = const_cast<std::uint8_t*>(row < valid.rows ? inside.data() : outside.data());
    if (TIFFWriteScanline(tiff, line, uint32_t(row), 0) != 1) return false;
  }
  return true;
}

}  // namespace

QByteArray edgeMaskTiff(const ValidCorner& valid, const QString& path) {
  MemoryFile file;
  const std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                             TIFFOpenOptionsFree);
  if (!options) throw std::bad_alloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), keepError, &file);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), ignoreWarning, &file);
  TIFF* tiff = TIFFClientOpenExt("mask", "w", &file, readNothing, writeBytes, seekTo, closeNothing, sizeOf,
                                 mapNothing, unmapNothing, options.get());
  bool written = tiff != nullptr;
  if (tiff) {
    setFields(tiff, valid);
    written = writeRows(tiff, valid) && TIFFFlush(tiff) == 1;
    TIFFClose(tiff);
  }
  if (!written || !file.error.isEmpty())
    throw Failure(messages::cannotWriteFile(file.error.isEmpty() ? QStringLiteral("libtiff") : file.error), path);
  return file.bytes;
}

}  // namespace pelmora
