// The decoding part of bench/formats.sh's floor: `decode_bench [-j N] RASTER`
// decodes every pixel of RASTER through GDAL as 24-bit RGB rows, on N threads
// (default 1), each with a dataset of its own and a contiguous share of the
// rows cut at whole block rows, so that no block is decoded twice. The rows
// land in a buffer of about 4 MB per thread, used again for each part: the
// figure is GDAL's decoding, not the first touch of a fresh raster-sized
// buffer. GDAL's own threads (GDAL_NUM_THREADS) stay at one per dataset
// unless the environment sets them. Exit status 1 when GDAL fails.
#include <gdal.h>
#include <cpl_conv.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

struct Share {
  int firstRow = 0, endRow = 0;
};

// Decodes rows [share.firstRow, share.endRow) in parts of `partRows`; false on
// a GDAL failure.
bool decodeShare(const char* path, Share share, int partRows) {
  GDALDatasetH dataset = GDALOpen(path, GA_ReadOnly);
  if (!dataset) return false;
  const int width = GDALGetRasterXSize(dataset);
  std::vector<std::uint8_t> rows(std::size_t(width) * 3 * std::size_t(partRows));
  int bands[3] = {1, 2, 3};
  bool ok = true;
  for (int top = share.firstRow; ok && top < share.endRow; top += partRows) {
    const int count = std::min(partRows, share.endRow - top);
    ok = GDALDatasetRasterIO(dataset, GF_Read, 0, top, width, count, rows.data(), width, count,
                             GDT_Byte, 3, bands, 3, GSpacing(width) * 3, 1) == CE_None;
  }
  GDALClose(dataset);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  int threads = 1;
  if (argc == 4 && std::strcmp(argv[1], "-j") == 0) {
    threads = std::atoi(argv[2]);
    argv += 2;
    argc -= 2;
  }
  if (argc != 2 || threads < 1) {
    std::fprintf(stderr, "usage: decode_bench [-j N] RASTER\n");
    return 2;
  }
  const char* path = argv[1];
  if (!std::getenv("GDAL_NUM_THREADS")) CPLSetConfigOption("GDAL_NUM_THREADS", "1");
  GDALAllRegister();

  GDALDatasetH first = GDALOpen(path, GA_ReadOnly);
  if (!first) return 1;
  const int width = GDALGetRasterXSize(first), height = GDALGetRasterYSize(first);
  int blockWidth = 0, blockHeight = 0;
  if (GDALGetRasterCount(first) < 3) {
    std::fprintf(stderr, "decode_bench: %s has fewer than 3 bands\n", path);
    return 1;
  }
  GDALGetBlockSize(GDALGetRasterBand(first, 1), &blockWidth, &blockHeight);
  GDALClose(first);
  blockHeight = std::clamp(blockHeight, 1, height);

  // Parts of whole block rows, about 4 MB of output each.
  const int rowsIn4MB = std::max(1, int((std::size_t(4) << 20) / (std::size_t(width) * 3)));
  const int partRows = std::max(1, rowsIn4MB / blockHeight) * blockHeight;
  const int blockRows = (height + blockHeight - 1) / blockHeight;
  threads = std::min(threads, blockRows);

  std::atomic<bool> ok{true};
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    const Share share{std::min(height, blockRows * t / threads * blockHeight),
                      std::min(height, blockRows * (t + 1) / threads * blockHeight)};
    workers.emplace_back([&, share] {
      if (!decodeShare(path, share, partRows)) ok = false;
    });
  }
  for (auto& worker : workers) worker.join();
  return ok ? 0 : 1;
}
