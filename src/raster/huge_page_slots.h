// Memory for a run's large buffers of one size, in slots carved from chunks
// of 2 MB that the kernel may back with huge pages. Fresh memory costs a page
// fault the first time each 4 KB page of it is touched, and under a
// hypervisor a fault costs several microseconds: 3 MB of raster rows cost a
// few milliseconds of faults, where huge pages take one fault for 512 pages.
// Released slots are handed out again last-released first, so the memory
// touched stays close to the slots in use at once. Thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace pelmora {

class HugePageSlots {
 public:
  explicit HugePageSlots(std::size_t slotBytes);
  ~HugePageSlots();
  HugePageSlots(const HugePageSlots&) = delete;
  HugePageSlots& operator=(const HugePageSlots&) = delete;

  // A slot of at least the bytes given, until released. Throws std::bad_alloc.
  std::uint8_t* acquire();
  void release(std::uint8_t* slot);

 private:
  struct Mapping {
    void* start;
    std::size_t bytes;
  };
  void addChunk();

  const std::size_t slotBytes_;
  const std::size_t chunkBytes_;
  std::mutex mutex_;
  std::vector<Mapping> mappings_;
  std::vector<std::uint8_t*> free_;
};

}  // namespace pelmora
