#include "window/load.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "window/extents.h"
#include "window/field_number.h"
#include "window/grid.h"

#include <QFileInfo>
#include <cmath>
#include <utility>
#include <vector>

namespace pelmora {
namespace {

// The window's height less this is the side of the square view.
constexpr double kWindowBelowView = 700;

QString trimmedRight(QString text) {
  while (text.endsWith(u' ')) text.chop(1);
  return text;
}

// Fits the view to the raster, then makes it a square whose scale spans the
// raster's longer side.
void fitView(Form& form, const RasterSource& raster) {
  View& view = form.view;
  Session& s = form.session;
  view.fitToPicture(raster.width(), raster.height());
  s.P_X = view.height();
  s.P_Y = view.width();
  s.F_H = form.desktop.windowHeight();
  view.setHeight(toSingle(double(form.desktop.windowHeight()) - kWindowBelowView));
  view.setWidth(view.height());
  view.setScaleTop(0);
  view.setScaleLeft(0);
  const float S = s.P_X >= s.P_Y ? s.P_X : s.P_Y;
  view.setScaleHeight(S);
  view.setScaleWidth(S);
  view.clear();
}

void setCornerOrigins(Form& form, CornerOrigin origin) {
  form.upperRightOrigin = origin;
  form.lowerLeftOrigin = origin;
}

void writeCorners(Fields& fields, const CutCorners& corners) {
  fields.setText(Field::Text1, plainText(corners.upperRightX));
  fields.setText(Field::Text2, plainText(corners.upperRightY));
  fields.setText(Field::Text3, plainText(corners.lowerLeftX));
  fields.setText(Field::Text4, plainText(corners.lowerLeftY));
}

// The placeholders, unless the corners were typed (the lower-left X no longer
// at its initial text).
void writePlaceholderCorners(Form& form) {
  if (form.fields.text(Field::Text3) != initialText(Field::Text3)) return setCornerOrigins(form, CornerOrigin::given);
  setCornerOrigins(form, CornerOrigin::placeholder);
  writeCorners(form.fields, placeholderCorners(form.raster->description));
}

void writeSizeRatiosAndProposal(Form& form) {
  Fields& fields = form.fields;
  const GridProposal proposal = proposeGrid(*form.raster);
  fields.setText(Field::Text9, proposal.megabytesText);
  fields.setText(Field::Text8, proposal.ratioText);
  readCornersAndExtents(fields, form.session);
  fields.setText(Field::Label9, aspectCaption(roundedAspectRatio(form.session.W_DX, form.session.W_DY)));
  fields.setText(Field::Text5, plainText(proposal.rows));
  fields.setText(Field::Text6, plainText(proposal.columns));
}

// The corners from the best source the raster has (cornersOfRaster); else
// those in the fields stay.
void readBackCorners(Form& form, const TileSet& set) {
  if (const auto note = turnedPlacementNote(*form.raster)) form.desktop.note(*note);
  form.sheetCode = sheetCodeOfFileName(form.session.Filename);
  const std::optional<CutCorners> found = cornersOfRaster(*form.raster, set);
  if (!found) return;
  writeCorners(form.fields, *found);
  form.upperRightOrigin = found->upperRightOrigin;
  form.lowerLeftOrigin = found->lowerLeftOrigin;
}

// What a load may change: every text, the record and the view.
class WindowState {
 public:
  explicit WindowState(const Form& form)
      : session_(form.session),
        view_(form.view),
        raster_(form.raster),
        upperRightOrigin_(form.upperRightOrigin),
        lowerLeftOrigin_(form.lowerLeftOrigin),
        sheetCode_(form.sheetCode) {
    for (int f = int(Field::Text1); f <= int(Field::Label9); ++f)
      texts_.emplace_back(Field(f), form.fields.text(Field(f)));
  }

  void restore(Form& form) const {
    // The corner writes rerun the extents on the way; the record and the
    // caption are put back after them.
    for (const auto& [field, text] : texts_) form.fields.setText(field, text);
    form.session = session_;
    form.view = view_;
    form.raster = raster_;
    form.upperRightOrigin = upperRightOrigin_;
    form.lowerLeftOrigin = lowerLeftOrigin_;
    form.sheetCode = sheetCode_;
    form.view.refresh();
  }

 private:
  std::vector<std::pair<Field, QString>> texts_;
  Session session_;
  View view_;
  std::shared_ptr<const LoadedRaster> raster_;
  CornerOrigin upperRightOrigin_, lowerLeftOrigin_;
  std::optional<SheetCode> sheetCode_;
};

// The raster, decoded behind a progress dialog with a cancel button when the
// decoding takes a while (a bitmap is not decoded); null when cancelled.
std::shared_ptr<const LoadedRaster> openWithProgress(Form& form, const QString& path, const TileSet& set) {
  Progress progress(100);
  progress.inPercent = true;
  progress.showAfterMilliseconds = 500;
  std::shared_ptr<const LoadedRaster> raster;
  form.desktop.runWithProgress(messages::loadingRaster(), progress, [&] {
    LoadedRaster loaded = loadRasterFile(path, set, Decoding::beforeOpening, &progress);
    if (loaded.opened.source) raster = std::make_shared<const LoadedRaster>(std::move(loaded));
  });
  return raster;
}

CommandOutcome runLoad(Form& form, QString& rasterPath) {
  Fields& fields = form.fields;
  Session& s = form.session;

  const double lowerLeftX = readFieldNumber(fields, Field::Text3);
  const double lowerLeftY = readFieldNumber(fields, Field::Text4);
  const double upperRightX = readFieldNumber(fields, Field::Text1);
  const double upperRightY = readFieldNumber(fields, Field::Text2);
  if (lowerLeftX == upperRightX || lowerLeftY == upperRightY)
    return CommandOutcome::notStarted(messages::cornersFirst());

  const QString chosen =
      form.desktop.chooseRasterFile(messages::rasterDialogTitle(), messages::rasterDialogFilters());
  if (trimmedRight(chosen).isEmpty()) {
    fields.setText(Field::Text10, chosen);
    return CommandOutcome::cancelled();
  }
  // Opened before anything changes, so that cancelling the decoding leaves
  // the window as it was.
  rasterPath = chosen;
  const TileSet set(chosen);
  auto raster = openWithProgress(form, chosen, set);
  if (!raster) return CommandOutcome::cancelled();
  form.raster = std::move(raster);
  fields.setText(Field::Text10, chosen);

  form.desktop.maximiseWindow();
  fitView(form, form.raster->source());

  s.Filename = chosen;
  s.corners = {0, 0, s.P_X, s.P_Y, 0, 0, form.view.scaleHeight(), form.view.scaleWidth()};
  drawIntoView(form.raster->opened.source, s.corners, form.view, form.lastDrawing);

  writePlaceholderCorners(form);
  writeSizeRatiosAndProposal(form);
  form.view.setDrawWidth(5);
  drawGrid(form);
  readBackCorners(form, set);
  return CommandOutcome::completed();
}

}  // namespace

CommandOutcome loadRaster(Form& form) {
  // A load that stops part way would leave the path field, the view and the
  // record describing different rasters, and a run would then cut the earlier
  // raster under the new name shown. So a failure puts everything back.
  const WindowState before(form);
  QString rasterPath;
  try {
    return runLoad(form, rasterPath);
  } catch (...) {
    const Failure failure = Failure::fromCurrentException(rasterPath);
    before.restore(form);
    return CommandOutcome::stopped(failure);
  }
}

}  // namespace pelmora
