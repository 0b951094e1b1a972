// A scripted use of the window for screenshots, driven by the environment:
//   PELMORA_LOAD=raster       loads the raster through Command1 at start
//   PELMORA_GRID=3x4          then sets the counts and clicks Command3
//   PELMORA_RUN=1             then clicks Command2 (the registration run)
//   PELMORA_SCREENSHOT=file   saves a picture of the screen around the window
//                             and quits: during the run while the progress
//                             dialog shows, else once everything is done.
// Message boxes that appear are pictured (when nothing was yet) and closed.
#pragma once

#include "app/form1.h"

namespace pelmora {

// Starts the scripted use when one of the variables is set; false otherwise.
bool startDemoRun(Form1& window);

}  // namespace pelmora
