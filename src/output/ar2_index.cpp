#include "output/ar2_index.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/numbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pelmora {

QString indexLine(const IndexRecord& record) {
  return record.imageName + u',' + signPositionText(record.lowerLeftX) + u',' +
         signPositionText(record.lowerLeftY) + u',' + signPositionText(record.upperRightX) + u',' +
         signPositionText(record.upperRightY);
}

QByteArray indexLineBytes(const IndexRecord& record) { return indexLine(record).toUtf8() + "\r\n"; }

QString rasterBaseName(const QString& rasterPath) {
  const QString name = QFileInfo(rasterPath).fileName();
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? name : name.left(dot);
}

QString indexPathFor(const QString& rasterPath, const QString& folder) {
  const QString dir = folder.isEmpty() ? QFileInfo(rasterPath).absolutePath() : folder;
  return QDir(dir).filePath(rasterBaseName(rasterPath) + QStringLiteral(".AR2"));
}

QStringList indexImageNames(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw Failure(messages::cannotReadIndex(file.errorString()), path);
  QStringList names;
  int lineNumber = 0;
  while (!file.atEnd()) {
    QString text = QString::fromUtf8(file.readLine());
    ++lineNumber;
    while (text.endsWith(u'\n') || text.endsWith(u'\r')) text.chop(1);
    if (text.isEmpty() && file.atEnd()) break;
    QStringList fields = text.split(u',');
    if (fields.size() < 5)
      throw Failure(messages::indexLineTooShort(lineNumber, int(fields.size())), path);
    fields.resize(fields.size() - 4);
    names << fields.join(u',');
  }
  if (file.error() != QFileDevice::NoError)
    throw Failure(messages::cannotReadIndex(file.errorString()), path);
  if (names.isEmpty()) throw Failure(messages::indexEmpty(), path);
  return names;
}

IndexFirstRecord::IndexFirstRecord(const QString& path) : path_(path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw Failure(messages::cannotReadIndex(file.errorString()), path);
  // The first line ends at CR LF, LF or CR alone, whichever comes first.
  QByteArray line;
  qsizetype end = -1;
  while (end < 0) {
    const QByteArray chunk = file.read(4096);
    if (chunk.isEmpty()) {
      if (file.error() != QFileDevice::NoError)
        throw Failure(messages::cannotReadIndex(file.errorString()), path);
      break;
    }
    const qsizetype searchFrom = line.size();
    line += chunk;
    for (qsizetype i = searchFrom; i < line.size() && end < 0; ++i)
      if (line[i] == '\r' || line[i] == '\n') end = i;
  }
  if (line.isEmpty()) throw Failure(messages::indexEmpty(), path);
  fields_ = QString::fromUtf8(end < 0 ? line : line.left(end)).split(u',');
}

double IndexFirstRecord::number(int fieldNumber) const {
  const qsizetype count = fields_.size();
  const qsizetype index = count >= 5 ? count - 5 + fieldNumber - 1 : fieldNumber - 1;
  if (index >= count)
    throw Failure(messages::indexLineTooShort(1, int(count)), path_);
  const auto value = readStrict(fields_[index]);
  if (!value) throw Failure(messages::indexFieldNotNumber(fieldNumber, fields_[index]), path_);
  return *value;
}

}  // namespace pelmora
