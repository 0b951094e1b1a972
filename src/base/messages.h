// Every message the library, the window and the batch tool show the user, so
// that a text is worded and spelled once; the batch tool's own texts (its
// options, usage and usage errors) are in messages_batch.h. The source texts
// are English and go through Qt's translation (translations/pelmora_ja.ts,
// context "Messages"):
// the window always installs the Japanese translation, the batch tool when
// the locale is Japanese (メモリー, フォルダー: the long forms throughout).
// Captions of controls are the window's layout and stay with it. Inline, so
// that the GDAL module, which links no library of ours, has them too; it
// shares the process's QCoreApplication and so its translators.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace pelmora::messages {

// How a command ends, as the window's message box and the batch tool's
// streams say it.
inline QString completed() { return QCoreApplication::translate("Messages", "Done."); }
inline QString cornersFirst() {
  return QCoreApplication::translate("Messages", "Enter the real-world coordinates of the upper right and lower left "
                                                 "corners first.");
}
inline QString runCancelled() {
  return QCoreApplication::translate("Messages", "Cancelled. The images and the index are as they were.");
}
// `text` followed by the file it concerns on a line of its own.
inline QString withFile(const QString& text, const QString& file) {
  return file.isEmpty() ? text : QCoreApplication::translate("Messages", "%1\nFile: %2").arg(text, file);
}

// Long work, as its progress is labelled.
inline QString loadingRaster() { return QCoreApplication::translate("Messages", "Loading the raster..."); }
inline QString writingImages() { return QCoreApplication::translate("Messages", "Writing the images..."); }
inline QString waitingForAnotherRun(const QString& indexName) {
  return QCoreApplication::translate("Messages", "Another run is writing %1 in this folder. Waiting for it to end...")
      .arg(indexName);
}
inline QString cancelling() { return QCoreApplication::translate("Messages", "Cancelling..."); }
// The button of a progress dialog.
inline QString cancel() { return QCoreApplication::translate("Messages", "Cancel"); }

// The open-file dialog of a load.
inline QString rasterDialogTitle() { return QCoreApplication::translate("Messages", "Load a raster"); }
inline QStringList rasterDialogFilters() {
  return {QCoreApplication::translate("Messages", "Bitmap (*.BMP* *.bmp* *.Bmp*)"),
          QCoreApplication::translate("Messages", "GeoTIFF, PNG, JPEG, JPEG 2000 (*.tif *.TIF *.tiff *.TIFF *.png *.PNG "
                                                  "*.jpg *.JPG *.jpeg *.JPEG *.jp2 *.JP2 *.j2k *.J2K)"),
          QCoreApplication::translate("Messages", "All files (*)")};
}

// Coordinate systems.
inline QString unknownCoordinateSystem(const QString& text) {
  return QCoreApplication::translate("Messages", "Not readable as a coordinate system: %1").arg(text);
}

// Faults of any step.
inline QString divisionByZero() { return QCoreApplication::translate("Messages", "Division by zero."); }
inline QString overflow() { return QCoreApplication::translate("Messages", "Overflow."); }
// As a reason inside another message, and as a message of its own.
inline QString lackOfMemory() { return QCoreApplication::translate("Messages", "not enough memory"); }
inline QString outOfMemory() { return QCoreApplication::translate("Messages", "Not enough memory."); }
inline QString unexpectedFailure() {
  return QCoreApplication::translate("Messages", "Stopped by an unexpected error.");
}
// An error of the system or a library that comes with a text of its own,
// which is quoted as it is (often English).
inline QString unexpectedFailureSaying(const QString& text) {
  return QCoreApplication::translate("Messages", "Stopped by an unexpected error: %1").arg(text);
}

// Files and folders; `reason` is the system's or the library's own word.
inline QString fileEmpty() { return QCoreApplication::translate("Messages", "The file is empty."); }
inline QString fileNotFound() { return QCoreApplication::translate("Messages", "File not found."); }
inline QString cannotOpenFile(const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot open the file: %1").arg(reason);
}
inline QString cannotWriteFile(const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot write the file: %1").arg(reason);
}
inline QString fileNotFinished() {
  return QCoreApplication::translate("Messages", "The file was not written to its end.");
}
inline QString cannotWriteFolder(const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot write the folder: %1").arg(reason);
}
inline QString cannotCreateLockFile(const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot create the lock file: %1").arg(reason);
}
inline QString noSpaceLeft() { return QCoreApplication::translate("Messages", "not enough free space on the disk"); }
inline QString writeNotPermitted() { return QCoreApplication::translate("Messages", "writing is not permitted"); }
inline QString readOnlyPlace() { return QCoreApplication::translate("Messages", "the place is read-only"); }
inline QString folderOfThatName() {
  return QCoreApplication::translate("Messages", "a folder of the same name exists");
}
inline QString noSuchFolder() { return QCoreApplication::translate("Messages", "the folder does not exist"); }

// The run's checks before anything is written.
inline QString outputFolderMissing() {
  return QCoreApplication::translate("Messages", "The output folder does not exist.");
}
inline QString outputFolderNotWritable(const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot write into the output folder: %1").arg(reason);
}
// The images imageBelowOnePixel() and imageBeyondJpegLimit() name.
inline QString overviewImage() { return QCoreApplication::translate("Messages", "The overview"); }
inline QString oneCell() { return QCoreApplication::translate("Messages", "One cell"); }
inline QString imageBelowOnePixel(const QString& image, int width, int height) {
  return QCoreApplication::translate("Messages", "%1 is smaller than one pixel and cannot be written (%2 × %3 pixels).")
      .arg(image, QString::number(width), QString::number(height));
}
inline QString imageBeyondJpegLimit(const QString& image, int limit, int width, int height) {
  return QCoreApplication::translate("Messages", "%1 exceeds JPEG's limit of %2 pixels and cannot be written "
                                                 "(%3 × %4 pixels).")
      .arg(image, QString::number(limit), QString::number(width), QString::number(height));
}
inline QString qualityOutOfRange(int quality) {
  return QCoreApplication::translate("Messages", "The JPEG quality is out of range (%1). Enter a number from 25 to "
                                                 "100.")
      .arg(quality);
}
inline QString countsNotWhole(const QString& rows, const QString& columns) {
  return QCoreApplication::translate("Messages", "Enter whole numbers of at least 1 as the numbers of rows and "
                                                 "columns (%1 × %2).")
      .arg(rows, columns);
}
inline QString cellTooLargeForView() {
  return QCoreApplication::translate("Messages", "The numbers of rows or columns are too small for one cell to fit "
                                                 "in the view.");
}
inline QString tooManyDivisions(const QString& rows, const QString& columns) {
  return QCoreApplication::translate("Messages", "Too many divisions (%1 × %2).").arg(rows, columns);
}

// The JPEG encoder.
inline QString cannotEncode() { return QCoreApplication::translate("Messages", "Cannot convert to JPEG."); }
inline QString cannotEncodeBecause(const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot convert to JPEG: %1").arg(reason);
}
inline QString badImageSize() { return QCoreApplication::translate("Messages", "the image's size is wrong"); }
inline QString rowCountMismatch() {
  return QCoreApplication::translate("Messages", "the image's number of rows does not match");
}

// Rasters.
inline QString bitmapHeaderBroken() { return QCoreApplication::translate("Messages", "The bitmap's header is damaged."); }
inline QString bitmapTooLarge(qint64 width, qint64 height) {
  return QCoreApplication::translate("Messages", "The bitmap's size (%1 × %2 pixels) is beyond what can be handled.")
      .arg(QString::number(width), QString::number(height));
}
inline QString bitmapBadSize(qint64 width, qint64 height) {
  return QCoreApplication::translate("Messages", "The bitmap's width or height is invalid (%1 × %2).")
      .arg(QString::number(width), QString::number(height));
}
inline QString bitmapBadBitCount(int bits) {
  return QCoreApplication::translate("Messages", "The bitmap's colour depth (%1 bits) is invalid.").arg(bits);
}
inline QString bitmapTruncated() {
  return QCoreApplication::translate("Messages", "The bitmap's pixel data does not fit in the file (the file is "
                                                 "truncated).");
}
inline QString bitmapPaletteBroken() {
  return QCoreApplication::translate("Messages", "The bitmap's palette is damaged.");
}
inline QString rasterChangedWhileReading() {
  return QCoreApplication::translate("Messages", "The raster file changed while it was being read.");
}

// Other formats, through the GDAL module.
inline QString reasonUnknown() { return QCoreApplication::translate("Messages", "the reason is unknown"); }
inline QString cannotLoadGdalModule(const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot load the part that uses GDAL: %1").arg(reason);
}
inline QString gdalModuleWithoutEntry(const QString& entry, const QString& reason) {
  return QCoreApplication::translate("Messages", "The part that uses GDAL has no entry %1: %2").arg(entry, reason);
}
inline QString gdalModuleVersionMismatch(int module, int program) {
  return QCoreApplication::translate("Messages", "The version of the part that uses GDAL (%1) does not match this "
                                                 "program (%2). Install it again.")
      .arg(QString::number(module), QString::number(program));
}
inline QString gdalModuleNotLocated(const QString& module) {
  return QCoreApplication::translate("Messages", "Cannot tell where the part that uses GDAL, %1, is (the program's "
                                                 "own place is not readable).")
      .arg(module);
}
inline QString jp2BoxBeyondEnd(qint64 offset) {
  return QCoreApplication::translate("Messages", "The JPEG 2000 file is damaged: the box at byte %1 runs past the "
                                                 "end of the file.")
      .arg(offset);
}
inline QString formatNotReadable(const QString& reason) {
  return QCoreApplication::translate("Messages", "Images of this format cannot be loaded: %1").arg(reason);
}
// Our sentence for what went wrong, then the library's own words on it.
inline QString withLibraryDetail(const QString& sentence, const QString& library, const QString& detail) {
  return detail.isEmpty() ? sentence
                          : QCoreApplication::translate("Messages", "%1 (%2: %3)").arg(sentence, library, detail);
}
inline QString gdalDoesNotKnowFormat() {
  return QCoreApplication::translate("Messages", "GDAL does not recognise the format");
}
// `format` is GDAL's name of what the file holds, such as "Virtual Raster (VRT)".
inline QString formatNotRasterFile(const QString& format) {
  return QCoreApplication::translate("Messages", "A format that cannot be loaded as a raster file: %1. The files "
                                                 "loaded are BMP, GeoTIFF, PNG, JPEG and JPEG 2000 raster files "
                                                 "(descriptions pointing to other files or to data on a network are "
                                                 "not read).")
      .arg(format);
}
inline QString virtualFileSystemRefused() {
  return QCoreApplication::translate("Messages", "Names of GDAL's virtual file systems (/vsi...) are not opened as "
                                                 "raster files.");
}
inline QString gdalReadFailed() { return QCoreApplication::translate("Messages", "GDAL failed to read it"); }
inline QString jpegReadFailed() { return QCoreApplication::translate("Messages", "libjpeg failed to decode it"); }
inline QString pngReadFailed() { return QCoreApplication::translate("Messages", "libpng failed to decode it"); }
// `bands` lists the file's bands, as bandsOf() words them.
inline QString pixelFormatNotReadable(const QString& bands) {
  return QCoreApplication::translate("Messages", "A pixel format that cannot be loaded: %1. The images loaded are "
                                                 "8-bit gray, palette, RGB and RGBA.")
      .arg(bands);
}
inline QString bandsOf(int count, const QStringList& bands) {
  return QCoreApplication::translate("Messages", "%1 bands (%2)")
      .arg(QString::number(count), bands.join(QCoreApplication::translate("Messages", ", ", "between bands")));
}
inline QString cannotCreateTemporaryFile(const QString& folder, const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot create a temporary file (%1): %2").arg(folder, reason);
}
inline QString temporaryFolderFull(const QString& folder, qint64 megabytes) {
  return QCoreApplication::translate("Messages", "Not enough free space in the temporary folder %1 (%2 MB needed). "
                                                 "The environment variable TMPDIR names another folder.")
      .arg(folder, QString::number(megabytes));
}
inline QString cannotWriteTemporaryFile(const QString& folder, const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot write the temporary file (%1): %2").arg(folder, reason);
}
inline QString cannotReadTemporaryFile(const QString& folder, const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot read the temporary file (%1): %2").arg(folder, reason);
}
inline QString cannotReadRaster(const QString& reason, int width, int height, int fromRow) {
  return QCoreApplication::translate("Messages", "Cannot read the raster: %1 (%2 × %3 pixels, from row %4)")
      .arg(reason, QString::number(width), QString::number(height), QString::number(fromRow));
}
inline QString rasterWithoutPixels() { return QCoreApplication::translate("Messages", "The raster has no pixels."); }

// The ".AR2" index read back.
inline QString cannotReadIndex(const QString& reason) {
  return QCoreApplication::translate("Messages", "Cannot read the index: %1").arg(reason);
}
inline QString indexEmpty() { return QCoreApplication::translate("Messages", "The index is empty."); }
inline QString indexLineTooShort(int line, int fields) {
  return QCoreApplication::translate("Messages", "Line %1 of the index has too few fields (%2 fields).")
      .arg(QString::number(line), QString::number(fields));
}
inline QString indexFieldNotNumber(int field, const QString& text) {
  return QCoreApplication::translate("Messages", "Field %1 of the index's first line is not a number: \"%2\"")
      .arg(QString::number(field), text);
}

// The view.
inline QString negativeViewSize() {
  return QCoreApplication::translate("Messages", "The view's size cannot be set to a negative value.");
}
inline QString zeroViewScale() {
  return QCoreApplication::translate("Messages", "The view's scale cannot be set to 0.");
}

// The window started where there is no display, in both languages at once:
// it goes to a terminal, before the window's language matters; `cause` is
// Qt's first word of the failed start, or "".
inline QString noDisplay(const QString& cause) {
  QString text = QStringLiteral(
      "pelmora: ウィンドウを開く画面（ディスプレイ）がありません。\n"
      "  仮想画面で開くには xvfb-run -a pelmora、画面なしで分割するには pelmora-tile を使ってください。\n"
      "pelmora: no display to open the window on.\n"
      "  Use xvfb-run -a pelmora for a virtual screen, or the batch tool pelmora-tile\n"
      "  (pelmora-tile --help) to cut tiles without one.\n");
  if (!cause.isEmpty()) text += QStringLiteral("  (Qt: %1)\n").arg(cause);
  return text;
}

}  // namespace pelmora::messages
