#include "cli/outcome_report.h"

#include "commands/front_end.h"

namespace pelmora {

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
