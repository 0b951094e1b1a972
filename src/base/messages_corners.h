// The notes a load gives about where a raster's corners came from: a source
// set aside, an index that disagrees with the sheet code, placeholders, the
// proportions of a coded sheet. English sources through Qt's translation,
// context "Messages" of translations/pelmora_ja.ts, as in messages.h.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace pelmora::messages {

inline QString turnedGeoreferenceIgnored() {
  return QCoreApplication::translate("Messages", "A rotated or sheared georeference is not used. The corners' "
                                                 "coordinates are as entered.");
}

// `pairs` names the corner pairs concerned: upperRightPair(), lowerLeftPair()
// or bothPairs().
inline QString upperRightPair() { return QCoreApplication::translate("Messages", "the upper right corner"); }
inline QString lowerLeftPair() { return QCoreApplication::translate("Messages", "the lower left corner"); }
inline QString bothPairs() { return QCoreApplication::translate("Messages", "the corners"); }

inline QString sheetProportionsDiffer(const QString& code, int width, int height, const QString& pairs) {
  return QCoreApplication::translate("Messages", "The raster's proportions (%1 × %2 pixels) differ by more than 1% "
                                                 "from the 3 : 4 of sheet %3. The coordinates of %4 are the "
                                                 "sheet's.")
      .arg(QString::number(width), QString::number(height), code, pairs);
}

// How the window takes corners, as the notes say it.
inline QString cornerFields(const QString& first, const QString& last) {
  return QCoreApplication::translate("Messages", "the fields %1 to %2").arg(first, last);
}

// `howToGive` says how this front end takes corners ("-u/-l, --sheet or
// --corners", or the fields' captions).
inline QString placeholderCorners(const QString& pairs, const QString& howToGive) {
  return QCoreApplication::translate("Messages", "No source gives %1 of this raster (no georeference, no sheet code "
                                                 "at the start of its name, no earlier index): placeholders from "
                                                 "its size are used, which place it nowhere. Give the corners with "
                                                 "%2.")
      .arg(pairs, howToGive);
}
inline QString noWorldFilesOnPlaceholders() {
  return QCoreApplication::translate("Messages", "No world files or .aux.xml are written for placeholder corners.");
}

inline QString georeferenceSetAside() {
  return QCoreApplication::translate("Messages", "The raster's own georeference is set aside: the corners given are "
                                                 "used, in their own coordinate system.");
}

// The corners of an earlier index as the fields show them, 右上X, 右上Y, 左下X, 左下Y.
inline QString indexDisagreesWithSheetCode(const QString& index, const QString& corners, const QString& code,
                                           const QString& cell, const QString& howToGive) {
  return QCoreApplication::translate("Messages", "The earlier index %1 gives the corners %2, not the cell of sheet "
                                                 "%3 (%4); the sheet's are used. To keep the index's, give them "
                                                 "with %5.")
      .arg(index, corners, code, cell, howToGive);
}

inline QString ambiguousSheetName(const QString& name, const QString& code, const QString& finer,
                                  const QString& howToGive) {
  return QCoreApplication::translate("Messages", "The name %1 reads as sheet %2 or as its part %3, so neither is "
                                                 "used. Give the sheet or the corners with %4.")
      .arg(name, code, finer, howToGive);
}

// A sheet's frame in its scan.
inline QString frameNotForGeoreference() {
  return QCoreApplication::translate("Messages", "The raster's own georeference places its pixels, so no frame is "
                                                 "looked for or used.");
}
inline QString frameOutsideRaster(const QString& corners, int width, int height) {
  return QCoreApplication::translate("Messages", "The frame's corners %1 do not make a frame inside the raster of "
                                                 "%2 × %3 pixels (top left, top right, bottom right, bottom left).")
      .arg(corners, QString::number(width), QString::number(height));
}
inline QString frameNotFound(const QString& why) {
  return QCoreApplication::translate("Messages", "No whole sheet frame was found in the scan (%1), and its "
                                                 "proportions are not the sheet's, so nothing is cut. Give the "
                                                 "frame's corners with --frame X1,Y1,X2,Y2,X3,Y3,X4,Y4, or cut "
                                                 "the whole raster with --frame none.")
      .arg(why);
}
inline QString frameNotFoundEdgesKept(const QString& why) {
  return QCoreApplication::translate("Messages", "No sheet frame was found in the scan (%1); its proportions are "
                                                 "the sheet's, so the raster's edges are taken as the frame.")
      .arg(why);
}

// The window's line on the sheet's frame.
inline QString lookingForFrame() {
  return QCoreApplication::translate("Messages", "Looking for the sheet's frame in the scan...");
}
inline QString frameFoundInWindow(const QString& corners) {
  return QCoreApplication::translate("Messages", "Sheet frame found in the scan (blue); the run cuts its inside. "
                                                 "The same in a batch: --frame \"%1\"")
      .arg(corners);
}
inline QString frameMovedInWindow(const QString& corners) {
  return QCoreApplication::translate("Messages", "Sheet frame moved by hand (kept until the next load); the run "
                                                 "cuts its inside. The same in a batch: --frame \"%1\"")
      .arg(corners);
}
inline QString frameNotCutInWindow() {
  return QCoreApplication::translate("Messages", "Not cut: the box 図郭で切る is unchecked, so the raster's edges "
                                                 "are the sheet's.");
}
inline QString frameNotFoundInWindow(const QString& why) {
  return QCoreApplication::translate("Messages", "No sheet frame was found in the scan (%1); the raster's edges "
                                                 "are taken as the sheet's. Check the placement, or give the "
                                                 "frame's corners to the batch tool with --frame.")
      .arg(why);
}

// The window's line on its corners: where each pair came from, the system.
inline QString typedCorners() { return QCoreApplication::translate("Messages", "typed"); }
inline QString cornersOfSheetCode(const QString& code) {
  return QCoreApplication::translate("Messages", "sheet code %1").arg(code);
}
inline QString cornersOfGeoreference() {
  return QCoreApplication::translate("Messages", "the raster's georeference");
}
inline QString cornersOfIndex() { return QCoreApplication::translate("Messages", "the earlier index"); }
inline QString cornersOfTable() { return QCoreApplication::translate("Messages", "the corners table"); }
inline QString placeholderCornersSource() { return QCoreApplication::translate("Messages", "placeholders"); }
inline QString pairSources(const QString& upperRight, const QString& lowerLeft) {
  return QCoreApplication::translate("Messages", "upper right %1, lower left %2").arg(upperRight, lowerLeft);
}
inline QString noCoordinateSystem() { return QCoreApplication::translate("Messages", "none"); }
inline QString cornerSourceLine(const QString& sources, const QString& system) {
  return QCoreApplication::translate("Messages", "Corners: %1. Coordinate system: %2.").arg(sources, system);
}

}  // namespace pelmora::messages
