// Corners given for a raster besides the fields: a sheet code, a line of a
// corners table, corner pairs typed on a command line; written over what the
// load found, and where each pair then comes from.
#pragma once

#include "raster/sheet_code.h"
#include "session/form.h"

#include <QString>
#include <optional>
#include <utility>

namespace pelmora {

// The four corner texts as they go to the fields.
struct CornerTexts {
  QString upperRightX, upperRightY, lowerLeftX, lowerLeftY;
};

struct GivenCorners {
  std::optional<SheetCode> sheet;    // wins over the table
  std::optional<CornerTexts> table;
  std::optional<std::pair<QString, QString>> upperRight, lowerLeft;  // win over both, pair by pair
};

// Writes the given corners into the form's fields and records each pair's
// origin (and the sheet code given).
void writeGivenCorners(Form& form, const GivenCorners& given);

// What to tell the user when the corners come from a sheet code whose 3 : 4
// the raster's proportions miss by more than 1 % (a scan with its margins):
// the corners are still the sheet's. Nothing otherwise.
std::optional<QString> sheetProportionsNote(const Form& form);

}  // namespace pelmora
