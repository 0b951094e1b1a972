// The batch tool's progress: the bar's text, and Ctrl-C turned into a cancel
// request while work runs (and only then).
#include "cli/progress_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace pelmora {
namespace {

TEST(ProgressBar, FillsInProportionAndAlignsTheCount) {
  EXPECT_EQ(progressBarText("run", 0, 101, 10), "run [          ]   0/101");
  EXPECT_EQ(progressBarText("run", 50, 100, 10), "run [#####     ]  50/100");
  EXPECT_EQ(progressBarText("run", 7, 7, 4), "run [####] 7/7");
  EXPECT_EQ(progressBarText("run", 0, 0, 4), "run [####] 0/0");
}

TEST(ProgressWatch, InterruptOrTerminateRequestsCancelWhileWorkRuns) {
  for (const int signal : {SIGINT, SIGTERM}) {
    Progress progress(10);
    {
      ProgressWatch watch(progress, "run", /*drawBar=*/false);
      std::raise(signal);
      for (int i = 0; i < 50 && !progress.cancelRequested; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(progress.cancelRequested) << signal;
  }

  Progress next(10);
  {
    ProgressWatch watch(next, "run", false);  // an earlier interrupt does not carry over
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  EXPECT_FALSE(next.cancelRequested);
}

}  // namespace
}  // namespace pelmora
