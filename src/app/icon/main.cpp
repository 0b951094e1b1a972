// pelmora-icon SIZE OUT.png: writes the window's icon as a PNG file for the
// desktop entry, at build time, so the installed icon is the window's own
// drawing. Draws on a QImage only: needs no display.
#include "app/app_icon.h"

#include <QString>
#include <cstdio>

int main(int argc, char** argv) {
  bool ok = false;
  const int size = argc == 3 ? QString::fromLocal8Bit(argv[1]).toInt(&ok) : 0;
  if (!ok || size < 16 || size > 1024) {
    std::fputs("usage: pelmora-icon SIZE OUT.png (SIZE 16 to 1024)\n", stderr);
    return 2;
  }
  if (!pelmora::appIconImage(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "pelmora-icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
