// Watches long work from a thread of its own: draws a progress bar on the
// terminal's stderr and turns Ctrl-C and SIGTERM into a cancel request, so
// that a stopped run removes what it began and keeps the earlier files.
#pragma once

#include "commands/front_end.h"

#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace pelmora {

class ProgressWatch {
 public:
  ProgressWatch(Progress& progress, QString label, bool drawBar);
  ~ProgressWatch();
  ProgressWatch(const ProgressWatch&) = delete;
  ProgressWatch& operator=(const ProgressWatch&) = delete;

 private:
  void watch();
  void draw(bool final);

  Progress& progress_;
  QByteArray label_;
  bool drawBar_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool finished_ = false;
  bool drawn_ = false;
  std::thread thread_;
};

// The bar's text for `done` of `total` ("label [#####     ]  12/100").
QString progressBarText(const QString& label, int done, int total, int barWidth = 30);

}  // namespace pelmora
