// Command2, "登録開始": the registration run. A pure plan (every image's name,
// pixel size, renderer geometry and world corners), checked before anything is
// written, then an execution that renders and encodes the images in parallel
// and commits the images and the index together.
#pragma once

#include "output/ar2_index.h"
#include "commands/outcome.h"
#include "commands/run_request.h"
#include "render/bil.h"
#include "session/form.h"

#include <QStringList>
#include <vector>

namespace pelmora {

struct PlannedImage {
  QString fileName;          // "sheet12_0.JPG", "sheet12_1.JPG", ...
  int pixelWidth = 0;        // canvas size: the view's size in layout units / 15
  int pixelHeight = 0;
  CornerPoints corners;      // the B_ values handed to the renderer
  BilGeometry geometry;      // where the whole raster lands on the canvas
  IndexRecord record;        // what the index says of the image
  IndexRecord unrotated;     // the same corners before the rotation
  double rotationRadians = 0;  // turn about the origin from unrotated to record (0 for the overview)
};

struct RunPlan {
  QString rasterPath;        // the session's Filename
  QString outputFolder;      // where every file goes
  QString baseName;
  QString indexFileName;     // base name + ".AR2"
  int quality = 50;          // what the encoder receives
  int tileRows = 0;          // rows and columns the loops pass through
  int tileColumns = 0;
  std::vector<PlannedImage> images;  // the overview first, then the tiles in run order
  QString coordinateSystem;  // the raster's, as WKT; empty when it names none
  // The session values the run leaves behind.
  float Cell_X = 0, Cell_Y = 0;
};

// The folder a run writes the set of `rasterPath` to: the one asked for, or
// the raster's own.
QString outputFolderFor(const RunOptions& options, const QString& rasterPath);

// Corners of equal X or equal Y: every image would be placed on a line.
// Inverted corners place them mirrored and are allowed, as the fields allow.
bool hasEmptyExtent(const Session& session);

// The plan of a run on a raster of that many pixels: a pure function of the
// request and the session (its raster path, sizes, window height and
// corners). The coordinate system is left to the caller. Throws Failure for
// every check that would otherwise stop the run midway.
RunPlan planRun(const RunRequest& request, const Session& session, int rasterWidth, int rasterHeight);

enum class CoordinateSystemOrigin { given, georeference, sheetCode, none };

struct CoordinateSystemChoice {
  CoordinateSystemOrigin origin = CoordinateSystemOrigin::none;
  QString wkt;   // empty for none, and for a sheet code's zone unless asked for
  QString name;  // "EPSG:6677" where known
};

// The coordinate system the images' .aux.xml carry: the one the run options
// ask for, else the raster's own (`ownWkt`), else the zone of the form's
// sheet code under the options' datum; none without any. The zone's WKT is
// read (through GDAL) only `withWkt`; the raster's own EPSG name only
// `withName`.
CoordinateSystemChoice chooseCoordinateSystem(const Form& form, const QString& ownWkt, bool withWkt,
                                              bool withName);

// The plan of the form as it stands: its fields read as a request, its
// session, and its raster (opened through the cache for its size and
// coordinate system, chosen as above when the run writes world files).
RunPlan planRun(Form& form);

// The index lines exactly as the run writes them, without line ends.
QStringList indexLines(const RunPlan& plan);

// Renders and encodes every image of the plan band by band, `jobs` workers at
// a time (0: every core), each into a temporary file in the output folder
// (with `worldFiles`, a world file and, when the plan has a coordinate
// system, NAME.JPG.aux.xml beside each), then the index, and commits them
// through a journal, the index last: sidecars it does not write afresh are
// removed first, and the images the earlier index named and this one does
// not (with their sidecars) last.
// Reports through `progress` and stops within a band of rows when cancelled.
// A run that stops, cancelled or failing, leaves the folder's earlier files
// as they were and removes its temporaries; those a killed run left are
// removed when it starts, after it has finished the commit a stop cut short. The caller holds the run's lock (runLockPath()).
// Completed with every file put in place (the index last), or cancelled
// naming the index kept; throws Failure naming the cause and the file.
CommandOutcome executeRun(const RunPlan& plan, const RasterSource& source,
                      const JpegEncoderFactory& makeEncoder, int jobs, Progress& progress,
                      bool worldFiles);

// The lock file that serialises runs on one set (the files named after
// `baseName`) in one folder.
QString runLockPath(const QString& folder, const QString& baseName);

// Finishes the commit that a run on `baseName` stopped part way left in
// `folder` (a kill, a power cut, a failing rename), so that the folder holds
// the whole new set; nothing when there is none or a run holds that set's
// lock now (it finishes it itself). Writes nothing else. Throws Failure
// naming the file when a step of it fails.
void finishInterruptedRun(const QString& folder, const QString& baseName);

// The cancellation of a run: what it keeps and the index that stays.
CommandOutcome cancelledRun(const RunPlan& plan);

// The whole command: guard (not started, silently, before a raster is
// loaded), plan and checks, execution with progress, the index committed and
// the view showing the last tile. A failure names its cause and file (the
// raster when it names none); the earlier index survives any stop.
CommandOutcome runRegistration(Form& form);

}  // namespace pelmora
