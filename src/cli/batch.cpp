#include "cli/batch.h"

#include "base/failure.h"
#include "cli/options.h"
#include "commands/load.h"
#include "commands/run.h"
#include "platform/view.h"
#include "session/form.h"
#include "session/quality.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace pelmora {

namespace {

// The fields a dry run shows, in the window's reading order.
constexpr Field kShownFields[] = {Field::Text1, Field::Text2,  Field::Text3,  Field::Text4,
                                  Field::Text5, Field::Text6,  Field::Text11, Field::Text12,
                                  Field::Text8, Field::Text9};

void writeOptionsIntoFields(const BatchOptions& o, Fields& fields) {
  auto put = [&](Field f, const std::optional<QString>& text) {
    if (text) fields.setText(f, *text);
  };
  put(Field::Text1, o.upperRightX);
  put(Field::Text2, o.upperRightY);
  put(Field::Text3, o.lowerLeftX);
  put(Field::Text4, o.lowerLeftY);
  put(Field::Text5, o.rows);
  put(Field::Text6, o.columns);
  put(Field::Text11, o.quality);
  put(Field::Text12, o.angle);
  // The window normalises the quality when the field loses the focus, which
  // clicking 登録開始 always does.
  normaliseQuality(fields);
}

int dryRun(Form& form, const Console& console) {
  QString shown;
  for (Field f : kShownFields) shown += captionOf(f) + QStringLiteral(": ") + form.fields.text(f) + u'\n';
  shown += form.fields.text(Field::Label9) + u'\n';
  console.out(shown);
  const RunPlan plan = planRun(form);
  QString lines = QStringLiteral("\n");
  for (const QString& line : indexLines(plan)) lines += line + u'\n';
  console.out(lines);
  return kCompleted;
}

// Creates the folder and those above it; the failure carries the system's
// reason ("Not a directory" for a path under a file).
void makeOutputFolder(const QString& folder) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
  if (error)
    throw Failure(QStringLiteral("出力フォルダを作れません: ") + QString::fromLocal8Bit(error.message().c_str()),
                  folder);
}

}  // namespace

int runBatch(const QStringList& arguments, const Console& console) {
  const ParsedCommandLine parsed = parseCommandLine(arguments);
  if (!parsed.error.isEmpty()) {
    console.err(QStringLiteral("pelmora-tile: ") + parsed.error +
                QStringLiteral("\nTry 'pelmora-tile --help' for more information.\n"));
    return kUsageError;
  }
  const BatchOptions& options = parsed.options;
  if (options.help) {
    console.out(usageText());
    return kCompleted;
  }
  if (options.version) {
    console.out(versionText());
    return kCompleted;
  }

  MemoryFields fields;
  View view(6480, 6495, /*keepsPixels=*/false);
  BatchDesktop desktop(QFileInfo(options.raster).absoluteFilePath(),
                       float(options.overviewPixels * kUnitsPerPixel), console, options.quiet);
  Form form(fields, view, desktop);
  form.runOptions.jobs = options.jobs;
  form.runOptions.worldFiles = options.worldFiles;
  if (!options.outputFolder.isEmpty())
    form.runOptions.outputFolder = QFileInfo(options.outputFolder).absoluteFilePath();

  try {
    if (!loadRaster(form)) return kStopped;
    writeOptionsIntoFields(options, fields);
    if (options.dryRun) return dryRun(form, console);
    if (!options.outputFolder.isEmpty()) makeOutputFolder(form.runOptions.outputFolder);
    return runRegistration(form) ? kCompleted : kStopped;
  } catch (const Failure& failure) {
    console.err(QStringLiteral("pelmora-tile: ") + failure.message() + u'\n');
    return kStopped;
  }
}

}  // namespace pelmora
