#include "cli/corners_table.h"

#include "base/messages_batch.h"
#include "commands/front_end.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace pelmora {
namespace {

// A field as a spreadsheet writes it: blanks around, perhaps in quotes.
QString unquoted(QString field) {
  field = field.trimmed();
  if (field.size() >= 2 && field.startsWith(u'"') && field.endsWith(u'"'))
    field = field.mid(1, field.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
  return field;
}

bool isNumber(const QString& text) {
  try {
    return readWholeFieldText(text).has_value();
  } catch (const Failure&) {
    return true;  // beyond a double, but a number: the run says so as the window would
  }
}

// The given rasters a line's RASTER names.
QStringList rastersNamed(const QString& name, const QStringList& rasters) {
  QStringList named;
  for (const QString& raster : rasters) {
    const QFileInfo info(raster);
    if (name == info.fileName() || name == info.completeBaseName()) named << raster;
  }
  return named;
}

}  // namespace

CornersTable readCornersTable(const QString& path, const QStringList& rasters) {
  CornersTable table;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    table.error = messages::cornersTableUnreadable(path, file.errorString());
    return table;
  }
  static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
  const QStringList lines = decodeUtf8OrCp932(file.readAll()).split(lineEnd);
  bool first = true;
  for (qsizetype n = 0; n < lines.size(); ++n) {
    const QString& line = lines[n];
    if (line.trimmed().isEmpty() || line.startsWith(u'#')) continue;
    QStringList fields = line.split(u',');
    for (QString& field : fields) field = unquoted(field);
    const bool numbers = fields.size() >= 5 && std::all_of(fields.end() - 4, fields.end(), isNumber);
    const bool header = first && !numbers;
    first = false;
    if (header) continue;
    const QString name = fields.size() >= 5 ? fields.mid(0, fields.size() - 4).join(u',') : fields.front();
    const QStringList named = rastersNamed(name, rasters);
    if (named.isEmpty()) continue;
    if (!numbers) {
      table.error = messages::cornersTableLineMalformed(int(n + 1), path, captionOf(Field::Text3), captionOf(Field::Text4),
                                                      captionOf(Field::Text1), captionOf(Field::Text2), line);
      return table;
    }
    const qsizetype at = fields.size() - 4;
    for (const QString& raster : named)
      table.byRaster[raster] = {fields[at], fields[at + 1], fields[at + 2], fields[at + 3], int(n + 1)};
  }
  return table;
}

}  // namespace pelmora
