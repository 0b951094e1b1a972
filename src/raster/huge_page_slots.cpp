#include "raster/huge_page_slots.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

namespace pelmora {
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t roundUp(std::size_t bytes, std::size_t to) { return (bytes + to - 1) / to * to; }

}  // namespace

HugePageSlots::HugePageSlots(std::size_t slotBytes)
    : slotBytes_(roundUp(std::max<std::size_t>(slotBytes, 1), 64)),
      chunkBytes_(roundUp(slotBytes_, kHugePage)) {}

HugePageSlots::~HugePageSlots() {
  for (const Mapping& mapping : mappings_) munmap(mapping.start, mapping.bytes);
}

std::uint8_t* HugePageSlots::acquire() {
  std::lock_guard lock(mutex_);
  if (free_.empty()) addChunk();
  std::uint8_t* slot = free_.back();
  free_.pop_back();
  return slot;
}

void HugePageSlots::release(std::uint8_t* slot) {
  if (!slot) return;
  std::lock_guard lock(mutex_);
  free_.push_back(slot);
}

// A chunk aligned to a huge page, as the kernel backs only whole aligned
// huge pages: mapped a huge page larger, and the ragged ends given back.
void HugePageSlots::addChunk() {
  const std::size_t mapped = chunkBytes_ + kHugePage;
  void* start = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (start == MAP_FAILED) throw std::bad_alloc();
  auto* base = static_cast<std::uint8_t*>(start);
  auto* aligned = reinterpret_cast<std::uint8_t*>(
      roundUp(reinterpret_cast<std::uintptr_t>(base), kHugePage));
  if (aligned > base) munmap(base, std::size_t(aligned - base));
  const std::size_t tail = mapped - std::size_t(aligned - base) - chunkBytes_;
  if (tail > 0) munmap(aligned + chunkBytes_, tail);
  const std::size_t slotCount = chunkBytes_ / slotBytes_;
  try {
    free_.reserve(free_.size() + slotCount);
    mappings_.push_back({aligned, chunkBytes_});
  } catch (...) {
    munmap(aligned, chunkBytes_);
    throw;
  }
  // Without huge pages (switched off, or none to be had) the chunk is
  // ordinary memory: nothing to do about a refusal.
  madvise(aligned, chunkBytes_, MADV_HUGEPAGE);
  // The first slot handed out first: the memory in use stays together.
  for (std::size_t i = slotCount; i-- > 0;) free_.push_back(aligned + i * slotBytes_);
}

}  // namespace pelmora
