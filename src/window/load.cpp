#include "window/load.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/messages_corners.h"
#include "base/numbers.h"
#include "commands/corner_sources.h"
#include "commands/cut.h"
#include "window/extents.h"
#include "window/field_number.h"
#include "window/grid.h"
#include "window/sheet_frame.h"

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
  const GridProposal proposal = proposeGrid(*form.raster, rasterToCut(form));
  fields.setText(Field::Text9, proposal.megabytesText);
  fields.setText(Field::Text8, proposal.ratioText);
  readCornersAndExtents(fields, form.session);
  fields.setText(Field::Label9, aspectCaption(roundedAspectRatio(form.session.W_DX, form.session.W_DY)));
  fields.setText(Field::Text5, plainText(proposal.rows));
  fields.setText(Field::Text6, plainText(proposal.columns));
}

// The corner fields back at their initial texts.
void resetCornerTexts(Fields& fields) {
  for (Field field : {Field::Text1, Field::Text2, Field::Text3, Field::Text4}) fields.setText(field, initialText(field));
}

// Where a pair came from, as the line beside the view names it.
QString sourceName(CornerOrigin origin, const CutCorners& corners) {
  switch (origin) {
    case CornerOrigin::given: return messages::typedCorners();
    case CornerOrigin::table: return messages::cornersOfTable();
    case CornerOrigin::georeference: return messages::cornersOfGeoreference();
    case CornerOrigin::index: return messages::cornersOfIndex();
    case CornerOrigin::sheetCode: return messages::cornersOfSheetCode(corners.sheetCode->code);
    case CornerOrigin::placeholder: break;
  }
  return messages::placeholderCornersSource();
}

QString cornerSourceLine(const LoadedRaster& raster, const PlacedCorners& placed) {
  const CutCorners& c = placed.corners;
  const QString upper = sourceName(c.upperRightOrigin, c), lower = sourceName(c.lowerLeftOrigin, c);
  CutRequest request;
  request.corners = c;
  const CoordinateSystemChoice system = chooseCoordinateSystem(
      request, raster.opened.placement.coordinateSystem, /*withWkt=*/false, /*withName=*/true);
  QString systemName = system.name;
  if (systemName.isEmpty())
    systemName = system.origin == CoordinateSystemOrigin::none ? messages::noCoordinateSystem()
                                                               : messages::cornersOfGeoreference();
  QStringList line{messages::cornerSourceLine(upper == lower ? upper : messages::pairSources(upper, lower),
                                              systemName)};
  if (!placed.ambiguousName.isEmpty()) line << placed.ambiguousName;
  return (line + placed.notes).join(u' ');
}

// The corners from their sources (placeCorners), the typed ones given: the
// pairs that were not typed are written into the fields.
void placeCornersOfRaster(Form& form, const TileSet& set) {
  const Session& s = form.session;
  GivenCorners given;
  if (form.upperRightOrigin == CornerOrigin::given) given.upperRight = CornerPair{s.UR_X, s.UR_Y};
  if (form.lowerLeftOrigin == CornerOrigin::given) given.lowerLeft = CornerPair{s.LL_X, s.LL_Y};
  const PlacedCorners placed =
      placeCorners(*form.raster, set, given, messages::cornerFields(captionOf(Field::Text1), captionOf(Field::Text4)));
  const CutCorners& c = placed.corners;
  if (c.upperRightOrigin != CornerOrigin::given) {
    form.fields.setText(Field::Text1, plainText(c.upperRightX));
    form.fields.setText(Field::Text2, plainText(c.upperRightY));
  }
  if (c.lowerLeftOrigin != CornerOrigin::given) {
    form.fields.setText(Field::Text3, plainText(c.lowerLeftX));
    form.fields.setText(Field::Text4, plainText(c.lowerLeftY));
  }
  form.upperRightOrigin = c.upperRightOrigin;
  form.lowerLeftOrigin = c.lowerLeftOrigin;
  form.sheetCode = c.sheetCode;
  for (int i = 0; i < 4; ++i) form.cornerTextsOfLoad[std::size_t(i)] = form.fields.text(Field(int(Field::Text1) + i));
  form.cornerSource = cornerSourceLine(*form.raster, placed);
  form.proportionsNote = placed.proportionsNote;
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
        sheetCode_(form.sheetCode),
        cornerTextsOfLoad_(form.cornerTextsOfLoad),
        cornerSource_(form.cornerSource),
        frame_(form.frame),
        frameMovedByHand_(form.frameMovedByHand),
        cutAtFrame_(form.cutAtFrame),
        frameNote_(form.frameNote),
        proportionsNote_(form.proportionsNote),
        viewShowsRaster_(form.viewShowsRaster) {
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
    form.cornerTextsOfLoad = cornerTextsOfLoad_;
    form.cornerSource = cornerSource_;
    form.frame = frame_;
    form.frameMovedByHand = frameMovedByHand_;
    form.cutAtFrame = cutAtFrame_;
    form.frameNote = frameNote_;
    form.proportionsNote = proportionsNote_;
    form.viewShowsRaster = viewShowsRaster_;
    form.view.refresh();
  }

 private:
  std::vector<std::pair<Field, QString>> texts_;
  Session session_;
  View view_;
  std::shared_ptr<const LoadedRaster> raster_;
  CornerOrigin upperRightOrigin_, lowerLeftOrigin_;
  std::optional<SheetCode> sheetCode_;
  std::array<QString, 4> cornerTextsOfLoad_;
  QString cornerSource_;
  std::optional<FrameCorners> frame_;
  bool frameMovedByHand_;
  bool cutAtFrame_;
  QString frameNote_;
  QString proportionsNote_;
  bool viewShowsRaster_;
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
  // Corners a load filled in belong to that raster; typed ones stay.
  if (const auto [upper, lower] = form.typedCornerPairs(); !upper && !lower) resetCornerTexts(fields);

  // The frame of the raster before is no longer on the view.
  form.frame.reset();
  form.frameNote.clear();
  form.desktop.maximiseWindow();
  fitView(form, form.raster->source());
  form.viewShowsRaster = true;

  s.Filename = chosen;
  s.corners = {0, 0, s.P_X, s.P_Y, 0, 0, form.view.scaleHeight(), form.view.scaleWidth()};
  drawIntoView(form.raster->opened.source, s.corners, form.view, form.lastDrawing);

  writePlaceholderCorners(form);
  writeSizeRatiosAndProposal(form);
  form.view.setDrawWidth(5);
  drawGrid(form);
  placeCornersOfRaster(form, set);
  lookForFrameOfLoad(form);
  if (form.frame) {
    writeSizeRatiosAndProposal(form);
    drawGrid(form);
  }
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
