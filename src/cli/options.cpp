#include "cli/options.h"

#include "commands/front_end.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cmath>

namespace pelmora {

namespace {

// Every option, in the order --help lists them; the usage text is built from
// this list. The fields' captions are their names in every language.
QList<QCommandLineOption> optionList() {
  auto option = [](QStringList names, const QString& description, const QString& value = {}) {
    return QCommandLineOption(names, description, value);
  };
  const QString countText =
      QCoreApplication::translate("BatchTool", "%1, a whole number (default: what loading proposes)");
  return {
      option({"u", "upper-right"},
             QCoreApplication::translate("BatchTool", "%1 and %2, as typed into the fields")
                 .arg(captionOf(Field::Text1), captionOf(Field::Text2)),
             "X,Y"),
      option({"l", "lower-left"},
             QCoreApplication::translate("BatchTool", "%1 and %2").arg(captionOf(Field::Text3), captionOf(Field::Text4)),
             "X,Y"),
      option({"r", "rows"}, countText.arg(captionOf(Field::Text5)), "N"),
      option({"c", "columns"}, countText.arg(captionOf(Field::Text6)), "N"),
      option({"q", "quality"},
             QCoreApplication::translate("BatchTool", "%1 (default 50; held between 25 and 100)")
                 .arg(captionOf(Field::Text11)),
             "Q"),
      option({"a", "angle"}, QCoreApplication::translate("BatchTool", "%1 (default 0)").arg(captionOf(Field::Text12)),
             "DEG"),
      option({"sheet"},
             QCoreApplication::translate("BatchTool", "the sheet code (図郭コード) whose cell gives the corners (one "
                                                      "RASTER)"),
             "CODE"),
      option({"corners"},
             QCoreApplication::translate("BatchTool", "a table of corners: RASTER,%1,%2,%3,%4 per line")
                 .arg(captionOf(Field::Text3), captionOf(Field::Text4), captionOf(Field::Text1),
                      captionOf(Field::Text2)),
             "FILE"),
      option({"crs"}, QCoreApplication::translate("BatchTool", "coordinate system of the images' .aux.xml (EPSG:6677, "
                                                               "WKT, ...)"),
             "SRS"),
      option({"datum"},
             QCoreApplication::translate("BatchTool", "datum of a sheet code's zone: jgd2011 (default), jgd2000 or "
                                                      "tokyo"),
             "NAME"),
      option({"o", "out"}, QCoreApplication::translate("BatchTool", "output folder (default: the raster's folder)"),
             "DIR"),
      option({"overview"},
             QCoreApplication::translate("BatchTool", "longer side of the overview in pixels (default 1080)"), "PX"),
      option({"world-files"}, QCoreApplication::translate("BatchTool", "also write NAME.jgw beside each image")),
      option({"n", "dry-run"},
             QCoreApplication::translate("BatchTool", "load and plan only: print the fields and the index")),
      option({"skip-done"}, QCoreApplication::translate("BatchTool", "skip a raster whose index is newer than it and "
                                                                     "whose images all exist")),
      option({"j", "jobs"}, QCoreApplication::translate("BatchTool", "worker threads (default 0: every core)"), "N"),
      option({"quiet"}, QCoreApplication::translate("BatchTool", "no progress, no completion message")),
      option({"h", "help"}, QCoreApplication::translate("BatchTool", "this text")),
      option({"version"}, QCoreApplication::translate("BatchTool", "the version")),
  };
}

// A whole number from `low` to `high`, in the fields' number syntax.
std::optional<int> wholeNumber(const QString& text, int low, int high) {
  std::optional<double> value;
  try {
    value = readWholeFieldText(text);
  } catch (const Failure&) {
    return std::nullopt;  // beyond a double: beyond `high` too
  }
  if (!value || *value != std::floor(*value) || *value < low || *value > high) return std::nullopt;
  return int(*value);
}

// What a number option's text must be. The text itself goes to its field as
// typed; only its reading is checked here, the fields' own (full-width forms,
// blanks, E or D exponents, &H and &O) but of the whole text, so that a slip
// such as "5OOO" or "abc" is refused rather than read as 5 or 0.
enum class NumberKind { Any, Count };

// "" when `text` is a number of that kind, else why not.
QString checkNumber(const QString& option, const QString& text, NumberKind kind) {
  std::optional<double> value;
  bool beyondDouble = false;
  try {
    value = readWholeFieldText(text);
  } catch (const Failure&) {
    beyondDouble = true;  // a number all the same: the run says what the window says
  }
  if (kind == NumberKind::Count) {
    if (value && *value >= 1 && *value == std::floor(*value)) return {};
    return QCoreApplication::translate("BatchTool", "--%1 expects a whole number of at least 1 (got \"%2\")")
        .arg(option, text);
  }
  if (value || beyondDouble) return {};
  return QCoreApplication::translate("BatchTool", "--%1 expects a number (got \"%2\")").arg(option, text);
}

QString valueOf(const QCommandLineParser& parser, const char* name) { return parser.value(QLatin1String(name)); }

// -u or -l: X and Y, split at the first comma (a full-width one too), each
// half going to its field as typed.
QString readCornerPair(const QCommandLineParser& parser, const char* name, std::optional<QString>& x,
                       std::optional<QString>& y) {
  if (!parser.isSet(QLatin1String(name))) return {};
  const QString v = valueOf(parser, name);
  qsizetype comma = v.indexOf(u',');
  if (const qsizetype wide = v.indexOf(QChar(0xFF0C)); wide >= 0 && (comma < 0 || wide < comma)) comma = wide;
  if (comma < 0)
    return QCoreApplication::translate("BatchTool", "--%1 expects X,Y (got \"%2\")").arg(QLatin1String(name), v);
  x = v.left(comma);
  y = v.mid(comma + 1);
  if (checkNumber(QLatin1String(name), *x, NumberKind::Any).isEmpty() &&
      checkNumber(QLatin1String(name), *y, NumberKind::Any).isEmpty())
    return {};
  return QCoreApplication::translate("BatchTool", "--%1 expects two numbers X,Y (got \"%2\")")
      .arg(QLatin1String(name), v);
}

// -r, -c, -q, -a: kept as typed for their fields, checked as numbers.
QString readFieldOptions(const QCommandLineParser& parser, BatchOptions& options) {
  struct FieldOption {
    const char* name;
    std::optional<QString>* into;
    NumberKind kind;
  };
  for (const FieldOption& o : {FieldOption{"rows", &options.rows, NumberKind::Count},
                               FieldOption{"columns", &options.columns, NumberKind::Count},
                               FieldOption{"quality", &options.quality, NumberKind::Any},
                               FieldOption{"angle", &options.angle, NumberKind::Any}}) {
    if (!parser.isSet(QLatin1String(o.name))) continue;
    *o.into = valueOf(parser, o.name);
    if (QString e = checkNumber(QLatin1String(o.name), **o.into, o.kind); !e.isEmpty()) return e;
  }
  return {};
}

// --overview, --jobs: whole numbers from `low` to `high`.
QString readWholeOption(const QCommandLineParser& parser, const char* name, int low, int high, int& into,
                        const char* what) {
  if (!parser.isSet(QLatin1String(name))) return {};
  const QString v = valueOf(parser, name);
  if (auto n = wholeNumber(v, low, high)) {
    into = *n;
    return {};
  }
  return QCoreApplication::translate("BatchTool", "--%1 expects %2 from %3 to %4 (got \"%5\")")
      .arg(QLatin1String(name), QCoreApplication::translate("BatchTool", what), QString::number(low),
           QString::number(high), v);
}

// --sheet, --datum, --crs: where the sheet lies and in which system.
QString readSheetAndSystem(const QCommandLineParser& parser, BatchOptions& options) {
  if (parser.isSet(QStringLiteral("sheet"))) {
    options.sheet = parseSheetCode(valueOf(parser, "sheet").trimmed());
    if (!options.sheet)
      return QCoreApplication::translate("BatchTool", "--sheet expects a sheet code such as 09LD351 (got \"%1\")")
          .arg(valueOf(parser, "sheet"));
  }
  if (parser.isSet(QStringLiteral("datum"))) {
    const QString datum = valueOf(parser, "datum").toLower();
    if (datum == QLatin1String("jgd2011")) options.datum = Datum::jgd2011;
    else if (datum == QLatin1String("jgd2000")) options.datum = Datum::jgd2000;
    else if (datum == QLatin1String("tokyo")) options.datum = Datum::tokyo;
    else
      return QCoreApplication::translate("BatchTool", "--datum expects jgd2011, jgd2000 or tokyo (got \"%1\")")
          .arg(valueOf(parser, "datum"));
  }
  if (parser.isSet(QStringLiteral("crs"))) {
    options.crs = valueOf(parser, "crs");
    if (options.crs.trimmed().isEmpty())
      return QCoreApplication::translate("BatchTool", "--crs expects a coordinate system");
  }
  return {};
}

// Reads the parsed options into `options`; returns a usage error or "".
QString readOptions(const QCommandLineParser& parser, BatchOptions& options) {
  for (QString e : {readCornerPair(parser, "upper-right", options.upperRightX, options.upperRightY),
                    readCornerPair(parser, "lower-left", options.lowerLeftX, options.lowerLeftY),
                    readFieldOptions(parser, options), readSheetAndSystem(parser, options)})
    if (!e.isEmpty()) return e;
  if (parser.isSet(QStringLiteral("out"))) {
    options.outputFolder = valueOf(parser, "out");
    if (options.outputFolder.isEmpty()) return QCoreApplication::translate("BatchTool", "--out expects a folder");
  }
  // Below 100 pixels the loaded view (window height less its frame) has no room.
  for (QString e : {readWholeOption(parser, "overview", 100, 65535, options.overviewPixels,
                                    QT_TRANSLATE_NOOP("BatchTool", "a whole number of pixels")),
                    readWholeOption(parser, "jobs", 0, 1024, options.jobs,
                                    QT_TRANSLATE_NOOP("BatchTool", "a whole number"))})
    if (!e.isEmpty()) return e;
  options.dryRun = parser.isSet(QStringLiteral("dry-run"));
  options.quiet = parser.isSet(QStringLiteral("quiet"));
  options.worldFiles = parser.isSet(QStringLiteral("world-files"));
  options.skipDone = parser.isSet(QStringLiteral("skip-done"));
  options.help = parser.isSet(QStringLiteral("help"));
  options.version = parser.isSet(QStringLiteral("version"));
  return {};
}

}  // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments) {
  ParsedCommandLine parsed;
  BatchOptions& options = parsed.options;

  QCommandLineParser parser;
  // "-r2", "-nq60" and "-u -450,600": single letters, grouped, the value attached or next.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
  parser.addOptions(optionList());
  QStringList line{QStringLiteral("pelmora-tile")};  // parse() skips the program name
  line << arguments;
  if (!parser.parse(line)) {
    parsed.error = parser.errorText();
    return parsed;
  }
  if (QString e = readOptions(parser, options); !e.isEmpty()) {
    parsed.error = e;
    return parsed;
  }

  if (options.help || options.version) return parsed;
  const QStringList positional = parser.positionalArguments();
  if (positional.isEmpty()) {
    parsed.error = QCoreApplication::translate("BatchTool", "no RASTER given");
    return parsed;
  }
  for (const QString& raster : positional) {
    if (raster.trimmed().isEmpty()) {
      parsed.error = QCoreApplication::translate("BatchTool", "a RASTER is empty");
      return parsed;
    }
  }
  options.rasters = positional;
  if (options.sheet && positional.size() > 1) {
    parsed.error = QCoreApplication::translate("BatchTool", "--sheet gives the corners of one RASTER; %1 given")
                       .arg(positional.size());
    return parsed;
  }
  if (parser.isSet(QStringLiteral("corners"))) {
    CornersTable table = readCornersTable(parser.value(QStringLiteral("corners")), positional);
    parsed.error = table.error;
    options.tableCorners = std::move(table.byRaster);
  }
  return parsed;
}

QString usageText() {
  QString options;
  for (const QCommandLineOption& o : optionList()) {
    QString names;
    for (const QString& name : o.names())
      names += (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name +
               QStringLiteral(", ");
    names.chop(2);
    if (o.names().first().size() > 1) names.prepend(QStringLiteral("    "));
    if (!o.valueName().isEmpty()) names += u' ' + o.valueName();
    options += QStringLiteral("  ") + names.leftJustified(24) + o.description() + u'\n';
  }
  return QCoreApplication::translate("BatchTool",
                                     "Usage: pelmora-tile [options] RASTER...\n"
                                     "Cuts each RASTER into a grid of JPEG tiles, an overview image and a .AR2\n"
                                     "index, as the window's %1 does after %2, with the same options.\n"
                                     "\n")
             .arg(captionOf(Command::Run), captionOf(Command::Load)) +
         options +
         QCoreApplication::translate(
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

QString versionText() { return QStringLiteral("pelmora-tile " PELMORA_VERSION "\n"); }

}  // namespace pelmora
