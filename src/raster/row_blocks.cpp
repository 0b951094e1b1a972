#include "raster/row_blocks.h"

#include <algorithm>

namespace pelmora {
namespace {

// One read a block: large enough that the call costs little, small enough
// that the rows held around the images being drawn stay few.
constexpr std::size_t kBlockBytes = std::size_t(1) << 18;
constexpr int kMaxRowsPerBlock = 256;

int rowsPerBlock(const RasterSource& source) {
  const std::size_t rowBytes = std::max<std::size_t>(std::size_t(source.width()) * 3, 1);
  return int(std::clamp<std::size_t>(kBlockBytes / rowBytes, 1, kMaxRowsPerBlock));
}

}  // namespace

RowBlocks::RowBlocks(const RasterSource& source, std::size_t budgetBytes)
    : source_(source),
      rowsPerBlock_(rowsPerBlock(source)),
      blockBytes_(std::size_t(rowsPerBlock_) * std::size_t(source.width()) * 3),
      budgetBytes_(budgetBytes),
      memory_(source.readRowsBytes(rowsPerBlock_)),
      blocks_(std::size_t(std::max(0, source.height() + rowsPerBlock_ - 1) / rowsPerBlock_)) {}

void RowBlocks::releaseBelow(int row) {
  std::lock_guard lock(mutex_);
  const int below = std::min(std::max(row, 0) / rowsPerBlock_, int(blocks_.size()));
  for (int i = releasedBelow_; i < below; ++i) {
    Block& block = blocks_[std::size_t(i)];
    if (block.state == Block::State::Ready && block.pins == 0) drop(block);
  }
  releasedBelow_ = std::max(releasedBelow_, below);
}

std::vector<RasterSource::RowBlock> RowBlocks::pin(int first, int end) {
  std::unique_lock lock(mutex_);
  for (int i = first; i < end; ++i) ++blocks_[std::size_t(i)].pins;
  try {
    // Reads the blocks of the range that nobody is reading yet, then waits
    // for those that others read meanwhile.
    for (;;) {
      int absent = -1;
      bool othersReading = false;
      for (int i = first; i < end && absent < 0; ++i) {
        const Block::State state = blocks_[std::size_t(i)].state;
        if (state == Block::State::Absent) absent = i;
        if (state == Block::State::Loading) othersReading = true;
      }
      if (absent >= 0) {
        load(lock, absent);
        continue;
      }
      if (!othersReading) break;
      loaded_.wait(lock);
    }
  } catch (...) {
    for (int i = first; i < end; ++i) --blocks_[std::size_t(i)].pins;
    throw;
  }
  std::vector<RasterSource::RowBlock> held;
  held.reserve(std::size_t(end - first));
  for (int i = first; i < end; ++i) {
    Block& block = blocks_[std::size_t(i)];
    block.lastUse = ++uses_;
    held.push_back(block.rows);
  }
  return held;
}

void RowBlocks::unpin(int first, int end) {
  std::lock_guard lock(mutex_);
  for (int i = first; i < end; ++i) {
    Block& block = blocks_[std::size_t(i)];
    if (--block.pins == 0 && i < releasedBelow_ && block.state == Block::State::Ready) drop(block);
  }
}

void RowBlocks::load(std::unique_lock<std::mutex>& lock, int index) {
  Block& block = blocks_[std::size_t(index)];
  block.state = Block::State::Loading;
  makeRoom();
  std::uint8_t* memory = nullptr;
  try {
    memory = memory_.acquire();
  } catch (...) {
    block.state = Block::State::Absent;
    loaded_.notify_all();
    throw;
  }
  heldBytes_ += blockBytes_;
  const int first = index * rowsPerBlock_;
  const int count = std::min(rowsPerBlock_, source_.height() - first);
  lock.unlock();
  RasterSource::RowBlock rows;
  try {
    rows = source_.readRows(first, count, memory);
  } catch (...) {
    lock.lock();
    block.memory = memory;
    block.state = Block::State::Ready;  // for drop() to hand the memory back
    drop(block);
    loaded_.notify_all();
    throw;
  }
  lock.lock();
  block.memory = memory;
  block.rows = rows;
  block.state = Block::State::Ready;
  loaded_.notify_all();
}

// The block's memory goes back for the next block to read into.
void RowBlocks::drop(Block& block) {
  memory_.release(block.memory);
  heldBytes_ -= blockBytes_;
  block.memory = nullptr;
  block.rows = {};
  block.state = Block::State::Absent;
}

// Makes room for one more block beyond the budget: the block used longest
// ago and not in use is dropped, its memory the next block's.
void RowBlocks::makeRoom() {
  if (heldBytes_ + blockBytes_ <= budgetBytes_) return;
  Block* oldest = nullptr;
  for (Block& block : blocks_)
    if (block.state == Block::State::Ready && block.pins == 0 &&
        (!oldest || block.lastUse < oldest->lastUse))
      oldest = &block;
  if (oldest) drop(*oldest);  // none: all in use, and the budget gives way
}

RowBlocks::Pinned::Pinned(RowBlocks& blocks, int first, int end)
    : RasterSource(blocks.source_.width(), blocks.source_.height()), blocks_(blocks) {
  first = std::max(first, 0);
  end = std::min(end, height());
  if (first >= end) return;
  firstBlock_ = blocks.blockOf(first);
  endBlock_ = blocks.blockOf(end - 1) + 1;
  held_ = blocks.pin(firstBlock_, endBlock_);
}

RowBlocks::Pinned::~Pinned() {
  if (firstBlock_ < endBlock_) blocks_.unpin(firstBlock_, endBlock_);
}

const std::uint8_t* RowBlocks::Pinned::row(int y, std::vector<std::uint8_t>& scratch) const {
  const int block = blocks_.blockOf(y);
  if (y < 0 || block < firstBlock_ || block >= endBlock_) return blocks_.source_.row(y, scratch);
  const RowBlock& rows = held_[std::size_t(block - firstBlock_)];
  return rows.start + std::ptrdiff_t(y - block * blocks_.rowsPerBlock_) * rows.stride;
}

const std::uint8_t* RowBlocks::Pinned::rowColumns(int y, int first, int end,
                                                  std::vector<std::uint8_t>& scratch) const {
  const int block = blocks_.blockOf(y);
  if (y < 0 || block < firstBlock_ || block >= endBlock_)
    return blocks_.source_.rowColumns(y, first, end, scratch);
  return row(y, scratch);
}

void RowBlocks::Pinned::checkUnchanged() const { blocks_.source_.checkUnchanged(); }

}  // namespace pelmora
