// What the window program makes of its command line before any of Qt Gui
// starts: --version and --help are answered without a display, anything else
// but nothing at all is a usage error.
#pragma once

namespace pelmora {

// The exit status when the program should end without opening the window
// (0 after --version or --help, 2 after a usage error, the text written to
// stdout or stderr), or -1 when the window should open.
int answerWindowCommandLine(int argc, char** argv);

}  // namespace pelmora
