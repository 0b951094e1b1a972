// The batch tool's command line: values reach the options as typed, and every
// malformed line is a usage error.
#include "cli/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace pelmora {
namespace {

ParsedCommandLine parse(std::initializer_list<const char*> args) {
  QStringList list;
  for (const char* a : args) list << QString::fromUtf8(a);
  return parseCommandLine(list);
}

TEST(CommandLine, LongAndShortFormsCarryTheTextAsTyped) {
  const auto p = parse({"-u", "450,600", "--lower-left=-12.5,0", "-r2", "--columns", "3",
                        "-q", "５０", "-a", "-30", "-o", "out dir", "--overview", "2000", "-j", "3",
                        "map.bmp"});
  ASSERT_EQ(p.error, "");
  const BatchOptions& o = p.options;
  EXPECT_EQ(o.rasters, QStringList{"map.bmp"});
  EXPECT_EQ(o.upperRightX, "450");
  EXPECT_EQ(o.upperRightY, "600");
  EXPECT_EQ(o.lowerLeftX, "-12.5");
  EXPECT_EQ(o.lowerLeftY, "0");
  EXPECT_EQ(o.rows, "2");
  EXPECT_EQ(o.columns, "3");
  EXPECT_EQ(o.quality, QString::fromUtf8("５０"));
  EXPECT_EQ(o.angle, "-30");
  EXPECT_EQ(o.outputFolder, "out dir");
  EXPECT_EQ(o.overviewPixels, 2000);
  EXPECT_EQ(o.jobs, 3);
  EXPECT_FALSE(o.dryRun);
}

TEST(CommandLine, DefaultsLeaveTheFieldsAlone) {
  const auto p = parse({"map.bmp"});
  ASSERT_EQ(p.error, "");
  EXPECT_FALSE(p.options.upperRightX || p.options.lowerLeftX || p.options.rows ||
               p.options.columns || p.options.quality || p.options.angle);
  EXPECT_EQ(p.options.overviewPixels, 1080);
  EXPECT_EQ(p.options.jobs, 0);
  EXPECT_EQ(p.options.outputFolder, "");
}

// Number options take the fields' number forms, but only as a whole: a slip
// the fields would read as a smaller number, or as 0, is refused.
TEST(CommandLine, NumberOptionsMustBeWhollyNumbers) {
  const auto p = parse({"-u", " ５ ０００ ，&H10", "-l", "1D3,-2.5E+1", "-r", "2.0", "-c", "１e1",
                        "-q", "&O17", "-a", "－３０．５", "m.bmp"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.upperRightX, QString::fromUtf8(" ５ ０００ "));  // still as typed
  EXPECT_EQ(p.options.upperRightY, "&H10");
  EXPECT_EQ(p.options.columns, QString::fromUtf8("１e1"));
  // Beyond a double is a number all the same: the run says so as the window does.
  EXPECT_EQ(parse({"-u", "1e999,0", "-q", "1e400", "m.bmp"}).error, "");

  const std::vector<std::tuple<const char*, const char*, const char*>> refused = {
      {"-u", "5OOO,12400", "--upper-right"}, {"-u", "1,2,3", "--upper-right"},
      {"-l", "0,", "--lower-left"},          {"-q", "abc", "--quality"},
      {"-a", "abc", "--angle"},              {"-a", "1e", "--angle"},
      {"-r", "2.5", "--rows"},               {"-r", "0", "--rows"},
      {"-r", "1e999", "--rows"},             {"-c", "0.5", "--columns"},
      {"-c", "-3", "--columns"},             {"-c", "&H", "--columns"}};
  for (const auto& [option, value, name] : refused) {
    const QString error = parse({option, value, "m.bmp"}).error;
    EXPECT_TRUE(error.contains(QLatin1String(name)) && error.contains(QLatin1String(value)))
        << option << " " << value << ": " << error.toStdString();
  }
}

TEST(CommandLine, FlagsGroupAndOptionsEndAtDoubleDash) {
  const auto p = parse({"-nq60", "--quiet", "--world-files", "--", "-odd name.bmp"});
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.options.dryRun);
  EXPECT_TRUE(p.options.quiet);
  EXPECT_TRUE(p.options.worldFiles);
  EXPECT_EQ(p.options.quality, "60");
  EXPECT_EQ(p.options.rasters, QStringList{"-odd name.bmp"});
}

TEST(CommandLine, LoneDashIsARasterOrAValue) {
  const auto p = parse({"-o", "-", "-u", "-450,-600", "-"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.outputFolder, "-");
  EXPECT_EQ(p.options.upperRightX, "-450");
  EXPECT_EQ(p.options.upperRightY, "-600");
  EXPECT_EQ(p.options.rasters, QStringList{"-"});
}

TEST(CommandLine, HelpAndVersionNeedNoRaster) {
  EXPECT_TRUE(parse({"-h"}).options.help);
  EXPECT_EQ(parse({"--help"}).error, "");
  EXPECT_TRUE(parse({"--version"}).options.version);
  EXPECT_EQ(parse({"--version"}).error, "");
}

TEST(CommandLine, UsageErrors) {
  const std::vector<std::vector<const char*>> bad = {
      {},                                  // no raster
      {" "},                               // blank raster
      {"a.bmp", " "},
      {"-x", "a.bmp"},                     // unknown short option
      {"--frobnicate", "a.bmp"},           // unknown long option
      {"a.bmp", "-r"},                     // missing value
      {"-u", "450", "a.bmp"},              // corner without its pair
      {"--lower-left=7", "a.bmp"},
      {"-j", "-1", "a.bmp"},               // jobs out of range
      {"-j", "two", "a.bmp"},
      {"--overview", "99", "a.bmp"},       // too small for the loaded view
      {"--overview", "1e3.5", "a.bmp"},   // not a whole number (1e3 is, as in the fields)
      {"--quiet=yes", "a.bmp"},            // a flag given a value
      {"-o", "", "a.bmp"},
  };
  for (const auto& args : bad) {
    QStringList list;
    for (const char* a : args) list << QString::fromUtf8(a);
    EXPECT_NE(parseCommandLine(list).error, "") << list.join(u' ').toStdString();
  }
}

TEST(CommandLine, UsageErrorsNameTheOption) {
  const std::vector<std::pair<std::vector<const char*>, const char*>> bad = {
      {{"-x", "a.bmp"}, "x"},
      {{"--frobnicate", "a.bmp"}, "frobnicate"},
      {{"a.bmp", "--rows"}, "--rows"},
      {{"--quiet=yes", "a.bmp"}, "--quiet"},
      {{"-n=yes", "a.bmp"}, "-n"},
      {{"-l", "7", "a.bmp"}, "--lower-left"},
      {{"-j", "1025", "a.bmp"}, "--jobs"},
      {{"--overview=65536", "a.bmp"}, "--overview"},
      {{"--out=", "a.bmp"}, "--out"},
  };
  for (const auto& [args, name] : bad) {
    QStringList list;
    for (const char* a : args) list << QString::fromUtf8(a);
    EXPECT_TRUE(parseCommandLine(list).error.contains(QLatin1String(name)))
        << list.join(u' ').toStdString() << ": " << parseCommandLine(list).error.toStdString();
  }
}

// Warnings of the command-line parser, such as an option read that it was
// never given ("option not defined") or one given twice.
QStringList parserWarnings;
void keepParserWarning(QtMsgType, const QMessageLogContext&, const QString& text) {
  if (text.startsWith(QLatin1String("QCommandLineParser"))) parserWarnings << text;
}

// The parser and the usage text take their options from one table: an option
// read but missing from the table warns, and every option in it has its line.
TEST(CommandLine, UsageHasALineForEveryOptionTheParserReads) {
  parserWarnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(keepParserWarning);
  const ParsedCommandLine parsed = parse({"m.bmp"});
  qInstallMessageHandler(previous);
  EXPECT_EQ(parsed.error, "");
  EXPECT_TRUE(parserWarnings.isEmpty()) << parserWarnings.join(u'\n').toStdString();

  const QStringList lines = usageText().split(u'\n');
  for (const OptionDescription& o : optionTable()) {
    QString names = QStringLiteral("--") + QLatin1String(o.longName);
    if (o.shortName != 0) names.prepend(QStringLiteral("-%1, ").arg(QChar::fromLatin1(o.shortName)));
    if (*o.valueName != 0) names += u' ' + QLatin1String(o.valueName);
    const QString description = o.description();
    EXPECT_FALSE(description.isEmpty()) << o.longName;
    const auto isItsLine = [&](const QString& line) {
      return line.trimmed().startsWith(names + u' ') && line.endsWith(u' ' + description);
    };
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), isItsLine), 1)
        << names.toStdString();
  }
}

}  // namespace
}  // namespace pelmora
