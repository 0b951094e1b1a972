// pelmora, the window: Qt's own dialogs in Japanese like the window, Form1 shown.
#include "app/form1.h"
#include "app/window_application.h"

int main(int argc, char** argv) {
  pelmora::WindowApplication app(argc, argv);
  pelmora::Form1 window;
  window.show();
  return pelmora::WindowApplication::exec();
}
