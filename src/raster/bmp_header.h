// The headers of a bitmap file, read and checked with 64-bit arithmetic
// against the file's size before any pixel is touched.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pelmora {

// Where the rows of an uncompressed bitmap lie in its file.
struct BmpLayout {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;  // 1, 4, 8, 24 or 32
  bool topDown = false;
  std::int64_t pixelOffset = 0;  // first stored row
  std::int64_t stride = 0;       // bytes per stored row, padded to 4
  // Blue, green, red for every index of a 1-, 4- or 8-bit bitmap; indices
  // beyond the stored palette are black.
  std::vector<std::array<std::uint8_t, 3>> palette;
};

// Bytes of the file's start that inspectBmp needs at most.
constexpr std::size_t kBmpHeadBytes = 2048;

// True when the file starts like a bitmap ("BM").
bool looksLikeBmp(const std::uint8_t* head, std::size_t headSize);

// The layout of a bitmap whose rows can be addressed where they lie; nullopt
// for a valid bitmap that must be decoded instead (run-length compressed,
// 16-bit, colour masks other than plain blue-green-red). `head` holds the
// first min(kBmpHeadBytes, fileSize) bytes. Throws Failure (without a file)
// naming what is wrong with a malformed header.
std::optional<BmpLayout> inspectBmp(const std::uint8_t* head, std::size_t headSize,
                                    std::int64_t fileSize);

}  // namespace pelmora
