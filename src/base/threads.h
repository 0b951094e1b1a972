// The fan-out of work over threads that the run's workers, the renderer's
// slices and the GDAL module's decoder share, and the failure of that work
// passed on to the caller. Inline, for the GDAL module too.
#pragma once

#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace pelmora {

// The first failure of work shared by several threads, kept to be passed on
// once they are done: those that follow it are most often its consequences.
// Where the work is in ordered parts (slices of rows), the part decides rather
// than the moment, so that a fault gives the same message on every run.
// Thread-safe.
class FirstFailure {
 public:
  // Keeps `failure` unless one from an earlier part, or of the same part and
  // earlier, is kept.
  void keep(std::exception_ptr failure, int part = 0) noexcept {
    std::lock_guard lock(mutex_);
    if (first_ && part >= part_) return;
    first_ = std::move(failure);
    part_ = part;
  }
  // Inside a catch block: keeps the exception being handled.
  void keepCurrent(int part = 0) noexcept { keep(std::current_exception(), part); }

  // Runs `work`, keeping what it throws as the failure of `part`.
  template <class Work>
  void guard(int part, const Work& work) noexcept {
    try {
      work();
    } catch (...) {
      keepCurrent(part);
    }
  }

  bool any() const noexcept {
    std::lock_guard lock(mutex_);
    return bool(first_);
  }
  // Throws the failure kept, when there is one.
  void rethrow() const {
    std::exception_ptr first;
    {
      std::lock_guard lock(mutex_);
      first = first_;
    }
    if (first) std::rethrow_exception(first);
  }

 private:
  mutable std::mutex mutex_;
  std::exception_ptr first_;
  int part_ = 0;
};

// What becomes of the parts whose thread the system did not give.
enum class PartsWithoutThread {
  skipped,        // the parts take work from a shared queue: those started do it all
  runByCaller,    // the calling thread does them after its own
};

// Runs `work(i)` for every part i in [0, parts): part 0 on the calling
// thread, every other on a thread of its own while the system gives one.
// Never ends the process when a thread cannot start. Every thread is joined
// before this returns or passes on what `work(0)` throws.
template <class Work>
void runOnThreads(int parts, const Work& work, PartsWithoutThread withoutThread) {
  std::vector<std::jthread> helpers;
  helpers.reserve(std::size_t(parts > 1 ? parts - 1 : 0));
  int started = 1;
  try {
    for (; started < parts; ++started) helpers.emplace_back([&work, started] { work(started); });
  } catch (const std::system_error&) {
    // No thread to spare: see `withoutThread`.
  }
  work(0);
  if (withoutThread == PartsWithoutThread::runByCaller)
    for (int i = started; i < parts; ++i) work(i);
}

}  // namespace pelmora
