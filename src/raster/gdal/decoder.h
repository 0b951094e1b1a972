// Decoding a dataset into the file of rows behind a DecodedFile (see
// decoded_file.h): on every core for formats read in blocks, else in file
// order, by GDAL or by the format's own library (row_decoder.h).
#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "base/failure.h"
#include "base/threads.h"
#include "raster/gdal/gdal_dataset.h"
#include "raster/gdal/row_decoder.h"

namespace pelmora {

struct Progress;

// Decodes a raster into the file of a DecodedFile a chunk of whole block rows
// at a time, and tells readers how many rows from the top are written.
class Decoder {
 public:
  Decoder(QString path, Dataset first, const PixelPlan& plan, int fd, Progress* progress);

  // Decodes every chunk; false when cancelled. Throws the first failure.
  bool run();

  // run() behind the readers, which get whatever stops it as a Failure
  // naming the file; never throws.
  void runBehind();

  // Asks the threads to stop after the chunk in hand.
  void stop();

  // Waits until rows [0, end) are in the file; throws the failure that
  // stopped the decoding before them.
  void awaitRows(int end);

  // Throws the failure that stopped the decoding, when one has.
  void throwFailure();

 private:
  void work(GDALDatasetH given);
  // The next chunk to decode; -1 when none is left, or the decoding stops.
  int nextChunk();
  void written(int chunk, int rows);
  void decode(GDALDatasetH dataset, int top, int rows, std::uint8_t* in, std::uint8_t* out);
  void write(const std::uint8_t* data, std::size_t bytes, std::int64_t offset);
  // Inside a catch block: the exception being handled stops the decoding,
  // as a Failure naming the file.
  void stopWithCurrent();

  const QString path_;
  Dataset first_;
  const PixelPlan plan_;
  std::unique_ptr<RowDecoder> rowDecoder_;
  int fd_;
  Progress* progress_;
  int width_ = 0, height_ = 0;
  std::size_t rowBytes_ = 0;
  int chunkRows_ = 1, chunks_ = 0, threads_ = 1;

  std::mutex mutex_;
  std::condition_variable decoded_;
  // Under mutex_:
  int next_ = 0;
  std::vector<bool> chunkDone_;
  int firstUndone_ = 0;
  std::int64_t rowsDone_ = 0;
  bool stop_ = false, cancelled_ = false, finished_ = false;
  FirstFailure failure_;  // set before stop_, checked under mutex_ too
  // Rows [0, readyRows_) are in the file: written under mutex_, read without.
  std::atomic<int> readyRows_{0};
};

}  // namespace pelmora
