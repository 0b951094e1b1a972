#include "cli/corners_table.h"

#include "base/halfwidth.h"
#include "base/messages_batch.h"
#include "base/messages_corners_table.h"
#include "commands/front_end.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace pelmora {
namespace {

// The corner fields in the table's order, and where each lands.
constexpr std::array<Field, 4> kCornerFields{Field::Text3, Field::Text4, Field::Text1, Field::Text2};
constexpr std::array<QString TableCorners::*, 4> kCornerTexts{&TableCorners::lowerLeftX, &TableCorners::lowerLeftY,
                                                              &TableCorners::upperRightX, &TableCorners::upperRightY};

// The headings a raster's column is known by.
const QStringList& rasterHeadings() {
  static const QStringList headings{QStringLiteral("画像"), QStringLiteral("ファイル"), QStringLiteral("ファイル名"),
                                    QStringLiteral("raster"), QStringLiteral("file"), QStringLiteral("filename"),
                                    QStringLiteral("image"), QStringLiteral("name")};
  return headings;
}

// One field of a line: its text, blanks around it and quotes dropped, and
// whether it was quoted.
struct Cell {
  QString text;
  bool quoted = false;
};

// Splits `line` at each of `separators` met outside quotes, and collects in
// `met` those met. A quote opens a quoted part at the start of a field only;
// anywhere else it is text. Empty fields at the end are dropped.
QList<Cell> cellsOf(const QString& line, QStringView separators, QString* met = nullptr) {
  QList<Cell> cells;
  Cell cell;
  bool inQuotes = false;
  for (qsizetype i = 0; i <= line.size(); ++i) {
    const QChar c = i < line.size() ? line[i] : QChar();
    if (i == line.size() || (!inQuotes && separators.contains(c))) {
      if (met && i < line.size() && !met->contains(c)) *met += c;
      cell.text = cell.text.trimmed();
      cells << std::exchange(cell, {});
    } else if (inQuotes) {
      if (c != u'"') cell.text += c;
      else if (i + 1 < line.size() && line[i + 1] == u'"') cell.text += line[++i];
      else inQuotes = false;
    } else if (c == u'"' && !cell.quoted && cell.text.trimmed().isEmpty()) {
      inQuotes = cell.quoted = true;
      cell.text.clear();
    } else {
      cell.text += c;
    }
  }
  while (cells.size() > 1 && cells.back().text.isEmpty()) cells.removeLast();
  return cells;
}

// TAB when the line holds one outside quotes, else ";" when it holds one, else ",".
QChar separatorOf(const QString& line) {
  QString met;
  cellsOf(line, u"\t;,", &met);
  for (const QChar separator : {QChar(u'\t'), QChar(u';')})
    if (met.contains(separator)) return separator;
  return u',';
}

// A number field's text: a quoted number's thousands separators dropped.
QString numberText(const Cell& cell) {
  static const QRegularExpression grouped(QStringLiteral("^[+-]?[0-9]{1,3}(,[0-9]{3})+(\\.[0-9]*)?$"));
  if (!cell.quoted || !grouped.match(toHalfWidth(cell.text)).hasMatch()) return cell.text;
  QString text = cell.text;
  return text.remove(u',').remove(u'，');
}

bool isNumber(const Cell& cell) {
  try {
    return readWholeFieldText(numberText(cell)).has_value();
  } catch (const Failure&) {
    return true;  // beyond a double, but a number: the run says so as the window would
  }
}

// Where the number fields start when a line is read by position: the last
// four, or all but the first on a shorter line.
qsizetype firstNumberField(const QList<Cell>& cells) { return std::max<qsizetype>(1, cells.size() - 4); }

// A heading as compared: half-width, without blanks, the case of letters aside.
QString headingKey(const QString& text) {
  QString key = toHalfWidth(text);
  key.removeIf([](QChar c) { return c.isSpace(); });
  return key.toCaseFolded();
}

// Where a line's fields are: under the header's names, or by position.
struct Columns {
  qsizetype raster = -1;                // -1: by position
  std::array<qsizetype, 4> corners{};   // in the table's order
  QString headings;                     // the corners' headings as the header writes them
};

// The columns a header names: one raster column and each corner once.
std::optional<Columns> columnsByName(const QList<Cell>& header) {
  Columns columns;
  int rasterColumns = 0;
  std::array<int, 4> cornerColumns{};
  for (qsizetype i = 0; i < header.size(); ++i) {
    const QString key = headingKey(header[i].text);
    if (std::any_of(rasterHeadings().cbegin(), rasterHeadings().cend(),
                    [&](const QString& heading) { return headingKey(heading) == key; })) {
      columns.raster = i;
      ++rasterColumns;
    }
    for (std::size_t k = 0; k < kCornerFields.size(); ++k) {
      if (headingKey(captionOf(kCornerFields[k])) != key) continue;
      columns.corners[k] = i;
      ++cornerColumns[k];
    }
  }
  if (rasterColumns != 1 || std::any_of(cornerColumns.cbegin(), cornerColumns.cend(), [](int n) { return n != 1; }))
    return std::nullopt;
  QStringList headings;
  for (const qsizetype column : columns.corners) headings << header[column].text;
  columns.headings = headings.join(QStringLiteral(", "));
  return columns;
}

// The raster a line names, as written, and its number fields in the table's
// order (fewer when a line read by position is short).
std::pair<QString, QList<Cell>> fieldsOf(const QList<Cell>& cells, const Columns& columns, QChar separator) {
  auto cell = [&cells](qsizetype column) { return column < cells.size() ? cells[column] : Cell(); };
  if (columns.raster >= 0) {
    QList<Cell> numbers;
    for (const qsizetype column : columns.corners) numbers << cell(column);
    return {cell(columns.raster).text, numbers};
  }
  const qsizetype first = firstNumberField(cells);
  QStringList name;
  for (qsizetype column = 0; column < first; ++column) name << cells[column].text;
  return {name.join(separator), cells.mid(first)};
}

// The given rasters a line's name names by their file names: those it writes
// exactly, else those it writes in another case or width.
struct Named {
  QStringList rasters;
  bool exact = true;
};

Named rastersNamed(QString name, const QStringList& rasters) {
  name = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
  Named exact, blind{{}, false};
  if (name.isEmpty()) return exact;
  const QString key = toHalfWidth(name);
  auto sameBlind = [&key](const QString& own) { return toHalfWidth(own).compare(key, Qt::CaseInsensitive) == 0; };
  for (const QString& raster : rasters) {
    const QFileInfo info(raster);
    if (name == info.fileName() || name == info.completeBaseName()) exact.rasters << raster;
    else if (sameBlind(info.fileName()) || sameBlind(info.completeBaseName())) blind.rasters << raster;
  }
  return exact.rasters.isEmpty() ? blind : exact;
}

// The table's lines in turn, into `table`; the first line read may be a header.
class TableReader {
 public:
  TableReader(const QString& path, const QStringList& rasters, CornersTable& table)
      : path_(path), rasters_(rasters), table_(table) {}

  void read(const QString& line, int number) {
    const QChar separator = started_ ? separator_ : separatorOf(line);
    const QList<Cell> cells = cellsOf(line, QStringView(&separator, 1));
    if (std::all_of(cells.cbegin(), cells.cend(), [](const Cell& cell) { return cell.text.isEmpty(); }))
      return;  // a row the spreadsheet left empty
    const bool first = !started_;
    started_ = true;
    separator_ = separator;
    if (first && readHeader(cells, line, number)) return;
    readLine(cells, line, number);
  }

 private:
  // True when the first line is a header, or is an error.
  bool readHeader(const QList<Cell>& cells, const QString& line, int number) {
    const qsizetype fields = cells.size() - firstNumberField(cells);
    const qsizetype numbers = std::count_if(cells.cbegin() + firstNumberField(cells), cells.cend(), isNumber);
    if (numbers > 0) {
      if (numbers < fields) table_.error = messages::cornersTableFirstLineMixed(number, path_, line);
      return numbers < fields;
    }
    if (const auto byName = columnsByName(cells)) {
      columns_ = *byName;
    } else {
      table_.notes << messages::cornersTableHeaderByPosition(path_, rasterHeadings().join(QStringLiteral(", ")),
                                                             captionOf(kCornerFields[0]), captionOf(kCornerFields[1]),
                                                             captionOf(kCornerFields[2]), captionOf(kCornerFields[3]));
    }
    return true;
  }

  void readLine(const QList<Cell>& cells, const QString& line, int number) {
    const auto [name, numbers] = fieldsOf(cells, columns_, separator_);
    const Named named = rastersNamed(name, rasters_);
    if (named.rasters.isEmpty()) {
      table_.notes << messages::cornersTableNamesNoRaster(number, path_, name);
      return;
    }
    if (numbers.size() < 4 || !std::all_of(numbers.cbegin(), numbers.cend(), isNumber)) {
      table_.error = columns_.raster >= 0
                         ? messages::cornersTableNotNumbersUnder(number, path_, columns_.headings, line)
                         : messages::cornersTableLineMalformed(number, path_, captionOf(kCornerFields[0]),
                                                               captionOf(kCornerFields[1]),
                                                               captionOf(kCornerFields[2]),
                                                               captionOf(kCornerFields[3]), line);
      return;
    }
    TableCorners corners;
    for (std::size_t k = 0; k < kCornerTexts.size(); ++k) corners.*kCornerTexts[k] = numberText(numbers[qsizetype(k)]);
    corners.lineNumber = number;
    for (const QString& raster : named.rasters) keep(raster, corners, named.exact);
  }

  // An exact name wins over one that is not, then the later line.
  void keep(const QString& raster, const TableCorners& corners, bool exact) {
    const auto [at, added] = exactness_.try_emplace(raster, exact);
    if (!added) {
      const int earlier = table_.byRaster[raster].lineNumber;
      const bool replace = exact || !at->second;
      table_.notes << messages::cornersTableRasterAgain(earlier, corners.lineNumber, path_, raster,
                                                        replace ? corners.lineNumber : earlier);
      if (!replace) return;
      at->second = exact;
    }
    table_.byRaster[raster] = corners;
  }

  const QString& path_;
  const QStringList& rasters_;
  CornersTable& table_;
  bool started_ = false;
  QChar separator_;
  Columns columns_;
  std::map<QString, bool> exactness_;  // of the name each kept line gave
};

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
  TableReader reader(path, rasters, table);
  for (qsizetype n = 0; n < lines.size() && table.error.isEmpty(); ++n) {
    const QString& line = lines[n];
    if (!line.trimmed().isEmpty() && !line.startsWith(u'#')) reader.read(line, int(n + 1));
  }
  return table;
}

}  // namespace pelmora
