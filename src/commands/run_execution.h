// The execution of a run's plan: every image rendered and encoded band by
// band on the workers, each into a temporary in the set's folder (with world
// files and, when the plan has a coordinate system, NAME.JPG.aux.xml beside
// each, and NAME.JPG.msk beside those that reach past the sheet), then the
// index, all committed through the set's journal.
#pragma once

#include "base/progress.h"
#include "commands/outcome.h"
#include "output/jpeg_encoder.h"
#include "raster/raster_source.h"
#include "commands/run_plan.h"

namespace pelmora {

// Runs `plan` on `source` with `workers` threads (0: every core). First
// finishes the commit a stopped run left and removes a killed run's
// temporaries; the caller holds the set's lock. Reports through `progress`
// and stops within a band of rows when cancelled. A run that stops,
// cancelled or failing, leaves the folder's earlier files as they were.
// Completed with every file put in place (the index last), or cancelled
// naming the index kept; throws Failure naming the cause and the file.
CommandOutcome executeRun(const RunPlan& plan, const RasterSource& source, const JpegEncoderFactory& makeEncoder,
                          int workers, Progress& progress, bool worldFiles);

// The cancellation of a run: what it keeps and the index that stays.
CommandOutcome cancelledRun(const RunPlan& plan);

}  // namespace pelmora
