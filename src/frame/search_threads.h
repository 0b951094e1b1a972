// The caller and one helper thread for the length of one frame search. Each
// step's parts are taken by whichever of the two is free, so that a helper
// the system starts or wakes late (an idle virtual processor can take
// milliseconds to wake) costs the step nothing but the parts it would have
// done; between steps the helper waits awake for a moment before it sleeps.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "base/threads.h"

namespace pelmora::frame {

class SearchThreads {
 public:
  // With a helper when `helped` and the system gives a thread.
  explicit SearchThreads(bool helped);
  ~SearchThreads();
  SearchThreads(const SearchThreads&) = delete;
  SearchThreads& operator=(const SearchThreads&) = delete;

  // Runs part(i) for every i in [0, parts), on this thread and the helper;
  // returns when every part is done, passing on the failure of the first
  // part that failed (by index).
  void run(int parts, const std::function<void(int)>& part);

 private:
  bool claim(int& index);
  void runClaimed(int index);
  void help(const std::stop_token& stop);

  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable done_;
  const std::function<void(int)>* part_ = nullptr;
  int parts_ = 0, next_ = 0, running_ = 0;
  FirstFailure* failure_ = nullptr;  // the current step's
  std::atomic<bool> waiting_{false};  // parts are waiting to be claimed
  std::jthread helper_;
};

}  // namespace pelmora::frame
