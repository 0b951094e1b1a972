// GDAL's side of a raster file inside pelmora-gdal.so: the dataset opened by
// the drivers of real raster files only, how its colour channels (GDAL's
// bands) become blue-green-red rows, and where it lies.
#pragma once

#include <gdal.h>

#include <QString>
#include <array>
#include <cstdint>
#include <utility>

#include "raster/gdal_module_api.h"

namespace pelmora {

// Owns a dataset handle.
struct Dataset {
  GDALDatasetH handle = nullptr;
  Dataset() = default;
  explicit Dataset(GDALDatasetH h) : handle(h) {}
  Dataset(Dataset&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
  ~Dataset() {
    if (handle) GDALClose(handle);
  }
};

// `path` opened by the driver of its raster file format. Throws Failure
// naming a format of another kind, or GDAL's reason.
Dataset openDataset(const QString& path);

// How the file's channels become blue-green-red rows.
enum class Channels { Lookup, Rgb, Rgba };

struct PixelPlan {
  Channels channels = Channels::Rgb;
  // Blue, green, red of every gray level or palette index (over white where
  // the palette has alpha).
  std::array<std::array<std::uint8_t, 3>, 256> lookup{};
  bool grayLookup = false;  // one channel of gray levels, no palette
};

inline std::uint8_t overWhite(int colour, int alpha) {
  return std::uint8_t((colour * alpha + 255 * (255 - alpha) + 127) / 255);
}

// How the file's channels are read; throws Failure naming them when they are
// not 8-bit gray, palette, RGB or RGBA.
PixelPlan pixelPlanOf(GDALDatasetH dataset, const QString& path);

// Where the dataset says it lies.
GdalPlacement placementOf(GDALDatasetH dataset);

}  // namespace pelmora
