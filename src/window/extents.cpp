#include "window/extents.h"

#include "base/failure.h"
#include "base/numbers.h"
#include "window/field_number.h"

namespace pelmora {

void readCornersAndExtents(const Fields& fields, Session& session) {
  const double LL_X = readFieldNumber(fields, Field::Text3);
  const double LL_Y = readFieldNumber(fields, Field::Text4);
  const double UR_X = readFieldNumber(fields, Field::Text1);
  const double UR_Y = readFieldNumber(fields, Field::Text2);
  const double W_DX = checkedFinite(UR_X - LL_X);
  const double W_DY = checkedFinite(UR_Y - LL_Y);
  session.LL_X = LL_X;
  session.LL_Y = LL_Y;
  session.UR_X = UR_X;
  session.UR_Y = UR_Y;
  session.W_DX = W_DX;
  session.W_DY = W_DY;
}

void recomputeExtents(Fields& fields, Session& session) {
  Session updated = session;
  try {
    readCornersAndExtents(fields, updated);
    if (updated.W_DX == 0 || updated.W_DY == 0) {
      session = updated;
      return;
    }
    const QString caption = aspectCaption(roundedAspectRatio(updated.W_DX, updated.W_DY));
    session = updated;
    fields.setText(Field::Label9, caption);
  } catch (const Failure&) {
    // Numbers beyond a double: keep the record and the caption as they were.
  }
}


}  // namespace pelmora
