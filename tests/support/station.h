// A raster loaded as the front ends load it and a request for a run of it
// into a folder, for driving whole runs in the tests: the progress labels are
// recorded and a hook runs as each one begins.
#pragma once

#include "base/field_text.h"
#include "commands/cut.h"
#include "commands/registration.h"

#include <QStringList>
#include <functional>

namespace pelmora::testing {

struct Station {
  LoadedRaster raster;
  CutRequest request;
  JpegEncoderFactory makeEncoder = makeJpegEncoder;
  QStringList progressLabels;
  std::function<void(const QString& label, Progress& progress)> onProgress;

  // The raster cut into `out` between corners (0, 0) and (100, 300) on one worker.
  Station(const QString& rasterPath, const QString& out, const QString& rows, const QString& columns,
          const QString& quality = QStringLiteral(" 50"))
      : raster(loadRasterFile(rasterPath, TileSet(rasterPath, out), Decoding::beforeOpening, nullptr)) {
    request.corners = {100, 300, 0, 0};
    request.rows = readFieldText(rows);
    request.columns = readFieldText(columns);
    request.quality = readFieldText(quality);
    request.overviewSide = 16200;
    request.outputFolder = out;
    request.workers = 1;
  }

  CommandOutcome run() {
    RunPlan plan;
    try {
      plan = planCut(raster, request);
    } catch (const Failure& failure) {
      return CommandOutcome::stopped(failure);
    }
    return registerRaster(plan, raster.source(), {makeEncoder, request.workers, request.worldFiles},
                          [this](const QString& label, Progress& progress, const std::function<void()>& work) {
                            progressLabels << label;
                            if (onProgress) onProgress(label, progress);
                            work();
                          });
  }
};

}  // namespace pelmora::testing
