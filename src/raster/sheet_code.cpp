#include "raster/sheet_code.h"

#include <QFileInfo>

#include "base/halfwidth.h"

namespace pelmora {
namespace {

// The index of `c` within `first`..`last`, or -1.
int indexIn(QChar c, char first, char last) {
  const char16_t u = c.unicode();
  return u >= char16_t(first) && u <= char16_t(last) ? int(u - char16_t(first)) : -1;
}

// A cell in whole metres: its north edge and west edge, and its size.
struct Cell {
  long north, west, height, width;
  // The (row, column) cell of a division of this one into rows × columns.
  Cell part(int row, int column, int rows, int columns) const {
    const long h = height / rows, w = width / columns;
    return {north - row * h, west + column * w, h, w};
  }
};

// The finer division after the level 5000 code, or nothing.
std::optional<Cell> finerCell(const Cell& cell, QStringView rest) {
  if (rest.isEmpty()) return cell;
  if (rest.size() == 1) {  // 2500: 1 north-west, 2 north-east, 3 south-west, 4 south-east
    const int n = indexIn(rest[0], '1', '4');
    if (n < 0) return std::nullopt;
    return cell.part(n / 2, n % 2, 2, 2);
  }
  if (rest.size() != 2) return std::nullopt;
  if (const int row = indexIn(rest[0], '0', '4'), column = indexIn(rest[1], 'A', 'E'); row >= 0 && column >= 0)
    return cell.part(row, column, 5, 5);  // 1000
  if (const int row = indexIn(rest[0], '0', '9'), column = indexIn(rest[1], '0', '9'); row >= 0 && column >= 0)
    return cell.part(row, column, 10, 10);  // 500
  if (const int row = indexIn(rest[0], 'A', 'T'), column = indexIn(rest[1], 'A', 'T'); row >= 0 && column >= 0)
    return cell.part(row, column, 20, 20);  // 250
  return std::nullopt;
}

}  // namespace

std::optional<SheetCode> parseSheetCode(const QString& text) {
  const QString code = toHalfWidth(text).toUpper();
  if (code.size() < 4 || code.size() > 8 || code.size() == 5) return std::nullopt;
  const int tens = indexIn(code[0], '0', '9'), units = indexIn(code[1], '0', '9');
  const int zone = tens * 10 + units;
  if (tens < 0 || units < 0 || zone < 1 || zone > 19) return std::nullopt;
  const int row50000 = indexIn(code[2], 'A', 'T'), column50000 = indexIn(code[3], 'A', 'H');
  if (row50000 < 0 || column50000 < 0) return std::nullopt;
  Cell cell = Cell{300000, -160000, 600000, 320000}.part(row50000, column50000, 20, 8);
  if (code.size() > 4) {
    const int row = indexIn(code[4], '0', '9'), column = indexIn(code[5], '0', '9');
    if (row < 0 || column < 0) return std::nullopt;
    const auto finer = finerCell(cell.part(row, column, 10, 10), QStringView(code).mid(6));
    if (!finer) return std::nullopt;
    cell = *finer;
  }
  SheetCode sheet;
  sheet.code = code;
  sheet.zone = zone;
  sheet.edges = {double(cell.north), double(cell.north - cell.height), double(cell.west),
                 double(cell.west + cell.width)};
  return sheet;
}

SheetCodeInName sheetCodeInFileName(const QString& path) {
  const QString name = toHalfWidth(QFileInfo(path).completeBaseName());
  // The run of Latin letters and digits from `from`.
  auto runFrom = [&name](qsizetype from) {
    qsizetype end = from;
    while (end < name.size() && name[end].unicode() < 128 && name[end].isLetterOrNumber()) ++end;
    return name.mid(from, end - from);
  };
  const QString first = runFrom(0);
  SheetCodeInName found{parseSheetCode(first), std::nullopt};
  // Only the levels 50000 and 5000 have finer divisions written after them.
  if (found.code && (first.size() == 4 || first.size() == 6) && first.size() + 1 < name.size()) {
    const QString next = runFrom(first.size() + 1);
    if (!next.isEmpty()) found.finerReading = parseSheetCode(first + next);
  }
  return found;
}

int epsgOfZone(int zone, Datum datum) {
  switch (datum) {
    case Datum::jgd2000: return 2442 + zone;
    case Datum::tokyo: return 30160 + zone;
    case Datum::jgd2011: break;
  }
  return 6668 + zone;
}

}  // namespace pelmora
