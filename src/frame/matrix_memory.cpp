#include "frame/matrix_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <new>
#include <opencv2/core.hpp>

namespace pelmora::frame {
namespace {

constexpr std::size_t kLarge = std::size_t(1) << 20;
constexpr std::size_t kGrain = std::size_t(64) << 10;
constexpr std::size_t kMaxKept = std::size_t(64) << 20;

// Large blocks, mapped from the system and kept by size once freed.
class LargeBlocks {
 public:
  void* take(std::size_t bytes) {
    {
      std::lock_guard lock(mutex_);
      if (auto kept = free_.find(bytes); kept != free_.end()) {
        void* block = kept->second;
        free_.erase(kept);
        keptBytes_ -= bytes;
        return block;
      }
    }
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    return block;
  }

  void give(void* block, std::size_t bytes) {
    {
      std::lock_guard lock(mutex_);
      if (keptBytes_ + bytes <= kMaxKept) {
        free_.emplace(bytes, block);
        keptBytes_ += bytes;
        return;
      }
    }
    munmap(block, bytes);
  }

 private:
  std::mutex mutex_;
  std::multimap<std::size_t, void*> free_;
  std::size_t keptBytes_ = 0;
};

// Whole 64 KB: the blocks of like matrices then share a size.
std::size_t roundedUp(std::size_t bytes) { return (bytes + kGrain - 1) & ~(kGrain - 1); }

// OpenCV's own allocator for host memory, but for where large blocks come from.
class KeepingAllocator final : public cv::MatAllocator {
 public:
  cv::UMatData* allocate(int dims, const int* sizes, int type, void* data, std::size_t* step, cv::AccessFlag,
                         cv::UMatUsageFlags) const override {
    std::size_t total = CV_ELEM_SIZE(type);
    for (int i = dims - 1; i >= 0; --i) {
      if (step) {
        if (data && step[i] != cv::Mat::AUTO_STEP) total = step[i];
        else step[i] = total;
      }
      total *= std::size_t(sizes[i]);
    }
    auto* u = new cv::UMatData(this);
    u->size = total;
    if (data) {
      u->data = u->origdata = static_cast<uchar*>(data);
      u->flags |= cv::UMatData::USER_ALLOCATED;
    } else if (total >= kLarge) {
      u->data = u->origdata = static_cast<uchar*>(blocks_.take(roundedUp(total)));
    } else {
      u->data = u->origdata = static_cast<uchar*>(cv::fastMalloc(total));
    }
    return u;
  }

  bool allocate(cv::UMatData* u, cv::AccessFlag, cv::UMatUsageFlags) const override { return u != nullptr; }

  void deallocate(cv::UMatData* u) const override {
    if (!u) return;
    if (!(u->flags & cv::UMatData::USER_ALLOCATED)) {
      if (u->size >= kLarge) blocks_.give(u->origdata, roundedUp(u->size));
      else cv::fastFree(u->origdata);
    }
    delete u;
  }

 private:
  mutable LargeBlocks blocks_;
};

}  // namespace

void keepLargeMatrixMemory() {
  static std::once_flag once;
  std::call_once(once, [] {
    static KeepingAllocator allocator;
    cv::Mat::setDefaultAllocator(&allocator);
  });
}

}  // namespace pelmora::frame
