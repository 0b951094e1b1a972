// Keeps a read of a mapped file that shrank under the reader from killing the
// process. The kernel answers a read past the file's new end with SIGBUS; a
// handler installed once puts a page of zeros in place of the vanished one and
// marks the mapping as damaged, so the read completes and the owner can turn
// the damage into a failure naming the file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace pelmora {

class MappingGuard {
 public:
  // Watches [begin, begin + bytes) until destroyed. Up to 64 mappings are
  // watched at once; beyond that a fault there ends the process as before.
  MappingGuard(const void* begin, std::size_t bytes);
  ~MappingGuard();
  MappingGuard(const MappingGuard&) = delete;
  MappingGuard& operator=(const MappingGuard&) = delete;

  // True once a read faulted: what was read since may be zeros, not the file.
  bool damaged() const { return damaged_.load(std::memory_order_acquire); }

  // For the handler only.
  bool covers(std::uintptr_t address) const {
    return address >= begin_ && address - begin_ < bytes_;
  }
  void markDamaged() { damaged_.store(true, std::memory_order_release); }

 private:
  std::uintptr_t begin_;
  std::size_t bytes_;
  std::atomic<bool> damaged_{false};
  int slot_ = -1;
};

}  // namespace pelmora
