#include "cli/options.h"

#include "base/messages_batch.h"
#include "commands/front_end.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cmath>

namespace pelmora {

namespace {

// Every option, in the order --help lists them: the parser takes its options
// from here, and the usage text has a line for each. The fields' captions are
// their names in every language.
constexpr OptionDescription kOptions[] = {
    {'u', "upper-right", "X,Y",
     [] { return messages::upperRightOption(captionOf(Field::Text1), captionOf(Field::Text2)); }},
    {'l', "lower-left", "X,Y",
     [] { return messages::lowerLeftOption(captionOf(Field::Text3), captionOf(Field::Text4)); }},
    {'r', "rows", "N", [] { return messages::countOption(captionOf(Field::Text5)); }},
    {'c', "columns", "N", [] { return messages::countOption(captionOf(Field::Text6)); }},
    {'q', "quality", "Q", [] { return messages::qualityOption(captionOf(Field::Text11)); }},
    {'a', "angle", "DEG", [] { return messages::angleOption(captionOf(Field::Text12)); }},
    {0, "sheet", "CODE", messages::sheetOption},
    {0, "corners", "FILE",
     [] {
       return messages::cornersOption(captionOf(Field::Text3), captionOf(Field::Text4), captionOf(Field::Text1),
                                      captionOf(Field::Text2));
     }},
    {0, "crs", "SRS", messages::crsOption},
    {0, "datum", "NAME", messages::datumOption},
    {0, "frame", "FRAME", messages::frameOption},
    {0, "preview", "DIR", messages::previewOption},
    {'o', "out", "DIR", messages::outOption},
    {0, "overview", "PX", messages::overviewOption},
    {0, "world-files", "", messages::worldFilesOption},
    {'n', "dry-run", "", messages::dryRunOption},
    {0, "skip-done", "", messages::skipDoneOption},
    {'j', "jobs", "N", messages::jobsOption},
    {0, "quiet", "", messages::quietOption},
    {'h', "help", "", messages::helpOption},
    {0, "version", "", messages::versionOption},
};

QList<QCommandLineOption> parserOptions() {
  QList<QCommandLineOption> options;
  for (const OptionDescription& o : kOptions) {
    QStringList names;
    if (o.shortName != 0) names << QString(QChar::fromLatin1(o.shortName));
    names << QLatin1String(o.longName);
    options << QCommandLineOption(names, QString(), QLatin1String(o.valueName));
  }
  return options;
}

// "  -u, --upper-right X,Y   description": the names in a column of their own.
QString usageLine(const OptionDescription& o) {
  QString names =
      o.shortName != 0 ? QStringLiteral("-%1, ").arg(QChar::fromLatin1(o.shortName)) : QStringLiteral("    ");
  names += QStringLiteral("--") + QLatin1String(o.longName);
  if (*o.valueName != 0) names += u' ' + QLatin1String(o.valueName);
  return QStringLiteral("  ") + names.leftJustified(24) + o.description() + u'\n';
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
    return messages::expectsCount(option, text);
  }
  if (value || beyondDouble) return {};
  return messages::expectsNumber(option, text);
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
  if (comma < 0) return messages::expectsPair(QLatin1String(name), v);
  x = v.left(comma);
  y = v.mid(comma + 1);
  if (checkNumber(QLatin1String(name), *x, NumberKind::Any).isEmpty() &&
      checkNumber(QLatin1String(name), *y, NumberKind::Any).isEmpty())
    return {};
  return messages::expectsTwoNumbers(QLatin1String(name), v);
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
                        QString (*what)()) {
  if (!parser.isSet(QLatin1String(name))) return {};
  const QString v = valueOf(parser, name);
  if (auto n = wholeNumber(v, low, high)) {
    into = *n;
    return {};
  }
  return messages::expectsWholeNumberIn(QLatin1String(name), what(), low, high, v);
}

// --sheet, --datum, --crs: where the sheet lies and in which system.
QString readSheetAndSystem(const QCommandLineParser& parser, BatchOptions& options) {
  if (parser.isSet(QStringLiteral("sheet"))) {
    options.sheet = parseSheetCode(valueOf(parser, "sheet").trimmed());
    if (!options.sheet) return messages::expectsSheetCode(valueOf(parser, "sheet"));
  }
  if (parser.isSet(QStringLiteral("datum"))) {
    options.datumText = valueOf(parser, "datum");
    const QString datum = options.datumText.toLower();
    if (datum == QLatin1String("jgd2011")) options.datum = Datum::jgd2011;
    else if (datum == QLatin1String("jgd2000")) options.datum = Datum::jgd2000;
    else if (datum == QLatin1String("tokyo")) options.datum = Datum::tokyo;
    else return messages::expectsDatum(valueOf(parser, "datum"));
  }
  if (parser.isSet(QStringLiteral("crs"))) {
    options.crs = valueOf(parser, "crs");
    if (options.crs.trimmed().isEmpty()) return messages::expectsCoordinateSystem();
  }
  return {};
}

// --frame: detect, none, or the eight numbers of the corners, each two
// apart by a comma or spaces ("x,y x,y x,y x,y" as the dry run prints them).
QString readFrame(const QCommandLineParser& parser, BatchOptions& options) {
  if (!parser.isSet(QStringLiteral("frame"))) return {};
  const QString text = valueOf(parser, "frame").trimmed();
  if (text.compare(QLatin1String("detect"), Qt::CaseInsensitive) == 0) {
    options.frame.mode = FrameRequest::Mode::detect;
    return {};
  }
  if (text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
    options.frame.mode = FrameRequest::Mode::none;
    return {};
  }
  static const QRegularExpression separator(QStringLiteral("\\s*,\\s*|\\s+"));
  const QStringList parts = text.split(separator);
  std::vector<double> numbers;
  for (const QString& part : parts) {
    try {
      if (const std::optional<double> n = readWholeFieldText(part)) numbers.push_back(*n);
    } catch (const Failure&) {
      // beyond a double: no pixel
    }
  }
  if (parts.size() != 8 || numbers.size() != 8) return messages::expectsFrame(valueOf(parser, "frame"));
  options.frame.mode = FrameRequest::Mode::given;
  options.frame.corners = {{numbers[0], numbers[1]}, {numbers[2], numbers[3]}, {numbers[4], numbers[5]},
                           {numbers[6], numbers[7]}};
  return {};
}

// Reads the parsed options into `options`; returns a usage error or "".
QString readOptions(const QCommandLineParser& parser, BatchOptions& options) {
  for (QString e : {readCornerPair(parser, "upper-right", options.upperRightX, options.upperRightY),
                    readCornerPair(parser, "lower-left", options.lowerLeftX, options.lowerLeftY),
                    readFieldOptions(parser, options), readSheetAndSystem(parser, options),
                    readFrame(parser, options)})
    if (!e.isEmpty()) return e;
  if (parser.isSet(QStringLiteral("out"))) {
    options.outputFolder = valueOf(parser, "out");
    if (options.outputFolder.isEmpty()) return messages::expectsFolder();
  }
  if (parser.isSet(QStringLiteral("preview"))) {
    options.previewFolder = valueOf(parser, "preview");
    if (options.previewFolder.isEmpty()) return messages::expectsPreviewFolder();
  }
  // Below 100 pixels the loaded view (window height less its frame) has no room.
  for (QString e : {readWholeOption(parser, "overview", 100, 65535, options.overviewPixels,
                                    messages::wholeNumberOfPixels),
                    readWholeOption(parser, "jobs", 0, 1024, options.jobs, messages::wholeNumber)})
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
  parser.addOptions(parserOptions());
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
    parsed.error = messages::noRaster();
    return parsed;
  }
  for (const QString& raster : positional) {
    if (raster.trimmed().isEmpty()) {
      parsed.error = messages::emptyRaster();
      return parsed;
    }
  }
  options.rasters = positional;
  if (options.sheet && positional.size() > 1) {
    parsed.error = messages::sheetOfOneRaster(positional.size());
    return parsed;
  }
  if (parser.isSet(QStringLiteral("corners"))) {
    CornersTable table = readCornersTable(parser.value(QStringLiteral("corners")), positional);
    parsed.error = table.error;
    options.tableCorners = std::move(table.byRaster);
    options.tableNotes = std::move(table.notes);
  }
  return parsed;
}

std::span<const OptionDescription> optionTable() { return kOptions; }

QString usageText() {
  QString options;
  for (const OptionDescription& o : kOptions) options += usageLine(o);
  return messages::usageHead(captionOf(Command::Run), captionOf(Command::Load)) + options + messages::usageTail();
}

QString versionText() { return QStringLiteral("pelmora-tile " PELMORA_VERSION "\n"); }

}  // namespace pelmora
