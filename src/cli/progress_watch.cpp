#include "cli/progress_watch.h"

#include <chrono>
#include <csignal>
#include <cstdio>

namespace pelmora {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int signal) {
  interrupted = 1;
  // A second Ctrl-C (or kill) ends the process at once.
  std::signal(signal, SIG_DFL);
}

}  // namespace

QString progressBarText(const QString& label, int done, int total, int barWidth) {
  const int filled = total > 0 ? int(qint64(done) * barWidth / total) : barWidth;
  const int digits = int(QString::number(total).size());
  return QStringLiteral("%1 [%2%3] %4/%5")
      .arg(label, QString(filled, u'#'), QString(barWidth - filled, u' '))
      .arg(done, digits)
      .arg(total);
}

ProgressWatch::ProgressWatch(Progress& progress, QString label, bool drawBar)
    : progress_(progress), label_(label.toUtf8()), drawBar_(drawBar) {
  interrupted = 0;
  std::signal(SIGINT, onInterrupt);
  std::signal(SIGTERM, onInterrupt);
  thread_ = std::thread([this] { watch(); });
}

ProgressWatch::~ProgressWatch() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  wake_.notify_all();
  thread_.join();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  if (drawBar_ && (drawn_ || progress_.showAfterMilliseconds == 0)) draw(true);
}

void ProgressWatch::watch() {
  using namespace std::chrono_literals;
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock lock(mutex_);
  while (!finished_) {
    if (interrupted) progress_.cancelRequested = true;
    if (drawBar_ && std::chrono::steady_clock::now() - start >=
                        std::chrono::milliseconds(progress_.showAfterMilliseconds)) {
      draw(false);
      drawn_ = true;
    }
    // Woken at once when the work ends, so the run pays no tail of waiting.
    wake_.wait_for(lock, 100ms, [this] { return finished_; });
  }
}

void ProgressWatch::draw(bool final) {
  const QByteArray line =
      progressBarText(QString::fromUtf8(label_), progress_.done, progress_.total).toUtf8();
  std::fprintf(stderr, "\r%s%s", line.constData(), final ? "\n" : "");
  std::fflush(stderr);
}

}  // namespace pelmora
