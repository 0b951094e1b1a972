#include "cli/outcome_report.h"

#include "base/messages.h"

namespace pelmora {

void sayOnStderr(const Console& console, const QString& subject, const QString& text) {
  const QString prefix = subject.isEmpty() ? QString() : subject + QStringLiteral(": ");
  console.err(QStringLiteral("pelmora-tile: ") + prefix + text + u'\n');
}

int reportOutcome(const CommandOutcome& outcome, const OutcomeReport& report) {
  if (outcome.isCompleted()) {
    if (report.sayCompleted && !report.quiet) {
      const QString prefix = report.subject.isEmpty() ? QString() : report.subject + QStringLiteral(": ");
      report.console.out(prefix + messages::completed() + u'\n');
    }
    return kCompleted;
  }
  const QString message = outcome.message();
  if (!message.isEmpty()) sayOnStderr(report.console, report.subject, message);
  return kStopped;
}

}  // namespace pelmora
