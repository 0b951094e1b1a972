#include "cli/console.h"

namespace pelmora {

void sayOnStderr(const Console& console, const QString& subject, const QString& text) {
  const QString prefix = subject.isEmpty() ? QString() : subject + QStringLiteral(": ");
  console.err(QStringLiteral("pelmora-tile: ") + prefix + text + u'\n');
}

}  // namespace pelmora
