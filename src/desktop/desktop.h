// What the desktop provides to the commands: the file dialog, the main
// window's state, long work with progress and a cancel button, and notes.
// How a command ends is its outcome, which each front end shows its own way.
// The window implements it with Qt; the batch tool and the tests script it.
#pragma once

#include "base/progress.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace pelmora {

class Desktop {
 public:
  virtual ~Desktop() = default;

  // The open-file dialog with `title` and `filters` ("BITMAP (*.bmp *.BMP)"
  // style, first one selected). The chosen path, or "" when cancelled.
  virtual QString chooseRasterFile(const QString& title, const QStringList& filters) = 0;
  virtual void maximiseWindow() = 0;
  // The main window's outer height in layout units.
  virtual float windowHeight() const = 0;
  // Runs `work` to its end while showing `progress` with a way to cancel it;
  // a total of 0 is work without a count, such as waiting for another run.
  // The window runs it off the user-interface thread and takes no other input
  // meanwhile; `work` must not touch widgets.
  virtual void runWithProgress(const QString& label, Progress& progress,
                               const std::function<void()>& work) = 0;
  // Something the user may want to know that stops nothing. The window keeps
  // quiet; the batch tool says it on stderr.
  virtual void note(const QString& /*text*/) {}
};

}  // namespace pelmora
