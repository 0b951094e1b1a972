// The batch tool's own texts: its options as --help describes them, the usage
// text around them, and its usage errors. English sources through Qt's
// translation, context "BatchTool" of translations/pelmora_ja.ts; the texts
// the batch tool shares with the window are in messages.h. The fields' and
// commands' captions are their names in every language: the caller passes
// them in (`captionOf`), since they live above this layer.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace pelmora::messages {

// The options, one description each, as --help lists them.
inline QString upperRightOption(const QString& xCaption, const QString& yCaption) {
  return QCoreApplication::translate("BatchTool", "%1 and %2, as typed into the fields").arg(xCaption, yCaption);
}
inline QString lowerLeftOption(const QString& xCaption, const QString& yCaption) {
  return QCoreApplication::translate("BatchTool", "%1 and %2").arg(xCaption, yCaption);
}
// --rows and --columns.
inline QString countOption(const QString& caption) {
  return QCoreApplication::translate("BatchTool", "%1, a whole number (default: what loading proposes)").arg(caption);
}
inline QString qualityOption(const QString& caption) {
  return QCoreApplication::translate("BatchTool", "%1 (default 50; held between 25 and 100)").arg(caption);
}
inline QString angleOption(const QString& caption) {
  return QCoreApplication::translate("BatchTool", "%1 (default 0)").arg(caption);
}
inline QString sheetOption() {
  return QCoreApplication::translate("BatchTool", "the sheet code (図郭コード) whose cell gives the corners (one "
                                                  "RASTER)");
}
// The captions in the table's order: lower left X and Y, upper right X and Y.
inline QString cornersOption(const QString& lowerLeftX, const QString& lowerLeftY, const QString& upperRightX,
                             const QString& upperRightY) {
  return QCoreApplication::translate("BatchTool", "a table of corners: RASTER,%1,%2,%3,%4 per line")
      .arg(lowerLeftX, lowerLeftY, upperRightX, upperRightY);
}
inline QString crsOption() {
  return QCoreApplication::translate("BatchTool", "coordinate system of the images' .aux.xml (EPSG:6677, WKT, ...)");
}
inline QString frameOption() {
  return QCoreApplication::translate("BatchTool", "the sheet's frame in the scan: detect, none (the raster's edges), "
                                                  "or its corners X1,Y1,X2,Y2,X3,Y3,X4,Y4 in pixels (top left, top "
                                                  "right, bottom right, bottom left); default: detect for a raster "
                                                  "placed by a sheet code, none otherwise");
}
inline QString previewOption() {
  return QCoreApplication::translate("BatchTool", "write DIR/NAME.png for each raster, a dry run's too: the scan "
                                                  "reduced, its frame in blue, the grid in red");
}
inline QString datumOption() {
  return QCoreApplication::translate("BatchTool", "datum of a sheet code's zone: jgd2011 (default), jgd2000 or tokyo");
}
inline QString outOption() {
  return QCoreApplication::translate("BatchTool", "output folder (default: the raster's folder)");
}
inline QString overviewOption() {
  return QCoreApplication::translate("BatchTool", "longer side of the overview in pixels (default 1080)");
}
inline QString worldFilesOption() {
  return QCoreApplication::translate("BatchTool", "also write NAME.jgw beside each image");
}
inline QString dryRunOption() {
  return QCoreApplication::translate("BatchTool", "load and plan only: print the fields and the index");
}
inline QString skipDoneOption() {
  return QCoreApplication::translate("BatchTool", "skip a raster whose index is newer than it and whose images all "
                                                  "exist");
}
inline QString jobsOption() {
  return QCoreApplication::translate("BatchTool", "worker threads (default 0: every core)");
}
inline QString quietOption() { return QCoreApplication::translate("BatchTool", "no progress, no completion message"); }
inline QString helpOption() { return QCoreApplication::translate("BatchTool", "this text"); }
inline QString versionOption() { return QCoreApplication::translate("BatchTool", "the version"); }

// The usage text: what comes before the list of options (`run` and `load`
// are the commands' captions) and what comes after it.
inline QString usageHead(const QString& run, const QString& load) {
  return QCoreApplication::translate("BatchTool",
                                     "Usage: pelmora-tile [options] RASTER...\n"
                                     "Cuts each RASTER into a grid of JPEG tiles, an overview image and a .AR2\n"
                                     "index, as the window's %1 does after %2, with the same options.\n"
                                     "\n")
      .arg(run, load);
}
inline QString usageTail() {
  return QCoreApplication::translate(
      "BatchTool",
      "\n"
      "Numbers are read as the fields read them (full-width forms, E or D exponents,\n"
      "&H and &O), but the whole value must be one number.\n"
      "Where the corners come from, each pair on its own, the first that has them:\n"
      "-u/-l; --sheet, or RASTER's line of --corners; RASTER's own georeference;\n"
      "the index of an earlier run in the output folder; the sheet code RASTER's\n"
      "file name begins with (09LD351_scan.tif); the load's placeholders.\n"
      "A RASTER that fails is named on stderr and the others go on; with several,\n"
      "a summary line ends the output (cut, skipped, failed).\n"
      "Exit status: 0 when every RASTER was cut or skipped, 1 when one stopped\n"
      "(cause and file on stderr; its earlier index is kept), 2 for a usage error.\n");
}
// The line after every usage error.
inline QString tryHelp() {
  return QCoreApplication::translate("BatchTool", "Try 'pelmora-tile --help' for more information.");
}

// Usage errors of an option's value; `option` is its long name without the
// dashes, `text` the value as given.
inline QString expectsCount(const QString& option, const QString& text) {
  return QCoreApplication::translate("BatchTool", "--%1 expects a whole number of at least 1 (got \"%2\")")
      .arg(option, text);
}
inline QString expectsNumber(const QString& option, const QString& text) {
  return QCoreApplication::translate("BatchTool", "--%1 expects a number (got \"%2\")").arg(option, text);
}
inline QString expectsPair(const QString& option, const QString& text) {
  return QCoreApplication::translate("BatchTool", "--%1 expects X,Y (got \"%2\")").arg(option, text);
}
inline QString expectsTwoNumbers(const QString& option, const QString& text) {
  return QCoreApplication::translate("BatchTool", "--%1 expects two numbers X,Y (got \"%2\")").arg(option, text);
}
// `what` is wholeNumberOfPixels() or wholeNumber().
inline QString expectsWholeNumberIn(const QString& option, const QString& what, int low, int high,
                                    const QString& text) {
  return QCoreApplication::translate("BatchTool", "--%1 expects %2 from %3 to %4 (got \"%5\")")
      .arg(option, what, QString::number(low), QString::number(high), text);
}
inline QString wholeNumberOfPixels() { return QCoreApplication::translate("BatchTool", "a whole number of pixels"); }
inline QString wholeNumber() { return QCoreApplication::translate("BatchTool", "a whole number"); }
inline QString expectsSheetCode(const QString& text) {
  return QCoreApplication::translate("BatchTool", "--sheet expects a sheet code such as 09LD351 (got \"%1\")")
      .arg(text);
}
inline QString expectsDatum(const QString& text) {
  return QCoreApplication::translate("BatchTool", "--datum expects jgd2011, jgd2000 or tokyo (got \"%1\")").arg(text);
}
inline QString expectsFrame(const QString& text) {
  return QCoreApplication::translate("BatchTool", "--frame expects detect, none or eight numbers "
                                                  "X1,Y1,X2,Y2,X3,Y3,X4,Y4 (got \"%1\")")
      .arg(text);
}
inline QString expectsCoordinateSystem() {
  return QCoreApplication::translate("BatchTool", "--crs expects a coordinate system");
}
inline QString coordinateSystemNotRead(const QString& text) {
  return QCoreApplication::translate("BatchTool", "--crs expects a coordinate system GDAL reads, such as EPSG:6677 "
                                                  "(got \"%1\")")
      .arg(text);
}
inline QString expectsFolder() { return QCoreApplication::translate("BatchTool", "--out expects a folder"); }
inline QString expectsPreviewFolder() {
  return QCoreApplication::translate("BatchTool", "--preview expects a folder");
}

// Usage errors of the rasters given.
inline QString noRaster() { return QCoreApplication::translate("BatchTool", "no RASTER given"); }
inline QString emptyRaster() { return QCoreApplication::translate("BatchTool", "a RASTER is empty"); }
inline QString sheetOfOneRaster(qsizetype given) {
  return QCoreApplication::translate("BatchTool", "--sheet gives the corners of one RASTER; %1 given").arg(given);
}
inline QString rasterIsFolder(const QString& raster, const QString& folder) {
  return QCoreApplication::translate("BatchTool", "%1 is a folder; give the rasters in it (%2/*.bmp)")
      .arg(raster, folder);
}
inline QString rastersShareIndex(const QString& first, const QString& second, const QString& index) {
  return QCoreApplication::translate("BatchTool", "%1 and %2 would both write %3; cut them into different folders")
      .arg(first, second, index);
}

// The --corners table; `line` counts from 1, the captions as in cornersOption().
inline QString cornersTableUnreadable(const QString& path, const QString& reason) {
  return QCoreApplication::translate("BatchTool", "--corners: cannot read %1 (%2)").arg(path, reason);
}
inline QString cornersTableLineMalformed(int line, const QString& path, const QString& lowerLeftX,
                                         const QString& lowerLeftY, const QString& upperRightX,
                                         const QString& upperRightY, const QString& text) {
  return QCoreApplication::translate("BatchTool", "--corners: line %1 of %2 is not RASTER,%3,%4,%5,%6 (got \"%7\")")
      .arg(QString::number(line), path, lowerLeftX, lowerLeftY, upperRightX, upperRightY, text);
}

// The batch tool's account of a batch: a raster left alone, and the summary
// line (`notStarted` < 0 when nothing was cancelled; `planned` for a dry run).
inline QString setSkipped(const QString& raster) {
  return QCoreApplication::translate("BatchTool", "%1: skipped, its set is complete").arg(raster);
}
inline QString batchSummary(int done, int skipped, int failed, int notStarted = -1, bool planned = false,
                            int onPlaceholders = 0) {
  QString summary = (planned ? QCoreApplication::translate("BatchTool", "%1 planned, %2 skipped, %3 failed")
                             : QCoreApplication::translate("BatchTool", "%1 cut, %2 skipped, %3 failed"))
                        .arg(QString::number(done), QString::number(skipped), QString::number(failed));
  if (onPlaceholders > 0)
    summary += QCoreApplication::translate("BatchTool", " (%1 on placeholder corners)").arg(onPlaceholders);
  if (notStarted >= 0)
    summary += QCoreApplication::translate("BatchTool", ", 1 cancelled, %1 not started").arg(notStarted);
  return summary;
}

// How the batch tool takes corners, as the notes on corners say it.
inline QString howToGiveCorners() { return QStringLiteral("-u/-l, --sheet, --corners"); }
inline QString datumUnused(const QString& datum) {
  return QCoreApplication::translate("BatchTool", "--datum %1 changes nothing here: it chooses the zone's system "
                                                  "of a sheet code, and no sheet code places this raster.")
      .arg(datum);
}
inline QString crsOutsideCorners(const QString& crs, const QString& area, const QString& corners) {
  return QCoreApplication::translate("BatchTool", "--crs %1: its area of use (%2) does not hold the corners %3")
      .arg(crs, area, corners);
}

// --output, when the folder it names cannot be made.
inline QString cannotCreateOutputFolder(const QString& reason) {
  return QCoreApplication::translate("BatchTool", "Cannot create the output folder: %1").arg(reason);
}

// --preview, when its folder cannot be made or its picture not encoded.
inline QString cannotCreatePreviewFolder(const QString& reason) {
  return QCoreApplication::translate("BatchTool", "Cannot create the preview folder: %1").arg(reason);
}
inline QString previewNotEncoded() {
  return QCoreApplication::translate("BatchTool", "libpng failed to encode the preview");
}

}  // namespace pelmora::messages
