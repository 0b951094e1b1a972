// The batch tool's command line: what each option asks for, kept as the text
// the user typed so that it reaches the window's fields unchanged.
#pragma once

#include "cli/corners_table.h"
#include "commands/front_end.h"

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <span>

namespace pelmora {

struct BatchOptions {
  QStringList rasters;           // each cut in turn with the same options
  // Corner pairs as typed ("450,600"), split at the first ",".
  std::optional<QString> upperRightX, upperRightY, lowerLeftX, lowerLeftY;
  std::optional<QString> rows, columns, quality, angle;
  QString outputFolder;          // empty: the raster's folder
  int overviewPixels = 1080;     // longer side of the overview
  int jobs = 0;                  // 0: every core
  bool dryRun = false;
  bool quiet = false;
  bool worldFiles = false;
  bool skipDone = false;         // skip a raster whose complete set is newer than it
  std::optional<SheetCode> sheet;  // --sheet: the one raster's sheet code
  std::map<QString, TableCorners> tableCorners;  // --corners: lines for the given rasters
  QStringList tableNotes;        // --corners: what its reader says of its other lines
  QString crs;                   // --crs as given; checked when the batch starts
  Datum datum = Datum::jgd2011;  // of a sheet code's zone
  QString datumText;             // --datum as given; empty when not given
  FrameRequest frame;            // --frame
  QString previewFolder;         // --preview; empty: no previews
  bool help = false;
  bool version = false;
};

struct ParsedCommandLine {
  BatchOptions options;
  QString error;  // non-empty: a usage error, described for stderr
};

// `arguments` excludes the program name.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// One option as the parser takes it and the usage text lists it.
struct OptionDescription {
  char shortName;         // 0: none
  const char* longName;
  const char* valueName;  // "": a flag
  QString (*description)();
};

// Every option, in the order the usage text lists them.
std::span<const OptionDescription> optionTable();

QString usageText();
QString versionText();

}  // namespace pelmora
