// The desktop as the batch tool plays it: the dialog answers with the raster
// named on the command line, notes go to stderr, long work runs on the
// calling thread with a progress bar on a terminal.
#pragma once

#include "cli/console.h"
#include "commands/front_end.h"

#include <QString>
#include <functional>

namespace pelmora {

class BatchDesktop : public Desktop {
 public:
  // `subject` names the raster in every line when several are cut; empty for one.
  BatchDesktop(QString rasterPath, float windowHeight, const Console& console, bool quiet,
               QString subject = {});

  QString chooseRasterFile(const QString& title, const QStringList& filters) override;
  void maximiseWindow() override {}
  float windowHeight() const override { return windowHeight_; }
  void runWithProgress(const QString& label, Progress& progress,
                       const std::function<void()>& work) override;
  void note(const QString& text) override;

 private:
  QString rasterPath_;
  float windowHeight_;
  const Console& console_;
  bool quiet_;
  QString subject_;
};

}  // namespace pelmora
