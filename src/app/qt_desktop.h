// The desktop as the commands use it, with Qt: the file dialog, message boxes,
// maximising the main window, and long work off the user-interface thread
// behind a window-modal progress dialog.
#pragma once

#include "window/front_end.h"

#include <QThreadPool>
#include <QWidget>
#include <functional>

namespace pelmora {

class QtDesktop : public Desktop {
 public:
  explicit QtDesktop(QWidget& window);

  QString chooseRasterFile(const QString& title, const QStringList& filters) override;
  // A modal message box with an OK button, captioned "Pelmora".
  void showMessage(const QString& text);
  void maximiseWindow() override;
  float windowHeight() const override;
  void runWithProgress(const QString& label, Progress& progress,
                       const std::function<void()>& work) override;

  // Answers the next file dialogs without showing one (a demonstration run
  // of the window); an empty chooser restores the dialog.
  using FileChooser = std::function<QString(const QString& title, const QStringList& filters)>;
  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

 private:
  QString showFileDialog(const QString& title, const QStringList& filters);
  // Runs the event loop without user input until the window is resized or
  // `milliseconds` have passed; true when it was resized.
  bool waitForResize(int milliseconds);

  QWidget& window_;
  FileChooser chooser_;
  QString lastFolder_;
  // The work's own thread, so that workers it starts on the global pool
  // never wait behind it.
  QThreadPool workThread_;
};

}  // namespace pelmora
