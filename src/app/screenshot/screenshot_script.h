// A scripted use of the window for screenshots: loads a raster through
// Command1, sets the counts and clicks Command3, drags a frame corner, clicks
// Command2, and saves a
// picture of the screen around the window, during the run while the progress
// dialog shows, else once everything is done; then quits.
// Message boxes that appear are pictured (when nothing was yet) and closed.
#pragma once

#include "app/form1.h"

#include <QString>

namespace pelmora {

struct ScreenshotScript {
  QString raster;   // loaded through Command1 at start; "" loads nothing
  QString grid;     // "3x4": rows and columns typed, then Command3; "" leaves them
  bool drag = false; // drag the frame's top-left corner and take the picture while it is held
  bool run = false; // click Command2 after that
  QString picture;  // where the picture is saved
};

// Starts the script on the shown window; it quits the application when done.
void startScreenshotScript(Form1& window, const ScreenshotScript& script);

}  // namespace pelmora
