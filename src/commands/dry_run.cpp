#include "commands/dry_run.h"

#include "commands/run.h"

namespace pelmora {
namespace {

// The fields a dry run shows, in the window's reading order.
constexpr Field kShownFields[] = {Field::Text1, Field::Text2,  Field::Text3,  Field::Text4,
                                  Field::Text5, Field::Text6,  Field::Text11, Field::Text12,
                                  Field::Text8, Field::Text9};

// Where the corners and the coordinate system came from, in fixed ASCII for
// scripts: "corners-from: upper-right=index lower-left=given".
QString originLines(Form& form) {
  auto corner = [&form](CornerOrigin origin) -> QString {
    switch (origin) {
      case CornerOrigin::given: return QStringLiteral("given");
      case CornerOrigin::table: return QStringLiteral("table");
      case CornerOrigin::georeference: return QStringLiteral("georeference");
      case CornerOrigin::index: return QStringLiteral("index");
      case CornerOrigin::sheetCode: return QStringLiteral("sheet-code:") + form.sheetCode->code;
      case CornerOrigin::placeholder: break;
    }
    return QStringLiteral("placeholder");
  };
  const auto raster = form.rasters.open(form.session.Filename);
  const CoordinateSystemChoice system =
      chooseCoordinateSystem(form, raster->georeference().coordinateSystem, /*withWkt=*/false, /*withName=*/true);
  QString from;
  switch (system.origin) {
    case CoordinateSystemOrigin::given: from = QStringLiteral("given"); break;
    case CoordinateSystemOrigin::georeference: from = QStringLiteral("georeference"); break;
    case CoordinateSystemOrigin::sheetCode: from = QStringLiteral("sheet-code:") + form.sheetCode->code; break;
    case CoordinateSystemOrigin::none: from = QStringLiteral("none"); break;
  }
  if (!system.name.isEmpty()) from += u' ' + system.name;
  return QStringLiteral("corners-from: upper-right=%1 lower-left=%2\ncrs-from: %3\n")
      .arg(corner(form.upperRightOrigin), corner(form.lowerLeftOrigin), from);
}

}  // namespace

QString dryRunListing(Form& form) {
  QString shown;
  for (Field f : kShownFields) shown += captionOf(f) + QStringLiteral(": ") + form.fields.text(f) + u'\n';
  shown += form.fields.text(Field::Label9) + u'\n';
  const RunPlan plan = planRun(form);
  shown += u'\n';
  for (const QString& line : indexLines(plan)) shown += line + u'\n';
  return shown + u'\n' + originLines(form);
}

}  // namespace pelmora
