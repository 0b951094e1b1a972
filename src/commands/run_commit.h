// Which files a run on a base name owns, and how its set is committed: the
// steps of the journal (sidecars that would no longer match their images
// first, the new files, the index last, what the earlier index named and
// this run does not), and the finishing of a commit that a stop cut short.
#pragma once

#include "commands/run.h"
#include "output/commit_journal.h"

#include <QString>
#include <vector>

namespace pelmora {

// The files a run on `baseName` writes: its index, its images and their world
// files and .aux.xml. Only these are ever cleaned up or removed on its behalf.
bool isRunFileName(const QString& baseName, const QString& name);

// What the commit of `plan` does, in order (see the file's comment), given
// whether the run writes world files; reads the earlier index in the plan's
// folder.
std::vector<CommitStep> commitSteps(const RunPlan& plan, bool worldFiles);

// Finishes what a run on `baseName` stopped in its commit left in `folder`,
// if anything. The caller holds the lock of that set.
void finishCommitOf(const QString& folder, const QString& baseName);

}  // namespace pelmora
