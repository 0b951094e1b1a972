#include "window/grid.h"

#include "base/grid_steps.h"
#include "base/numbers.h"
#include "window/view_drawing.h"
#include "window/field_number.h"
#include "window/sheet_frame.h"

#include <algorithm>

namespace pelmora {
namespace {

// Positions i × cell for the line numbers i, each rounded to a float.
template <typename MakeLine>
void appendLines(std::vector<QLineF>& lines, double count, float cell, double limit,
                 MakeLine makeLine) {
  for (double i : gridLineNumbers(count, limit)) lines.push_back(makeLine(toSingle(i * cell)));
}

}  // namespace

std::vector<QLineF> gridLines(float P_X, float P_Y, float Cell_X, float Cell_Y, double rows,
                                double columns, double rowLimit, double columnLimit) {
  std::vector<QLineF> lines;
  appendLines(lines, rows, Cell_X, rowLimit,
              [&](float down) { return QLineF(0, down, P_Y, down); });
  appendLines(lines, columns, Cell_Y, columnLimit,
              [&](float across) { return QLineF(across, 0, across, P_X); });
  return lines;
}

namespace {

bool countsArePositive(const Fields& fields) {
  const double rows = readFieldNumber(fields, Field::Text5);
  const double columns = readFieldNumber(fields, Field::Text6);
  return rows > 0 && columns > 0;
}

}  // namespace

void drawGrid(Form& form) {
  Fields& fields = form.fields;
  Session& session = form.session;
  if (!countsArePositive(fields)) return;

  // Before the first load there is no raster to draw.
  if (form.raster) drawIntoView(form.raster->opened.source, session.corners, form.view, form.lastDrawing);

  session.Cell_X = toSingle(divide(session.P_X, readFieldNumber(fields, Field::Text5)));
  session.Cell_Y = toSingle(divide(session.P_Y, readFieldNumber(fields, Field::Text6)));
  form.view.setDrawWidth(5);

  // Two lines per view pixel are more than the view can tell apart.
  const double rowLimit = 2.0 * std::max(form.view.pixelHeight(), 1);
  const double columnLimit = 2.0 * std::max(form.view.pixelWidth(), 1);
  if (drawGridOnFrame(form, readFieldNumber(fields, Field::Text5), readFieldNumber(fields, Field::Text6), rowLimit,
                      columnLimit)) {
    form.view.refresh();
    return;
  }
  const auto lines = gridLines(session.P_X, session.P_Y, session.Cell_X, session.Cell_Y,
                               readFieldNumber(fields, Field::Text5),
                               readFieldNumber(fields, Field::Text6), rowLimit, columnLimit);
  form.view.drawLines(lines, kGridColour);
  form.view.refresh();
}

CommandOutcome showGrid(Form& form) {
  try {
    if (!countsArePositive(form.fields)) return CommandOutcome::notStarted();
    drawGrid(form);
    return CommandOutcome::completed();
  } catch (...) {
    // The window has always shown a fault of the grid by its cause alone.
    return CommandOutcome::stopped(Failure::fromCurrentException({}));
  }
}

}  // namespace pelmora
