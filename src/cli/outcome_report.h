// How the batch tool reports a command's outcome: a completed run says so on
// stdout (unless --quiet), every other ending says what it has to say on
// stderr whatever --quiet says, and the outcome gives the exit status.
#pragma once

#include "cli/console.h"
#include "commands/front_end.h"

namespace pelmora {

enum ExitStatus { kCompleted = 0, kStopped = 1, kUsageError = 2 };

struct OutcomeReport {
  const Console& console;
  QString subject;          // the raster, when several are cut; else empty
  bool quiet = false;
  bool sayCompleted = true;  // false for a load, which ends without a word
};

// Writes the outcome's lines and returns its exit status: kCompleted for a
// completed command, kStopped for any other.
int reportOutcome(const CommandOutcome& outcome, const OutcomeReport& report);

}  // namespace pelmora
