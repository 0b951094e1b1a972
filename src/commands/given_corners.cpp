#include "commands/given_corners.h"

#include "base/messages.h"
#include "desktop/view.h"
#include "session/extents.h"

#include <cmath>

namespace pelmora {

void writeGivenCorners(Form& form, const GivenCorners& given) {
  Fields& fields = form.fields;
  if (given.sheet) {
    writeCornerEdges(fields, given.sheet->edges);
    form.sheetCode = given.sheet;
    form.upperRightOrigin = form.lowerLeftOrigin = CornerOrigin::sheetCode;
  } else if (given.table) {
    fields.setText(Field::Text1, given.table->upperRightX);
    fields.setText(Field::Text2, given.table->upperRightY);
    fields.setText(Field::Text3, given.table->lowerLeftX);
    fields.setText(Field::Text4, given.table->lowerLeftY);
    form.upperRightOrigin = form.lowerLeftOrigin = CornerOrigin::table;
  }
  if (given.upperRight) {
    fields.setText(Field::Text1, given.upperRight->first);
    fields.setText(Field::Text2, given.upperRight->second);
    form.upperRightOrigin = CornerOrigin::given;
  }
  if (given.lowerLeft) {
    fields.setText(Field::Text3, given.lowerLeft->first);
    fields.setText(Field::Text4, given.lowerLeft->second);
    form.lowerLeftOrigin = CornerOrigin::given;
  }
}

std::optional<QString> sheetProportionsNote(const Form& form) {
  if (!form.sheetCode || (form.upperRightOrigin != CornerOrigin::sheetCode &&
                          form.lowerLeftOrigin != CornerOrigin::sheetCode))
    return std::nullopt;
  const double heightPerWidth = double(form.session.P_X) / form.session.P_Y;
  if (std::abs(heightPerWidth / 0.75 - 1) <= 0.01) return std::nullopt;
  return messages::withFile(messages::sheetProportionsDiffer(form.sheetCode->code,
                                                             int(form.session.P_Y / kUnitsPerPixel),
                                                             int(form.session.P_X / kUnitsPerPixel)),
                            form.session.Filename);
}

}  // namespace pelmora
