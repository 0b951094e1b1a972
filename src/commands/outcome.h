// What a command reports to the front end that started it: completed, not
// started (a guard refused), stopped with its cause and file, or cancelled;
// and the files it put in place. The window turns it into message boxes, the
// batch tool into its streams and exit status; neither reads message texts.
#pragma once

#include "base/failure.h"

#include <QString>
#include <QStringList>

namespace pelmora {

struct CommandOutcome {
  enum class Status {
    Completed,   // every step ran
    NotStarted,  // a guard refused the command; nothing changed
    Stopped,     // a step failed; what the command keeps is its own rule
    Cancelled,   // the user cancelled; what was there stays
  };

  Status status = Status::Completed;
  // Stopped: the failure. NotStarted: what the user is asked to do first,
  // empty for a guard that refuses silently. Cancelled: what the cancel kept,
  // empty when there is nothing to say.
  QString cause;
  QString file;          // the file the cause concerns, if any
  QStringList written;   // Completed: every file put in place, the last one last

  static CommandOutcome completed(QStringList written = {}) { return {Status::Completed, {}, {}, std::move(written)}; }
  static CommandOutcome notStarted(QString request = {}) { return {Status::NotStarted, std::move(request), {}, {}}; }
  static CommandOutcome stopped(const Failure& failure) {
    return {Status::Stopped, failure.cause(), failure.file(), {}};
  }
  static CommandOutcome cancelled(QString kept = {}, QString file = {}) {
    return {Status::Cancelled, std::move(kept), std::move(file), {}};
  }

  bool isCompleted() const { return status == Status::Completed; }
  // The cause with its file on a line of its own; empty when there is no cause.
  QString message() const { return cause.isEmpty() ? QString() : messages::withFile(cause, file); }
};

}  // namespace pelmora
