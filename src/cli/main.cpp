// pelmora-tile, the batch tool: the window's load and registration run
// without a window.
#include "cli/batch.h"
#include "commands/front_end.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <unistd.h>

int main(int argc, char** argv) {
  // The renderer sets up its row buffers afresh at every call, and a band of
  // a run is one call: with glibc's defaults each band would hand its few
  // hundred kilobytes back to the system and fault them in again (a third
  // more CPU time for a run). Freed memory is kept for reuse instead, up to a
  // bound. Set here, by the program, as it holds for the whole process.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  QCoreApplication app(argc, argv);
  // One language for the whole run, the locale's: Japanese (ours, and Qt's
  // own reasons such as an unreadable image or a file not opened) or the
  // English of the sources.
  if (pelmora::localeAsksForJapanese()) pelmora::installJapaneseTranslations();
  auto write = [](std::FILE* stream) {
    return [stream](const QString& text) {
      const QByteArray bytes = text.toUtf8();
      std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
      std::fflush(stream);
    };
  };
  pelmora::Console console{write(stdout), write(stderr), isatty(STDERR_FILENO) == 1};
  const int status = pelmora::runBatch(app.arguments().mid(1), console);
  // Every file is written, closed and renamed by now: leaving without tearing
  // down Qt and the libraries' static objects saves a millisecond or more of
  // every sheet of a batch. The sanitizer build tears down for its leak check.
#ifndef PELMORA_SANITIZED
  std::fflush(nullptr);
  std::_Exit(status);
#endif
  return status;
}
