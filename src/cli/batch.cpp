#include "cli/batch.h"

#include "commands/front_end.h"
#include "cli/options.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <filesystem>
#include <map>
#include <system_error>

namespace pelmora {

namespace {

void writeOptionsIntoFields(const BatchOptions& o, Fields& fields) {
  auto put = [&](Field f, const std::optional<QString>& text) {
    if (text) fields.setText(f, *text);
  };
  put(Field::Text5, o.rows);
  put(Field::Text6, o.columns);
  put(Field::Text11, o.quality);
  put(Field::Text12, o.angle);
  // The window normalises the quality when the field loses the focus, which
  // clicking 登録開始 always does.
  normaliseQuality(fields);
}

// The corners given for `raster` on the command line.
GivenCorners givenCorners(const BatchOptions& o, const QString& raster) {
  GivenCorners given;
  given.sheet = o.sheet;
  if (const auto line = o.tableCorners.find(raster); line != o.tableCorners.end())
    given.table = CornerTexts{line->second.upperRightX, line->second.upperRightY, line->second.lowerLeftX,
                              line->second.lowerLeftY};
  if (o.upperRightX) given.upperRight = {*o.upperRightX, *o.upperRightY};
  if (o.lowerLeftX) given.lowerLeft = {*o.lowerLeftX, *o.lowerLeftY};
  return given;
}

void dryRun(Form& form, const Console& console, const QString& subject) {
  const QString heading = subject.isEmpty() ? QString() : QStringLiteral("==> %1 <==\n").arg(subject);
  console.out(heading + dryRunListing(form));
}

QString absoluteOutputFolder(const BatchOptions& options) {
  return options.outputFolder.isEmpty() ? QString() : QFileInfo(options.outputFolder).absoluteFilePath();
}

// What would make the batch go wrong whatever happens, refused before anything
// is cut: a folder given as a raster (nothing is searched inside it), and two
// rasters whose sets would land on the same index and overwrite each other.
QString checkRasters(const BatchOptions& options) {
  std::map<QString, QString> rasterOfIndex;
  for (const QString& raster : options.rasters) {
    const QFileInfo info(raster);
    if (info.isDir())
      return QCoreApplication::translate("BatchTool", "%1 is a folder; give the rasters in it (%2/*.bmp)")
          .arg(raster, QDir::cleanPath(raster));
    const QString index =
        QDir::cleanPath(indexPathFor(info.absoluteFilePath(), absoluteOutputFolder(options)));
    const auto [at, added] = rasterOfIndex.emplace(index, raster);
    if (!added)
      return QCoreApplication::translate("BatchTool", "%1 and %2 would both write %3; cut them into different folders")
          .arg(at->second, raster, index);
  }
  return {};
}

enum class RasterResult { Cut, Skipped, Failed, Cancelled };

RasterResult resultOf(const CommandOutcome& outcome) {
  switch (outcome.status) {
    case CommandOutcome::Status::Completed: return RasterResult::Cut;
    case CommandOutcome::Status::Cancelled: return RasterResult::Cancelled;
    case CommandOutcome::Status::NotStarted:
    case CommandOutcome::Status::Stopped: break;
  }
  return RasterResult::Failed;
}

// Loads one raster into a fresh form (the initial texts, its own index read
// back), writes the options into the fields and plans or runs.
RasterResult cutRaster(const BatchOptions& options, const CoordinateSystem& crs, const QString& raster,
                  const QString& subject, const Console& console) {
  MemoryFields fields;
  View view(kInitialViewWidth, kInitialViewHeight, /*keepsPixels=*/false);
  BatchDesktop desktop(QFileInfo(raster).absoluteFilePath(),
                       float(options.overviewPixels * kUnitsPerPixel), console, options.quiet, subject);
  Form form(fields, view, desktop);
  // No view to show: a run starts on the first rows decoded, a dry run decodes nothing.
  form.rasters.setDecoding(options.dryRun ? Decoding::never : Decoding::whileReading);
  form.runOptions.jobs = options.jobs;
  form.runOptions.worldFiles = options.worldFiles;
  form.runOptions.outputFolder = absoluteOutputFolder(options);
  form.runOptions.coordinateSystem = crs.wkt;
  form.runOptions.coordinateSystemName = crs.epsgName;
  form.runOptions.datum = options.datum;

  if (options.skipDone &&
      setIsDone(raster, indexPathFor(QFileInfo(raster).absoluteFilePath(), form.runOptions.outputFolder),
                options.worldFiles)) {
    if (!options.quiet) console.out(messages::setSkipped(raster) + u'\n');
    return RasterResult::Skipped;
  }
  const CommandOutcome loaded = loadRaster(form);
  if (!loaded.isCompleted()) {
    reportOutcome(loaded, {console, subject, options.quiet, /*sayCompleted=*/false});
    return resultOf(loaded);
  }
  writeGivenCorners(form, givenCorners(options, raster));
  writeOptionsIntoFields(options, fields);
  if (const auto note = sheetProportionsNote(form)) sayOnStderr(console, subject, *note);
  CommandOutcome outcome;
  if (options.dryRun) {
    try {
      dryRun(form, console, subject);
    } catch (...) {
      outcome = CommandOutcome::stopped(Failure::fromCurrentException(form.session.Filename));
    }
  } else {
    outcome = runRegistration(form);
  }
  reportOutcome(outcome, {console, subject, options.quiet, /*sayCompleted=*/!options.dryRun});
  return resultOf(outcome);
}

void sayUsageError(const Console& console, const QString& error) {
  console.err(QStringLiteral("pelmora-tile: ") + error + u'\n' +
              QCoreApplication::translate("BatchTool", "Try 'pelmora-tile --help' for more information.") + u'\n');
}

// Creates the folder and those above it; the failure carries the system's
// reason ("Not a directory" for a path under a file).
void makeOutputFolder(const QString& folder) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
  if (error)
    throw Failure(messages::cannotCreateOutputFolder(QString::fromLocal8Bit(error.message().c_str())), folder);
}

}  // namespace

int runBatch(const QStringList& arguments, const Console& console) {
  const ParsedCommandLine parsed = parseCommandLine(arguments);
  const BatchOptions& options = parsed.options;
  QString usageError = parsed.error;
  if (usageError.isEmpty() && !options.help && !options.version) usageError = checkRasters(options);
  if (!usageError.isEmpty()) {
    sayUsageError(console, usageError);
    return kUsageError;
  }
  if (options.help) {
    console.out(usageText());
    return kCompleted;
  }
  if (options.version) {
    console.out(versionText());
    return kCompleted;
  }

  CoordinateSystem crs;
  if (!options.crs.isEmpty()) {
    try {
      const auto read = readCoordinateSystem(options.crs);
      if (!read) {
        sayUsageError(console, QCoreApplication::translate("BatchTool", "--crs expects a coordinate system GDAL "
                                                                        "reads, such as EPSG:6677 (got \"%1\")")
                                   .arg(options.crs));
        return kUsageError;
      }
      crs = *read;
    } catch (const Failure& failure) {
      return reportOutcome(CommandOutcome::stopped(failure), {console, {}, options.quiet, false});
    }
  }

  if (!options.outputFolder.isEmpty() && !options.dryRun) {
    try {
      makeOutputFolder(absoluteOutputFolder(options));
    } catch (const Failure& failure) {
      return reportOutcome(CommandOutcome::stopped(failure), {console, {}, options.quiet, false});
    }
  }

  const bool several = options.rasters.size() > 1;
  int cut = 0, skipped = 0, failed = 0;
  bool cancelled = false;
  for (const QString& raster : options.rasters) {
    switch (cutRaster(options, crs, raster, several ? raster : QString(), console)) {
      case RasterResult::Cut: ++cut; break;
      case RasterResult::Skipped: ++skipped; break;
      case RasterResult::Failed: ++failed; break;
      case RasterResult::Cancelled: cancelled = true; break;
    }
    if (cancelled) break;
  }

  if (several || skipped > 0 || cancelled) {
    const int notStarted = int(options.rasters.size()) - cut - skipped - failed - (cancelled ? 1 : 0);
    const QString summary = messages::batchSummary(cut, skipped, failed, cancelled ? notStarted : -1);
    if (!options.quiet || failed > 0 || cancelled) sayOnStderr(console, {}, summary);
  }
  return failed > 0 || cancelled ? kStopped : kCompleted;
}

}  // namespace pelmora
