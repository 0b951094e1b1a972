// How far long work has come, shared between the work and whoever shows it,
// and the user's request to cancel it.
#pragma once

#include <atomic>

namespace pelmora {

struct Progress {
  explicit Progress(int total) : total(total) {}
  const int total;
  std::atomic<int> done{0};
  std::atomic<bool> cancelRequested{false};
  // Work that usually ends at once (opening a bitmap) shows its progress
  // only when it lasts longer than this.
  int showAfterMilliseconds = 0;
  bool inPercent = false;  // `done` counts hundredths, not items
};

}  // namespace pelmora
