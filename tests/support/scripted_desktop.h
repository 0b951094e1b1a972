// A desktop whose file dialog answers from a script and whose notes are
// recorded, for driving the commands without a window.
#pragma once

#include "desktop/desktop.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace pelmora::testing {

class ScriptedDesktop : public Desktop {
 public:
  QString nextFile;          // what the file dialog returns
  float height = 16200;      // the window's outer height in layout units
  bool cancelRun = false;    // press cancel as soon as the run starts

  QStringList notes;
  QStringList progressLabels;  // every runWithProgress, in order
  // Runs as runWithProgress begins, on the thread that called it.
  std::function<void(const QString& label, Progress& progress)> onProgress;
  int dialogsShown = 0;
  int maximised = 0;
  QString lastDialogTitle;
  QStringList lastDialogFilters;

  QString chooseRasterFile(const QString& title, const QStringList& filters) override {
    ++dialogsShown;
    lastDialogTitle = title;
    lastDialogFilters = filters;
    return nextFile;
  }
  void note(const QString& text) override { notes << text; }
  void maximiseWindow() override { ++maximised; }
  float windowHeight() const override { return height; }
  void runWithProgress(const QString& label, Progress& progress,
                       const std::function<void()>& work) override {
    progressLabels << label;
    if (onProgress) onProgress(label, progress);
    if (cancelRun) progress.cancelRequested = true;
    work();
  }
};

}  // namespace pelmora::testing
