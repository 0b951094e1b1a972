#include "commands/load.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "output/ar2_index.h"
#include "commands/grid.h"
#include "commands/run.h"
#include "raster/bmp_file.h"
#include "render/bil.h"
#include "session/extents.h"
#include "session/field_number.h"

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

void writePlaceholderCorners(Form& form) {
  Fields& fields = form.fields;
  if (fields.text(Field::Text3) != QStringLiteral("1000")) return setCornerOrigins(form, CornerOrigin::given);
  setCornerOrigins(form, CornerOrigin::placeholder);
  fields.setText(Field::Text1, plainText(toSingle(form.session.P_X / 100.0)));
  fields.setText(Field::Text2, plainText(toSingle(form.session.P_Y / 100.0)));
  fields.setText(Field::Text3, QStringLiteral("0"));
  fields.setText(Field::Text4, QStringLiteral("0"));
}

// Bytes in megabytes cut to two decimals, as サイズ shows them.
double shownMegabytes(double bytes) { return floorInt(bytes / 10000) / 100; }

// The size of the same pixels as a 24-bit bitmap: its headers and its rows,
// each padded to a multiple of 4 bytes.
double bytesAs24BitBitmap(const RasterSource& raster) {
  const double rowBytes = std::ceil(3.0 * raster.width() / 4) * 4;
  return 54 + double(raster.height()) * rowBytes;
}

void writeSizeRatiosAndProposal(Form& form, const QString& path, const RasterSource& raster) {
  Fields& fields = form.fields;
  Session& s = form.session;

  const QFileInfo info(path);
  if (!info.exists()) throw Failure(messages::fileNotFound(), path);
  const double bytes = double(info.size());
  fields.setText(Field::Text9, plainText(shownMegabytes(bytes)));
  const double widthPerHeight = divide(s.P_Y, s.P_X);
  fields.setText(Field::Text8, plainText(floorInt(checkedFinite(widthPerHeight * 100 + 0.5)) / 100));

  readCornersAndExtents(fields, s);
  fields.setText(Field::Label9, aspectCaption(roundedAspectRatio(s.W_DX, s.W_DY)));

  // About one cell per 3,000,000 bytes of a 24-bit bitmap, each close to
  // square. A compressed file, or one of fewer bits a pixel, is counted as
  // the bitmap of the same pixels, so that the same pixels get the same grid
  // in any format. A raster so tall that the shown ratio rounds to 0 uses the
  // ratio itself.
  const double megabytes = isUncompressed24BitBitmap(raster)
                               ? readFieldNumber(fields, Field::Text9)
                               : shownMegabytes(bytesAs24BitBitmap(raster));
  const double m = megabytes / 3;
  double r = readFieldNumber(fields, Field::Text8);
  if (r == 0) r = widthPerHeight;
  const double q = std::sqrt(divide(m, r));
  fields.setText(Field::Text5, plainText(floorInt(q + 1)));
  fields.setText(Field::Text6, plainText(floorInt(checkedFinite(q * r + 1))));
}

// The corners of the earlier run's index, exactly as it wrote them, so that a
// re-run writes the same index again.
void writeIndexCorners(Fields& fields, const QString& indexPath) {
  const IndexFirstRecord record(indexPath);
  fields.setText(Field::Text1, plainText(record.number(4)));
  fields.setText(Field::Text2, plainText(record.number(5)));
  fields.setText(Field::Text3, plainText(record.number(2)));
  fields.setText(Field::Text4, plainText(record.number(3)));
}

// The corners from the best source the raster has: the placement the raster
// itself carries (its own tags, a world file or an .aux.xml beside it), else
// the index of an earlier run in the folder the run writes to, else the
// sheet code its file name begins with; else the placeholders stay. The
// raster's own placement is the fact; an index repeats what a run was told.
void readBackCorners(Form& form, const RasterSource& raster) {
  const Georeference& georeference = raster.georeference();
  if (georeference.turnedIgnored)
    form.desktop.note(messages::withFile(messages::turnedGeoreferenceIgnored(), form.session.Filename));
  form.sheetCode = sheetCodeOfFileName(form.session.Filename);
  if (georeference.edges) {
    writeCornerEdges(form.fields, *georeference.edges);
    return setCornerOrigins(form, CornerOrigin::georeference);
  }
  const QString path = indexPathFor(form.session.Filename, outputFolderFor(form.runOptions, form.session.Filename));
  if (QFileInfo(path).isFile()) {
    writeIndexCorners(form.fields, path);
    return setCornerOrigins(form, CornerOrigin::index);
  }
  if (form.sheetCode) {
    writeCornerEdges(form.fields, form.sheetCode->edges);
    setCornerOrigins(form, CornerOrigin::sheetCode);
  }
}

// What a load may change: every text, the record and the view.
class WindowState {
 public:
  explicit WindowState(const Form& form)
      : session_(form.session),
        view_(form.view),
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
    form.upperRightOrigin = upperRightOrigin_;
    form.lowerLeftOrigin = lowerLeftOrigin_;
    form.sheetCode = sheetCode_;
    form.view.refresh();
  }

 private:
  std::vector<std::pair<Field, QString>> texts_;
  Session session_;
  View view_;
  CornerOrigin upperRightOrigin_, lowerLeftOrigin_;
  std::optional<SheetCode> sheetCode_;
};

// The raster, decoded behind a progress dialog with a cancel button when the
// decoding takes a while (a bitmap is not decoded); null when cancelled.
std::shared_ptr<const RasterSource> openWithProgress(Form& form, const QString& path) {
  Progress progress(100);
  progress.inPercent = true;
  progress.showAfterMilliseconds = 500;
  std::shared_ptr<const RasterSource> raster;
  form.desktop.runWithProgress(messages::loadingRaster(), progress,
                               [&] { raster = form.rasters.open(path, &progress); });
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
  // the window as it was; a commit that a stop cut short is finished first,
  // so that the index read back is whole.
  rasterPath = chosen;
  finishInterruptedRun(outputFolderFor(form.runOptions, chosen), rasterBaseName(chosen));
  const auto raster = openWithProgress(form, chosen);
  if (!raster) return CommandOutcome::cancelled();
  fields.setText(Field::Text10, chosen);
  rasterPath = fields.text(Field::Text10);

  form.desktop.maximiseWindow();
  fitView(form, *raster);

  s.Filename = chosen;
  s.corners = {0, 0, s.P_X, s.P_Y, 0, 0, form.view.scaleHeight(), form.view.scaleWidth()};
  float zoom = 0;
  bil(form.rasters, s.Filename, zoom, s.corners, form.view);

  writePlaceholderCorners(form);
  writeSizeRatiosAndProposal(form, rasterPath, *raster);
  form.view.setDrawWidth(5);
  drawGrid(form);
  readBackCorners(form, *raster);
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
