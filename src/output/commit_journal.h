// The journal of a commit: the renames and removals that put a staged set in
// place, written to the disk before the first of them. A commit that a kill
// or a power cut stops part way is finished from its journal by the next
// start, so that the folder never keeps half of one set and half of another.
// Every step can be carried out again: a rename whose temporary is gone was
// done, a removal of a missing file was done.
#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace pelmora {

struct CommitStep {
  enum class Kind {
    put,     // the staged temporary of `name` renamed to `name`
    remove,  // `name` removed
  };
  Kind kind;
  QString name;  // a file name in the folder, no path
  bool operator==(const CommitStep&) const = default;
};

// The journal's name for a set whose files are named after `baseName`.
QString journalNameFor(const QString& baseName);

// The journal's bytes: names percent-encoded, one step a line, an end mark
// last, so that a journal cut short reads as none.
QByteArray journalText(const std::vector<CommitStep>& steps);

// Carries out the steps in order in the folder open as `folderFd`, then
// flushes it. When `again`, a put whose temporary is gone counts as done (a
// journal carried out a second time); otherwise it is a failure. Throws
// Failure naming the file of the step that failed.
void carryOut(int folderFd, const QString& folder, const std::vector<CommitStep>& steps, bool again);

// Removes the journal once its steps are on the disk.
void removeJournal(int folderFd, const QString& journalName);

// Finishes the commit that a journal in `folder` records, then removes the
// journal; a journal that does not read whole, or names a file `ours` does
// not accept, is removed without a step. Returns whether there was one.
// Throws Failure when a step fails: the journal then stays for the next try.
bool finishInterruptedCommit(const QString& folder, const QString& journalName,
                             const std::function<bool(const QString&)>& ours);

}  // namespace pelmora
