// The raster's rows held in memory a block at a time for the threads of a
// run. Every image of a run reads the raster's rows, and the tiles of one row
// of the grid read the same rows side by side: read whole and shared, each
// block costs one read of the file instead of one read per image and row.
// The run tells which rows no image needs any more, and a bound on the memory
// held keeps any pattern of reads from growing without end.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "raster/huge_page_slots.h"
#include "raster/raster_source.h"

namespace pelmora {

class RowBlocks {
 public:
  // Blocks of about 256 KB of `source`'s rows, at most `budgetBytes` of
  // them held but for the ones in use.
  RowBlocks(const RasterSource& source, std::size_t budgetBytes);
  RowBlocks(const RowBlocks&) = delete;
  RowBlocks& operator=(const RowBlocks&) = delete;

  // Rows below `row` will not be asked for again: their memory is reused.
  void releaseBelow(int row);

  // Rows [first, end) of the raster, read into memory while this lives; the
  // source's other rows are read through as the source gives them. A
  // RasterSource of its own, to hand to the renderer.
  class Pinned : public RasterSource {
   public:
    Pinned(RowBlocks& blocks, int first, int end);
    ~Pinned() override;
    Pinned(const Pinned&) = delete;
    Pinned& operator=(const Pinned&) = delete;

    const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override;
    const std::uint8_t* rowColumns(int y, int first, int end,
                                   std::vector<std::uint8_t>& scratch) const override;
    void checkUnchanged() const override;

   private:
    RowBlocks& blocks_;
    int firstBlock_ = 0, endBlock_ = 0;
    std::vector<RowBlock> held_;  // one per block in [firstBlock_, endBlock_)
  };

 private:
  struct Block {
    enum class State { Absent, Loading, Ready } state = State::Absent;
    int pins = 0;
    std::uint64_t lastUse = 0;
    std::uint8_t* memory = nullptr;  // a slot of memory_
    RasterSource::RowBlock rows;
  };

  int blockOf(int row) const { return row / rowsPerBlock_; }
  // Pins blocks [first, end) and waits until each is read; a failed read
  // unpins them all and throws.
  std::vector<RasterSource::RowBlock> pin(int first, int end);
  void unpin(int first, int end);
  void load(std::unique_lock<std::mutex>& lock, int index);
  void drop(Block& block);
  void makeRoom();

  const RasterSource& source_;
  const int rowsPerBlock_;
  const std::size_t blockBytes_;
  const std::size_t budgetBytes_;
  HugePageSlots memory_;

  std::mutex mutex_;
  std::condition_variable loaded_;
  std::vector<Block> blocks_;
  std::size_t heldBytes_ = 0;  // blocks' memory
  std::uint64_t uses_ = 0;
  int releasedBelow_ = 0;  // blocks below this one are dropped
};

}  // namespace pelmora
