// A JPEG file decoded by libjpeg-turbo a stretch of rows at a time, straight
// into blue-green-red rows. GDAL's JPEG driver gives the same pixels (the
// same library with its default settings) but through its block cache a
// band at a time, at about a third of the speed; GDAL still opens the file,
// says what it holds and where it lies.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace pelmora {

class JpegRows {
 public:
  // The file at `path` ready to decode from its first row; null when it is not
  // one this reader decodes as GDAL does (not 8-bit, CMYK), which GDAL then
  // decodes itself. Throws Failure when the file cannot be opened or its
  // header read.
  static std::unique_ptr<JpegRows> open(const QString& path);
  ~JpegRows();
  JpegRows(const JpegRows&) = delete;
  JpegRows& operator=(const JpegRows&) = delete;

  int width() const;
  int height() const;

  // Decodes the next `count` rows into `out`, rows of width() * 3 bytes one
  // after the other. Throws Failure with libjpeg's own words when it fails.
  void read(int count, std::uint8_t* out);

  struct State;  // libjpeg's, defined in the source file

 private:
  explicit JpegRows(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace pelmora
