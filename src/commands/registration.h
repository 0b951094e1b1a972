// The registration of a planned run: the output folder checked, the set's
// lock taken (waiting, cancellably, behind another run on the same set), and
// the execution, each long step shown the front end's way.
#pragma once

#include "base/progress.h"
#include "commands/outcome.h"
#include "output/jpeg_encoder.h"
#include "raster/raster_source.h"
#include "commands/run_plan.h"

#include <QString>
#include <functional>

namespace pelmora {

// Runs `work` to its end while showing `progress` under `label` with a way to
// cancel it (a total of 0: work without a count). The window runs it off its
// thread behind a dialog; the batch tool on its own thread with a bar.
using ShowProgress = std::function<void(const QString& label, Progress& progress, const std::function<void()>& work)>;

struct RegistrationSettings {
  JpegEncoderFactory makeEncoder = makeJpegEncoder;
  int workers = 0;  // 0: every core
  bool worldFiles = false;
};

// Completed with every file in place, cancelled, or stopped naming the cause
// and the file (the raster when the failure names none); never throws.
CommandOutcome registerRaster(const RunPlan& plan, const RasterSource& source,
                              const RegistrationSettings& settings, const ShowProgress& showProgress);

}  // namespace pelmora
