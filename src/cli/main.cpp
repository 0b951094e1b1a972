// pelmora-tile, the batch tool: the window's load and registration run
// without a window.
#include "cli/batch.h"
#include "platform/qt_translation.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // The reasons Qt gives (an unreadable image, a file not opened) in the
  // window's language.
  pelmora::installJapaneseQtTranslation();
  auto write = [](std::FILE* stream) {
    return [stream](const QString& text) {
      const QByteArray bytes = text.toUtf8();
      std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
      std::fflush(stream);
    };
  };
  pelmora::Console console{write(stdout), write(stderr), isatty(STDERR_FILENO) == 1};
  return pelmora::runBatch(app.arguments().mid(1), console);
}
