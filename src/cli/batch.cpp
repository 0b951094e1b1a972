#include "cli/batch.h"

#include "base/failure.h"
#include "base/messages.h"
#include "cli/done_check.h"
#include "cli/options.h"
#include "commands/ar2_index.h"
#include "commands/load.h"
#include "commands/run.h"
#include "platform/georeference.h"
#include "platform/view.h"
#include "session/form.h"
#include "session/extents.h"
#include "session/quality.h"

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

// The fields a dry run shows, in the window's reading order.
constexpr Field kShownFields[] = {Field::Text1, Field::Text2,  Field::Text3,  Field::Text4,
                                  Field::Text5, Field::Text6,  Field::Text11, Field::Text12,
                                  Field::Text8, Field::Text9};

// The corners given for `raster`, written over what the load found: --sheet,
// else the raster's line of --corners; -u and -l over both, pair by pair.
void writeGivenCorners(const BatchOptions& o, const QString& raster, Form& form) {
  Fields& fields = form.fields;
  if (o.sheet) {
    writeCornerEdges(fields, o.sheet->edges);
    form.sheetCode = o.sheet;
    form.upperRightOrigin = form.lowerLeftOrigin = CornerOrigin::sheetCode;
  } else if (const auto line = o.tableCorners.find(raster); line != o.tableCorners.end()) {
    fields.setText(Field::Text1, line->second.upperRightX);
    fields.setText(Field::Text2, line->second.upperRightY);
    fields.setText(Field::Text3, line->second.lowerLeftX);
    fields.setText(Field::Text4, line->second.lowerLeftY);
    form.upperRightOrigin = form.lowerLeftOrigin = CornerOrigin::table;
  }
  if (o.upperRightX) {
    fields.setText(Field::Text1, *o.upperRightX);
    fields.setText(Field::Text2, *o.upperRightY);
    form.upperRightOrigin = CornerOrigin::given;
  }
  if (o.lowerLeftX) {
    fields.setText(Field::Text3, *o.lowerLeftX);
    fields.setText(Field::Text4, *o.lowerLeftY);
    form.lowerLeftOrigin = CornerOrigin::given;
  }
}

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

// A sheet scanned with its margins is not 3 : 4; its corners are still the
// sheet's, and the user is told.
void checkSheetProportions(const Form& form, const Console& console, const QString& subject) {
  if (!form.sheetCode || (form.upperRightOrigin != CornerOrigin::sheetCode &&
                          form.lowerLeftOrigin != CornerOrigin::sheetCode))
    return;
  const double heightPerWidth = double(form.session.P_X) / form.session.P_Y;
  if (std::abs(heightPerWidth / 0.75 - 1) <= 0.01) return;
  sayOnStderr(console, subject,
              messages::withFile(messages::sheetProportionsDiffer(form.sheetCode->code,
                                                                  int(form.session.P_Y / kUnitsPerPixel),
                                                                  int(form.session.P_X / kUnitsPerPixel)),
                                 form.session.Filename));
}

// Where the corners and the coordinate system came from, in fixed ASCII for
// scripts: "corners-from: upper-right=index lower-left=given".
QString originLines(Form& form) {
  auto corner = [&form](CornerOrigin origin) -> QString {
    switch (origin) {
      case CornerOrigin::given: return QStringLiteral("given");
      case CornerOrigin::table: return QStringLiteral("table");
      case CornerOrigin::georeference: return QStringLiteral("georeference");
      case CornerOrigin::index: return QStringLiteral("index");
      case CornerOrigin::sheetCode: return QStringLiteral("sheet-code:") + form.sheetCode->code;
      case CornerOrigin::placeholder: break;
    }
    return QStringLiteral("placeholder");
  };
  const auto raster = form.rasters.open(form.session.Filename);
  const CoordinateSystemChoice system =
      chooseCoordinateSystem(form, raster->georeference().coordinateSystem, /*withWkt=*/false, /*withName=*/true);
  QString from;
  switch (system.origin) {
    case CoordinateSystemOrigin::given: from = QStringLiteral("given"); break;
    case CoordinateSystemOrigin::georeference: from = QStringLiteral("georeference"); break;
    case CoordinateSystemOrigin::sheetCode: from = QStringLiteral("sheet-code:") + form.sheetCode->code; break;
    case CoordinateSystemOrigin::none: from = QStringLiteral("none"); break;
  }
  if (!system.name.isEmpty()) from += u' ' + system.name;
  return QStringLiteral("corners-from: upper-right=%1 lower-left=%2\ncrs-from: %3\n")
      .arg(corner(form.upperRightOrigin), corner(form.lowerLeftOrigin), from);
}

void dryRun(Form& form, const Console& console, const QString& subject) {
  QString shown = subject.isEmpty() ? QString() : QStringLiteral("==> %1 <==\n").arg(subject);
  for (Field f : kShownFields) shown += captionOf(f) + QStringLiteral(": ") + form.fields.text(f) + u'\n';
  shown += form.fields.text(Field::Label9) + u'\n';
  console.out(shown);
  const RunPlan plan = planRun(form);
  QString lines = QStringLiteral("\n");
  for (const QString& line : indexLines(plan)) lines += line + u'\n';
  console.out(lines + u'\n' + originLines(form));
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

enum class Outcome { Cut, Skipped, Failed, Cancelled };

Outcome resultOf(const CommandOutcome& outcome) {
  switch (outcome.status) {
    case CommandOutcome::Status::Completed: return Outcome::Cut;
    case CommandOutcome::Status::Cancelled: return Outcome::Cancelled;
    case CommandOutcome::Status::NotStarted:
    case CommandOutcome::Status::Stopped: break;
  }
  return Outcome::Failed;
}

// Loads one raster into a fresh form (the initial texts, its own index read
// back), writes the options into the fields and plans or runs.
Outcome cutRaster(const BatchOptions& options, const CoordinateSystem& crs, const QString& raster,
                  const QString& subject, const Console& console) {
  MemoryFields fields;
  View view(kInitialViewWidth, kInitialViewHeight, /*keepsPixels=*/false);
  BatchDesktop desktop(QFileInfo(raster).absoluteFilePath(),
                       float(options.overviewPixels * kUnitsPerPixel), console, options.quiet, subject);
  Form form(fields, view, desktop);
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
    return Outcome::Skipped;
  }
  const CommandOutcome loaded = loadRaster(form);
  if (!loaded.isCompleted()) {
    reportOutcome(loaded, {console, subject, options.quiet, /*sayCompleted=*/false});
    return resultOf(loaded);
  }
  writeGivenCorners(options, raster, form);
  writeOptionsIntoFields(options, fields);
  checkSheetProportions(form, console, subject);
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
      case Outcome::Cut: ++cut; break;
      case Outcome::Skipped: ++skipped; break;
      case Outcome::Failed: ++failed; break;
      case Outcome::Cancelled: cancelled = true; break;
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
