// Sheet codes from any text, full-width forms included, as a code and as a
// file name: a code read is upper-case half-width, of a zone 1 to 19, its
// cell 3 : 4 and inside the zone's area; a finer reading of a name lies
// inside the cell of the code the name begins with.
#include <QString>
#include <cstdint>

#include "raster/sheet_code.h"

namespace {

void check(const pelmora::SheetCode& sheet) {
  const pelmora::NorthUpEdges& e = sheet.edges;
  if (sheet.zone < 1 || sheet.zone > 19) __builtin_trap();
  for (QChar c : sheet.code)
    if (c.unicode() >= 128 || c.isLower()) __builtin_trap();
  if (!(e.top > e.bottom && e.right > e.left)) __builtin_trap();
  if ((e.top - e.bottom) * 4 != (e.right - e.left) * 3) __builtin_trap();
  if (e.top > 300000 || e.bottom < -300000 || e.left < -160000 || e.right > 160000) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  if (const auto sheet = pelmora::parseSheetCode(text)) check(*sheet);
  const pelmora::SheetCodeInName named = pelmora::sheetCodeInFileName(text);
  if (named.code) check(*named.code);
  if (named.finerReading) {
    if (!named.code) __builtin_trap();
    check(*named.finerReading);
    const pelmora::NorthUpEdges &outer = named.code->edges, &inner = named.finerReading->edges;
    if (inner.top > outer.top || inner.bottom < outer.bottom || inner.left < outer.left || inner.right > outer.right)
      __builtin_trap();
  }
  return 0;
}
