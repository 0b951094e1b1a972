#include "frame/search_threads.h"

#include <chrono>
#include <system_error>

namespace pelmora::frame {

namespace {

// How long the helper keeps looking for parts before it sleeps: longer than
// the caller's work between two steps of a search.
constexpr auto kAwake = std::chrono::milliseconds(3);

}  // namespace

SearchThreads::SearchThreads(bool helped) {
  if (!helped) return;
  try {
    helper_ = std::jthread([this](std::stop_token stop) { help(stop); });
  } catch (const std::system_error&) {
    // No thread to spare: the caller does every part.
  }
}

SearchThreads::~SearchThreads() {
  if (!helper_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    helper_.request_stop();
  }
  wake_.notify_all();
}

bool SearchThreads::claim(int& index) {
  const std::lock_guard lock(mutex_);
  if (!part_ || next_ >= parts_) return false;
  index = next_++;
  ++running_;
  if (next_ >= parts_) waiting_ = false;
  return true;
}

void SearchThreads::runClaimed(int index) {
  failure_->guard(index, [&] { (*part_)(index); });
  const std::lock_guard lock(mutex_);
  if (--running_ == 0 && next_ >= parts_) done_.notify_all();
}

void SearchThreads::run(int parts, const std::function<void(int)>& part) {
  if (parts <= 0) return;
  FirstFailure failure;
  {
    const std::lock_guard lock(mutex_);
    part_ = &part, parts_ = parts, next_ = 0, failure_ = &failure;
    waiting_ = true;
  }
  wake_.notify_one();
  for (int index; claim(index);) runClaimed(index);
  {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return running_ == 0; });
    part_ = nullptr, failure_ = nullptr;
  }
  failure.rethrow();
}

void SearchThreads::help(const std::stop_token& stop) {
  while (!stop.stop_requested()) {
    // Awake for a while: the next step most often starts within it.
    const auto until = std::chrono::steady_clock::now() + kAwake;
    while (!waiting_ && !stop.stop_requested() && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    if (!waiting_) {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, stop, [this] { return waiting_.load(); });
    }
    for (int index; claim(index);) runClaimed(index);
  }
}

}  // namespace pelmora::frame
