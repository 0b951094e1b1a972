#include "cli/options.h"

#include <limits>

namespace pelmora {

namespace {

enum class Kind { UpperRight, LowerLeft, Rows, Columns, Quality, Angle, Out, Overview, Jobs,
                  DryRun, Quiet, WorldFiles, Help, Version };

struct OptionSpec {
  QChar shortName;  // null: long form only
  const char* longName;
  Kind kind;
  bool takesValue;
};

constexpr char16_t kNoShort = 0;

const OptionSpec kOptions[] = {
    {u'u', "upper-right", Kind::UpperRight, true}, {u'l', "lower-left", Kind::LowerLeft, true},
    {u'r', "rows", Kind::Rows, true},              {u'c', "columns", Kind::Columns, true},
    {u'q', "quality", Kind::Quality, true},        {u'a', "angle", Kind::Angle, true},
    {u'o', "out", Kind::Out, true},                {kNoShort, "overview", Kind::Overview, true},
    {u'j', "jobs", Kind::Jobs, true},              {u'n', "dry-run", Kind::DryRun, false},
    {kNoShort, "quiet", Kind::Quiet, false},       {kNoShort, "world-files", Kind::WorldFiles, false},
    {u'h', "help", Kind::Help, false},             {kNoShort, "version", Kind::Version, false},
};

const OptionSpec* findLong(const QString& name) {
  for (const auto& o : kOptions)
    if (name == QLatin1String(o.longName)) return &o;
  return nullptr;
}

const OptionSpec* findShort(QChar c) {
  for (const auto& o : kOptions)
    if (o.shortName != QChar(kNoShort) && o.shortName == c) return &o;
  return nullptr;
}

QString spelling(const OptionSpec& o) {
  return QStringLiteral("--") + QLatin1String(o.longName);
}

std::optional<int> wholeNumber(const QString& text, int low, int high) {
  bool ok = false;
  const qlonglong v = text.trimmed().toLongLong(&ok);
  if (!ok || v < low || v > high) return std::nullopt;
  return int(v);
}

// Applies one option; returns a usage error or "".
QString apply(const OptionSpec& o, const QString& value, BatchOptions& options) {
  auto pair = [&](std::optional<QString>& x, std::optional<QString>& y) -> QString {
    const qsizetype comma = value.indexOf(u',');
    if (comma < 0) return spelling(o) + QStringLiteral(" expects X,Y (got \"%1\")").arg(value);
    x = value.left(comma);
    y = value.mid(comma + 1);
    return {};
  };
  switch (o.kind) {
    case Kind::UpperRight: return pair(options.upperRightX, options.upperRightY);
    case Kind::LowerLeft: return pair(options.lowerLeftX, options.lowerLeftY);
    case Kind::Rows: options.rows = value; return {};
    case Kind::Columns: options.columns = value; return {};
    case Kind::Quality: options.quality = value; return {};
    case Kind::Angle: options.angle = value; return {};
    case Kind::Out:
      if (value.isEmpty()) return spelling(o) + QStringLiteral(" expects a folder");
      options.outputFolder = value;
      return {};
    case Kind::Overview:
      // Below 100 pixels the loaded view (window height less its frame) has no room.
      if (auto v = wholeNumber(value, 100, 65535)) {
        options.overviewPixels = *v;
        return {};
      }
      return spelling(o) + QStringLiteral(" expects a whole number of pixels from 100 to 65535 (got \"%1\")").arg(value);
    case Kind::Jobs:
      if (auto v = wholeNumber(value, 0, 1024)) {
        options.jobs = *v;
        return {};
      }
      return spelling(o) + QStringLiteral(" expects a whole number from 0 to 1024 (got \"%1\")").arg(value);
    case Kind::DryRun: options.dryRun = true; return {};
    case Kind::Quiet: options.quiet = true; return {};
    case Kind::WorldFiles: options.worldFiles = true; return {};
    case Kind::Help: options.help = true; return {};
    case Kind::Version: options.version = true; return {};
  }
  return {};
}

}  // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments) {
  ParsedCommandLine parsed;
  BatchOptions& options = parsed.options;
  QStringList positional;
  bool optionsEnded = false;

  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    if (optionsEnded || arg == u"-" || !arg.startsWith(u'-')) {
      positional << arg;
      continue;
    }
    if (arg == u"--") {
      optionsEnded = true;
      continue;
    }
    const OptionSpec* spec = nullptr;
    std::optional<QString> value;
    if (arg.startsWith(u"--")) {
      const qsizetype eq = arg.indexOf(u'=');
      const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
      spec = findLong(name);
      if (!spec) {
        parsed.error = QStringLiteral("unknown option \"--%1\"").arg(name);
        return parsed;
      }
      if (eq >= 0) {
        if (!spec->takesValue) {
          parsed.error = spelling(*spec) + QStringLiteral(" takes no value");
          return parsed;
        }
        value = arg.mid(eq + 1);
      }
    } else {
      // Short options: "-n", "-r2", "-r 2"; flags may be grouped ("-nq 60").
      qsizetype k = 1;
      for (; k < arg.size(); ++k) {
        spec = findShort(arg[k]);
        if (!spec) {
          parsed.error = QStringLiteral("unknown option \"-%1\"").arg(arg[k]);
          return parsed;
        }
        if (spec->takesValue) {
          if (k + 1 < arg.size()) value = arg.mid(k + 1);
          break;
        }
        if (QString e = apply(*spec, {}, options); !e.isEmpty()) {
          parsed.error = e;
          return parsed;
        }
        spec = nullptr;
      }
      if (!spec) continue;
    }
    if (spec->takesValue && !value) {
      // The next argument is the value even when it starts with "-" (negative corners).
      if (i + 1 >= arguments.size()) {
        parsed.error = spelling(*spec) + QStringLiteral(" needs a value");
        return parsed;
      }
      value = arguments[++i];
    }
    if (QString e = apply(*spec, value.value_or(QString()), options); !e.isEmpty()) {
      parsed.error = e;
      return parsed;
    }
  }

  if (options.help || options.version) return parsed;
  if (positional.isEmpty()) {
    parsed.error = QStringLiteral("no RASTER given");
  } else if (positional.size() > 1) {
    parsed.error = QStringLiteral("one RASTER expected, got %1: %2")
                       .arg(positional.size())
                       .arg(positional.join(u' '));
  } else if (positional[0].trimmed().isEmpty()) {
    parsed.error = QStringLiteral("RASTER is empty");
  } else {
    options.raster = positional[0];
  }
  return parsed;
}

QString usageText() {
  return QStringLiteral(
      "Usage: pelmora-tile [options] RASTER\n"
      "Cuts RASTER into a grid of JPEG tiles, an overview image and a .AR2 index,\n"
      "as the window's 登録開始 does after 画像呼び出し.\n"
      "\n"
      "  -u, --upper-right X,Y   右上X and 右上Y, as typed into the fields\n"
      "  -l, --lower-left X,Y    左下X and 左下Y\n"
      "  -r, --rows N            横割の数 (default: what loading proposes)\n"
      "  -c, --columns N         縦割の数 (default: what loading proposes)\n"
      "  -q, --quality Q         JPG画質 (default 50; held between 25 and 100)\n"
      "  -a, --angle DEG         回転角度単位 (default 0)\n"
      "  -o, --out DIR           output folder (default: the raster's folder)\n"
      "      --overview PX       longer side of the overview in pixels (default 1080)\n"
      "      --world-files       also write NAME.jgw beside each image\n"
      "  -n, --dry-run           load and plan only: print the fields and the index\n"
      "  -j, --jobs N            worker threads (default 0: every core)\n"
      "      --quiet             no progress, no completion message\n"
      "  -h, --help              this text\n"
      "      --version           the version\n"
      "\n"
      "Corners given here win over those read back from an index beside RASTER.\n"
      "Exit status: 0 when the run completed, 1 when it stopped (cause and file on\n"
      "stderr; an earlier index is kept), 2 for a usage error.\n");
}

QString versionText() { return QStringLiteral("pelmora-tile " PELMORA_VERSION "\n"); }

}  // namespace pelmora
