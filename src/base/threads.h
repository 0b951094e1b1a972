// The fan-out of work over threads that the run's workers and the
// renderer's slices share.
#pragma once

#include <system_error>
#include <thread>
#include <vector>

namespace pelmora {

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
