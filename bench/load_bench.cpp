// The load command on an in-memory form, for bench/load.sh: opens the raster,
// fits the view, draws it and the grid, then runs the grid command again.
// `load_bench RASTER` prints "LOAD_SECONDS GRID_SECONDS PEAK_KB ANON_KB REOPENED"
// (REOPENED 1 when the grid command took another raster than the load opened).
#include "window/grid.h"
#include "window/load.h"
#include "desktop/desktop.h"
#include "desktop/image_view.h"
#include "window/fields.h"
#include "window/form.h"

#include <sys/resource.h>

#include <QFile>
#include <chrono>
#include <cstdio>

namespace {

class ScriptedDesktop : public pelmora::Desktop {
 public:
  explicit ScriptedDesktop(QString path) : path_(std::move(path)) {}
  QString chooseRasterFile(const QString&, const QStringList&) override { return path_; }
  void maximiseWindow() override {}
  float windowHeight() const override { return 16200; }
  void runWithProgress(const QString&, pelmora::Progress&,
                       const std::function<void()>& work) override {
    work();
  }

 private:
  QString path_;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Resident anonymous memory: what the process holds besides mapped files.
long anonymousKilobytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("RssAnon:")) return line.mid(8).trimmed().split(' ').value(0).toLong();
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: load_bench RASTER\n");
    return 2;
  }
  const QString path = QFile::decodeName(argv[1]);
  pelmora::MemoryFields fields;
  pelmora::ImageView view;  // draws the grid lines as the window does
  ScriptedDesktop desktop(path);
  pelmora::Form form(fields, view, desktop);

  const auto loadStart = std::chrono::steady_clock::now();
  const pelmora::CommandOutcome loaded = pelmora::loadRaster(form);
  const double loadSeconds = secondsSince(loadStart);
  if (!loaded.isCompleted()) {
    std::fprintf(stderr, "%s\n", loaded.message().toLocal8Bit().constData());
    return 1;
  }

  const auto opened = form.raster;
  const auto gridStart = std::chrono::steady_clock::now();
  const pelmora::CommandOutcome grid = pelmora::showGrid(form);
  const double gridSeconds = secondsSince(gridStart);
  const bool reopened = !opened || form.raster != opened;

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.4f %.4f %ld %ld %d\n", loadSeconds, gridSeconds, usage.ru_maxrss,
              anonymousKilobytes(), reopened ? 1 : 0);
  if (!grid.isCompleted()) std::fprintf(stderr, "%s\n", grid.message().toLocal8Bit().constData());
  return grid.isCompleted() ? 0 : 1;
}
