// pelmora, the window: Qt's own dialogs in Japanese like the window, Form1
// shown; --version and --help answered without a display.
#include "app/form1.h"
#include "app/window_application.h"
#include "app/window_command_line.h"

#include <malloc.h>

int main(int argc, char** argv) {
  // Answered before Qt Gui starts, so that they need no display.
  if (const int status = pelmora::answerWindowCommandLine(argc, argv); status >= 0) return status;
  // The renderer sets up its row buffers afresh at every call, and a band of
  // a run is one call: with glibc's defaults each band would hand its few
  // hundred kilobytes back to the system and fault them in again (a third
  // more CPU time for a run). Freed memory is kept for reuse instead, up to a
  // bound. Set here, by the program, as it holds for the whole process.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  pelmora::WindowApplication app(argc, argv);
  pelmora::Form1 window;
  window.show();
  return pelmora::WindowApplication::exec();
}
