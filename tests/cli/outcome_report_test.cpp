// What the batch tool makes of each outcome a command can end with: the
// stream it writes to, the words, and the exit status.
#include "cli/outcome_report.h"

#include "base/messages.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

struct Reported {
  int status;
  QString out, err;
};

Reported report(const CommandOutcome& outcome, bool quiet = false, const QString& subject = {},
                bool sayCompleted = true) {
  Reported r{};
  const Console console{[&r](const QString& t) { r.out += t; }, [&r](const QString& t) { r.err += t; }};
  r.status = reportOutcome(outcome, {console, subject, quiet, sayCompleted});
  return r;
}

TEST(OutcomeReport, EachOutcomeGoesToItsStreamWithItsExitStatus) {
  const Reported done = report(CommandOutcome::completed({"/out/m.AR2"}));
  EXPECT_EQ(done.status, kCompleted);
  EXPECT_EQ(done.out, messages::completed() + "\n");
  EXPECT_EQ(done.err, "");

  const Reported stopped = report(CommandOutcome::stopped(Failure(QString::fromUtf8("原因"), "/in/m.bmp")));
  EXPECT_EQ(stopped.status, kStopped);
  EXPECT_EQ(stopped.out, "");
  EXPECT_EQ(stopped.err, "pelmora-tile: " + messages::withFile(QString::fromUtf8("原因"), "/in/m.bmp") + "\n");

  const Reported cancelled = report(CommandOutcome::cancelled(QString::fromUtf8("キャンセル"), "/out/m.AR2"));
  EXPECT_EQ(cancelled.status, kStopped);
  EXPECT_EQ(cancelled.err, "pelmora-tile: " + messages::withFile(QString::fromUtf8("キャンセル"), "/out/m.AR2") + "\n");

  const Reported refused = report(CommandOutcome::notStarted(QString::fromUtf8("先に")));
  EXPECT_EQ(refused.status, kStopped);
  EXPECT_EQ(refused.err, QString::fromUtf8("pelmora-tile: 先に\n"));
}

TEST(OutcomeReport, QuietSilencesOnlyTheCompletion) {
  EXPECT_EQ(report(CommandOutcome::completed(), /*quiet=*/true).out, "");
  const Reported stopped = report(CommandOutcome::stopped(Failure("x")), /*quiet=*/true);
  EXPECT_EQ(stopped.err, "pelmora-tile: x\n");
  // A load completes without a word; a raster among several is named.
  EXPECT_EQ(report(CommandOutcome::completed(), false, {}, /*sayCompleted=*/false).out, "");
  EXPECT_EQ(report(CommandOutcome::completed(), false, "a.bmp").out, "a.bmp: " + messages::completed() + "\n");
  EXPECT_EQ(report(CommandOutcome::stopped(Failure("x")), false, "a.bmp").err, "pelmora-tile: a.bmp: x\n");
}

}  // namespace
}  // namespace pelmora
