// Every message the window and the batch tool show the user, in one place, so
// that a text is worded and spelled once (メモリー, フォルダー: the long forms
// throughout). Captions of controls are the window's layout and stay with it;
// the batch tool's own English usage texts stay with its options.
#pragma once

#include <QString>
#include <QStringList>

namespace pelmora::messages {

// How a command ends, as the window's message box and the batch tool's
// streams say it.
QString completed();
QString cornersFirst();
QString runCancelled();
// `text` followed by the file it concerns on a line of its own.
QString withFile(const QString& text, const QString& file);

// Long work, as its progress is labelled.
QString loadingRaster();
QString writingImages();
QString waitingForAnotherRun();
QString cancelling();

// The open-file dialog of a load.
QString rasterDialogTitle();
QStringList rasterDialogFilters();

// Something the user may want to know that stops nothing.
QString turnedGeoreferenceIgnored();

// Faults of any step.
QString divisionByZero();
QString overflow();
QString outOfMemory();
QString lackOfMemory();  // the same as a reason inside another message
QString unexpectedFailure();

// Files and folders; `reason` is the system's or the library's own word.
QString fileNotFound();
QString cannotOpenFile(const QString& reason);
QString cannotWriteFile(const QString& reason);
QString fileNotFinished();
QString cannotWriteFolder(const QString& reason);
QString cannotCreateLockFile(const QString& reason);
QString noSpaceLeft();
QString writeNotPermitted();
QString readOnlyPlace();
QString folderOfThatName();
QString noSuchFolder();

// The run's checks before anything is written.
QString outputFolderMissing();
QString outputFolderNotWritable(const QString& reason);
QString cannotCreateOutputFolder(const QString& reason);
QString overviewImage();
QString oneCell();
QString imageBelowOnePixel(const QString& image, int width, int height);
QString imageBeyondJpegLimit(const QString& image, int limit, int width, int height);
QString qualityOutOfRange(int quality);
QString countsNotPositive();
QString cellTooLargeForView();
QString tooManyDivisions(const QString& rows, const QString& columns);

// The JPEG encoder.
QString cannotEncode();
QString cannotEncodeBecause(const QString& reason);
QString badImageSize();
QString rowCountMismatch();

// Rasters.
QString bitmapHeaderBroken();
QString bitmapTooLarge(qint64 width, qint64 height);
QString bitmapBadSize(qint64 width, qint64 height);
QString bitmapBadBitCount(int bits);
QString bitmapTruncated();
QString bitmapPaletteBroken();
QString cannotMapFile(const QString& reason);
QString rasterChangedWhileReading();

// The ".AR2" index read back.
QString cannotReadIndex(const QString& reason);
QString indexEmpty();
QString indexLineTooShort(int line, int fields);
QString indexFieldNotNumber(int field, const QString& text);

// The view.
QString negativeViewSize();
QString zeroViewScale();

// The window started where there is no display (in both languages: it goes
// to a terminal); `cause` is Qt's first word of the failed start, or "".
QString noDisplay(const QString& cause);

}  // namespace pelmora::messages
