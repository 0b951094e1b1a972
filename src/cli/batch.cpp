#include "cli/batch.h"

#include "commands/front_end.h"
#include "base/messages_batch.h"
#include "base/messages_corners.h"
#include "cli/dry_run.h"
#include "commands/corner_sources.h"
#include "cli/options.h"
#include "cli/preview.h"
#include "cli/progress_watch.h"
#include "base/layout_units.h"
#include "base/numbers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <cmath>
#include <filesystem>
#include <map>
#include <system_error>

namespace pelmora {

namespace {

// The corners given for `raster` on the command line, each number read as
// its corner field reads the same text.
GivenCorners givenCorners(const BatchOptions& o, const QString& raster) {
  GivenCorners given;
  given.sheet = o.sheet;
  if (const auto line = o.tableCorners.find(raster); line != o.tableCorners.end()) {
    const TableCorners& t = line->second;
    given.table = CutCorners{readFieldText(t.upperRightX), readFieldText(t.upperRightY),
                             readFieldText(t.lowerLeftX),  readFieldText(t.lowerLeftY),
                             CornerOrigin::table,          CornerOrigin::table,
                             std::nullopt};
  }
  if (o.upperRightX) given.upperRight = CornerPair{readFieldText(*o.upperRightX), readFieldText(*o.upperRightY)};
  if (o.lowerLeftX) given.lowerLeft = CornerPair{readFieldText(*o.lowerLeftX), readFieldText(*o.lowerLeftY)};
  return given;
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
      return messages::rasterIsFolder(raster, QDir::cleanPath(raster));
    const QString index = QDir::cleanPath(TileSet(info.absoluteFilePath(), absoluteOutputFolder(options)).indexPath());
    const auto [at, added] = rasterOfIndex.emplace(index, raster);
    if (!added)
      return messages::rastersShareIndex(at->second, raster, index);
  }
  return {};
}

enum class RasterResult { Cut, Skipped, Failed, Cancelled, UsageError };

RasterResult resultOf(const CommandOutcome& outcome) {
  switch (outcome.status) {
    case CommandOutcome::Status::Completed: return RasterResult::Cut;
    case CommandOutcome::Status::Cancelled: return RasterResult::Cancelled;
    case CommandOutcome::Status::NotStarted:
    case CommandOutcome::Status::Stopped: break;
  }
  return RasterResult::Failed;
}

// How the batch shows long work: on the calling thread, with a bar on a
// terminal. Work without a count is waiting: said once, whatever --quiet
// says, since it explains a run that seems to hang.
ShowProgress progressOnStderr(const Console& console, const QString& subject, bool quiet) {
  return [&console, subject, quiet](const QString& label, Progress& progress, const std::function<void()>& work) {
    const QString shown = subject.isEmpty() ? label : subject + QStringLiteral(": ") + label;
    const bool waiting = progress.total == 0;
    if (waiting) sayOnStderr(console, subject, label);
    ProgressWatch watch(progress, shown, console.errIsTerminal && !quiet && !waiting);
    work();
  };
}

// One raster's cut: the raster as opened, the request made of it and of the
// options, and how the front end speaks.
struct RasterCut {
  const BatchOptions& options;
  const QString& raster;  // as given
  const QString& subject;
  const Console& console;
  QString preview = {};  // the preview file to write; empty: none
  void say(const QString& text) const { sayOnStderr(console, subject, text); }
};

// The request of the options for the raster loaded and its corners, its
// counts and quality read by their fields' rules.
CutRequest requestOf(const RasterCut& cut, const CutCorners& corners, const TileSet& set,
                     const GridProposal& proposal, const CoordinateSystem& crs) {
  const BatchOptions& o = cut.options;
  CutRequest request;
  request.corners = corners;
  request.rows = o.rows ? readFieldText(*o.rows) : proposal.rows;
  request.columns = o.columns ? readFieldText(*o.columns) : proposal.columns;
  // The window brings the quality within its bounds when the field is left,
  // which clicking 登録開始 always does.
  request.quality = readFieldText(normalisedQualityText(o.quality.value_or(initialText(Field::Text11))));
  request.angle = toSingle(readFieldText(o.angle.value_or(initialText(Field::Text12))));
  request.overviewSide = float(o.overviewPixels * kUnitsPerPixel);
  request.outputFolder = set.folder();
  request.workers = o.jobs;
  request.worldFiles = o.worldFiles;
  request.coordinateSystem = crs;
  request.datum = o.datum;
  return request;
}

// The fields as the window would show them after the same load and options.
std::vector<ShownField> shownFields(const RasterCut& cut, const CutRequest& request, const GridProposal& proposal) {
  const BatchOptions& o = cut.options;
  const CutCorners& c = request.corners;
  const auto table = o.tableCorners.find(cut.raster);
  // Given and table texts as written; numbers from other sources as the load writes them.
  auto corner = [&](const std::optional<QString>& typed, CornerOrigin origin, const QString TableCorners::*cell,
                    double value) {
    if (typed) return *typed;
    if (origin == CornerOrigin::table && table != o.tableCorners.end()) return table->second.*cell;
    return plainText(value);
  };
  auto typedOr = [](const std::optional<QString>& typed, const QString& otherwise) { return typed.value_or(otherwise); };
  const CornerOrigin upper = c.upperRightOrigin, lower = c.lowerLeftOrigin;
  return {{Field::Text1, corner(o.upperRightX, upper, &TableCorners::upperRightX, c.upperRightX)},
          {Field::Text2, corner(o.upperRightY, upper, &TableCorners::upperRightY, c.upperRightY)},
          {Field::Text3, corner(o.lowerLeftX, lower, &TableCorners::lowerLeftX, c.lowerLeftX)},
          {Field::Text4, corner(o.lowerLeftY, lower, &TableCorners::lowerLeftY, c.lowerLeftY)},
          {Field::Text5, typedOr(o.rows, plainText(proposal.rows))},
          {Field::Text6, typedOr(o.columns, plainText(proposal.columns))},
          {Field::Text11, normalisedQualityText(o.quality.value_or(initialText(Field::Text11)))},
          {Field::Text12, typedOr(o.angle, initialText(Field::Text12))},
          {Field::Text8, proposal.ratioText},
          {Field::Text9, proposal.megabytesText}};
}

// The X : Y caption of the corners, or of the placeholders when they have none.
QString aspectOf(const CutRequest& request, const LoadedRaster& loaded) {
  for (const CutCorners& corners : {request.corners, placeholderCorners(loaded.description)}) {
    try {
      if (!hasEmptyExtent(corners)) return aspectCaption(roundedAspectRatio(corners.extentX(), corners.extentY()));
    } catch (const Failure&) {
      // beyond a double: the caption stays as it was
    }
  }
  return {};
}

// Plans the cut and lists it (a dry run), or runs it.
CommandOutcome planOrRun(const RasterCut& cut, const FramedRaster& framed, const CutRequest& request,
                         const GridProposal& proposal) {
  const BatchOptions& o = cut.options;
  const LoadedRaster& loaded = framed.raster;
  if (hasEmptyExtent(request.corners)) return CommandOutcome::notStarted(messages::cornersFirst());
  if (o.dryRun) {
    const QString heading = cut.subject.isEmpty() ? QString() : QStringLiteral("==> %1 <==\n").arg(cut.subject);
    cut.console.out(heading + dryRunListing(loaded, request, shownFields(cut, request, proposal),
                                            aspectOf(request, loaded), framed.dryRunLine));
    return CommandOutcome::completed();
  }
  const RunPlan plan = planCut(loaded, request);
  return registerRaster(plan, loaded.source(), {makeJpegEncoder, request.workers, request.worldFiles},
                        progressOnStderr(cut.console, cut.subject, o.quiet));
}

void sayUsageError(const Console& console, const QString& error) {
  console.err(QStringLiteral("pelmora-tile: ") + error + u'\n' +
              messages::tryHelp() + u'\n');
}

// A --crs whose area of use does not hold the corners: the usage error that
// says so; empty otherwise, and for a system that declares no area.
QString crsMisfit(const BatchOptions& o, const CoordinateSystem& crs, const CutCorners& c) {
  if (crs.wkt.isEmpty()) return {};
  QString area;
  const std::optional<bool> holds =
      areaOfUseHolds(crs, NorthUpEdges{c.upperRightX, c.lowerLeftX, c.lowerLeftY, c.upperRightY}, area);
  if (!holds || *holds) return {};
  return messages::crsOutsideCorners(
      o.crs, area,
      QStringLiteral("%1,%2 / %3,%4").arg(plainText(c.upperRightX), plainText(c.upperRightY), plainText(c.lowerLeftX),
                                         plainText(c.lowerLeftY)));
}

// What one raster came to, and whether it was cut on placeholder corners.
struct RasterEnd {
  RasterResult result;
  bool onPlaceholders = false;
};

// The raster opened: its corners placed and said, its request checked, its
// frame looked for or given (in the pixels `withPixels` opens), its preview
// drawn, then planned or run.
RasterEnd placeAndCut(const RasterCut& cut, const LoadedRaster& opened, const TileSet& set,
                      const CoordinateSystem& crs, const std::function<LoadedRaster()>& withPixels) {
  const BatchOptions& o = cut.options;
  const QString& path = opened.description.path;
  const PlacedCorners placed =
      placeCorners(opened, set, givenCorners(o, cut.raster), messages::howToGiveCorners());
  if (!placed.ambiguousName.isEmpty()) throw Failure(placed.ambiguousName, path);
  for (const QString& note : placed.notes) cut.say(messages::withFile(note, path));
  if (const QString misfit = crsMisfit(o, crs, placed.corners); !misfit.isEmpty()) {
    sayUsageError(cut.console, misfit);
    return {RasterResult::UsageError};
  }
  const bool needsPixels = looksForFrame(o.frame, placed.corners) || !cut.preview.isEmpty();
  const LoadedRaster loaded = needsPixels ? withPixels() : opened;
  if (!loaded.opened.source) return {RasterResult::Cancelled};
  const FramedRaster framed = frameRaster(loaded, placed.corners, o.frame);
  if (!framed.frame && !placed.proportionsNote.isEmpty()) cut.say(messages::withFile(placed.proportionsNote, path));
  for (const QString& note : framed.notes) cut.say(messages::withFile(note, path));
  const GridProposal proposal = proposeGrid(loaded, framed.raster);
  CutRequest request = requestOf(cut, placed.corners, set, proposal, crs);
  const bool placeholders = onPlaceholders(request.corners);
  if (!o.datumText.isEmpty() && !request.corners.sheetCode) cut.say(messages::datumUnused(o.datumText));
  if (request.worldFiles && placeholders) {
    request.worldFiles = false;
    cut.say(messages::noWorldFilesOnPlaceholders());
  }
  if (!cut.preview.isEmpty())
    writePreview(loaded.source(), framed.frame, request.rows, request.columns, cut.preview, o.jobs);
  const CommandOutcome outcome = planOrRun(cut, framed, request, proposal);
  reportOutcome(outcome, {cut.console, cut.subject, o.quiet, /*sayCompleted=*/!o.dryRun});
  return {resultOf(outcome), placeholders};
}

// Opens one raster once (a run starts on the first rows decoded, a dry run
// decodes nothing), then places and cuts it.
RasterEnd cutRaster(const RasterCut& cut, const CoordinateSystem& crs, const RasterOpener& open) {
  const BatchOptions& o = cut.options;
  const QString path = QFileInfo(cut.raster).absoluteFilePath();
  const TileSet set(path, absoluteOutputFolder(o));
  if (o.skipDone && set.isDone(cut.raster, o.worldFiles)) {
    if (!o.quiet) cut.console.out(messages::setSkipped(cut.raster) + u'\n');
    return {RasterResult::Skipped};
  }
  try {
    // A frame is looked for in the pixels, a dry run's too, and a preview
    // drawn from them. Whether a sheet code places the raster is known once
    // it is open: a dry run then opens it again, decoded.
    auto load = [&](Decoding decoding) {
      Progress progress(100);
      progress.inPercent = true;
      progress.showAfterMilliseconds = 500;
      LoadedRaster loaded;
      progressOnStderr(cut.console, cut.subject, o.quiet)(messages::loadingRaster(), progress, [&] {
        loaded = loadRasterFile(path, set, decoding, &progress, open);
      });
      return loaded;
    };
    const Decoding decoding = !o.dryRun                                   ? Decoding::whileReading
                              : o.frame.mode == FrameRequest::Mode::detect || !o.previewFolder.isEmpty()
                                  ? Decoding::beforeOpening
                                  : Decoding::never;
    const LoadedRaster loaded = load(decoding);
    if (!loaded.opened.source) return {RasterResult::Cancelled};
    return placeAndCut(cut, loaded, set, crs, [&] {
      return decoding == Decoding::never ? load(Decoding::beforeOpening) : loaded;
    });
  } catch (...) {
    const CommandOutcome outcome = CommandOutcome::stopped(Failure::fromCurrentException(path));
    reportOutcome(outcome, {cut.console, cut.subject, o.quiet, /*sayCompleted=*/!o.dryRun});
    return {resultOf(outcome)};
  }
}

// Creates the folder and those above it; the failure carries the system's
// reason ("Not a directory" for a path under a file).
void makeOutputFolder(const QString& folder) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
  if (error)
    throw Failure(messages::cannotCreateOutputFolder(QString::fromLocal8Bit(error.message().c_str())), folder);
}

struct BatchTally {
  int done = 0, skipped = 0, failed = 0, onPlaceholders = 0;
  bool cancelled = false, usageError = false;
};

// After several rasters, a skip or a cancel: how many of each.
void sayBatchSummary(const BatchOptions& options, const Console& console, const BatchTally& tally) {
  const int count = int(options.rasters.size());
  if (count <= 1 && tally.skipped == 0 && !tally.cancelled) return;
  const int notStarted = count - tally.done - tally.skipped - tally.failed - (tally.cancelled ? 1 : 0);
  const QString summary = messages::batchSummary(tally.done, tally.skipped, tally.failed,
                                                 tally.cancelled ? notStarted : -1, options.dryRun,
                                                 tally.onPlaceholders);
  if (!options.quiet || tally.failed > 0 || tally.cancelled || tally.onPlaceholders > 0)
    sayOnStderr(console, {}, summary);
}

}  // namespace

int runBatch(const QStringList& arguments, const Console& console, const RasterOpener& open) {
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
        sayUsageError(console, messages::coordinateSystemNotRead(options.crs));
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

  for (const QString& note : options.tableNotes) sayOnStderr(console, {}, note);
  BatchTally tally;
  const std::map<QString, QString> previews = previewPaths(options.rasters, options.previewFolder);
  for (const QString& raster : options.rasters) {
    const QString subject = options.rasters.size() > 1 ? raster : QString();
    const auto preview = previews.find(raster);
    const RasterEnd end = cutRaster(
        {options, raster, subject, console, preview == previews.end() ? QString() : preview->second}, crs, open);
    switch (end.result) {
      case RasterResult::Cut: ++tally.done; break;
      case RasterResult::Skipped: ++tally.skipped; break;
      case RasterResult::Failed: ++tally.failed; break;
      case RasterResult::UsageError: ++tally.failed, tally.usageError = true; break;
      case RasterResult::Cancelled: tally.cancelled = true; break;
    }
    if (end.result == RasterResult::Cut && end.onPlaceholders) ++tally.onPlaceholders;
    if (tally.cancelled) break;
  }
  sayBatchSummary(options, console, tally);
  if (tally.usageError) return kUsageError;
  return tally.failed > 0 || tally.cancelled ? kStopped : kCompleted;
}

}  // namespace pelmora
