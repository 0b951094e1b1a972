// Every message the window and the batch tool show the user, in one place, so
// that a text is worded and spelled once (メモリー, フォルダー: the long forms
// throughout). Captions of controls are the window's layout and stay with it;
// the batch tool's own English usage texts stay with its options. Inline,
// so that the GDAL module, which links no library of ours, has them too.
#pragma once

#include <QString>
#include <QStringList>

namespace pelmora::messages {

// How a command ends, as the window's message box and the batch tool's
// streams say it.
inline QString completed() { return QStringLiteral("完了しました"); }
inline QString cornersFirst() { return QStringLiteral("先に右上と左下の実体系座標値を入力してください"); }
inline QString runCancelled() { return QStringLiteral("キャンセルしました。画像も索引ファイルも前のままです。"); }
// `text` followed by the file it concerns on a line of its own.
inline QString withFile(const QString& text, const QString& file) {
  return file.isEmpty() ? text : text + QStringLiteral("\nファイル: ") + file;
}

// Long work, as its progress is labelled.
inline QString loadingRaster() { return QStringLiteral("画像を読み込んでいます…"); }
inline QString writingImages() { return QStringLiteral("画像を書き出しています…"); }
inline QString waitingForAnotherRun(const QString& indexName) {
  return QStringLiteral("別の実行がこのフォルダーの %1 を書いています。終わるのを待っています…").arg(indexName);
}
inline QString cancelling() { return QStringLiteral("キャンセルしています…"); }

// The open-file dialog of a load.
inline QString rasterDialogTitle() { return QStringLiteral("ラスター 呼び出し"); }
inline QStringList rasterDialogFilters() {
  return {QStringLiteral("BITMAP (*.BMP* *.bmp* *.Bmp*)"),
          QStringLiteral("GeoTIFF・PNG・JPEG・JPEG 2000 (*.tif *.TIF *.tiff *.TIFF *.png *.PNG "
                         "*.jpg *.JPG *.jpeg *.JPEG *.jp2 *.JP2 *.j2k *.J2K)"),
          QStringLiteral("すべてのファイル (*)")};
}

// Something the user may want to know that stops nothing.
inline QString turnedGeoreferenceIgnored() {
  return QStringLiteral("回転または傾きのある地理参照は使いません。四隅の座標は入力値のままです。");
}

inline QString sheetProportionsDiffer(const QString& code, int width, int height) {
  return QStringLiteral("画像の縦横 (%1 × %2 ピクセル) が図郭 %3 の 3 : 4 と 1% より多く違います。"
                        "四隅の座標は図郭のものです。")
      .arg(width)
      .arg(height)
      .arg(code);
}

// Coordinate systems.
inline QString unknownCoordinateSystem(const QString& text) {
  return QStringLiteral("座標系として読めません: %1").arg(text);
}

// Faults of any step.
inline QString divisionByZero() { return QStringLiteral("0 で除算しました。"); }
inline QString overflow() { return QStringLiteral("オーバーフローしました。"); }
// As a reason inside another message, and as a message of its own.
inline QString lackOfMemory() { return QStringLiteral("メモリーが足りません"); }
inline QString outOfMemory() { return lackOfMemory() + QStringLiteral("。"); }
inline QString unexpectedFailure() { return QStringLiteral("予期しないエラーで止まりました。"); }

// Files and folders; `reason` is the system's or the library's own word.
inline QString fileNotFound() { return QStringLiteral("ファイルが見つかりません。"); }
inline QString cannotOpenFile(const QString& reason) { return QStringLiteral("ファイルを開けません: ") + reason; }
inline QString cannotWriteFile(const QString& reason) { return QStringLiteral("ファイルを書き込めません: ") + reason; }
inline QString fileNotFinished() { return QStringLiteral("ファイルが書き終わっていません。"); }
inline QString cannotWriteFolder(const QString& reason) { return QStringLiteral("フォルダーを書き込めません: ") + reason; }
inline QString cannotCreateLockFile(const QString& reason) { return QStringLiteral("ロックファイルを作れません: ") + reason; }
inline QString noSpaceLeft() { return QStringLiteral("ディスクの空きが足りません"); }
inline QString writeNotPermitted() { return QStringLiteral("書き込みが許可されていません"); }
inline QString readOnlyPlace() { return QStringLiteral("読み取り専用の場所です"); }
inline QString folderOfThatName() { return QStringLiteral("同じ名前のフォルダーがあります"); }
inline QString noSuchFolder() { return QStringLiteral("フォルダーがありません"); }

// The run's checks before anything is written.
inline QString outputFolderMissing() { return QStringLiteral("出力先のフォルダーがありません。"); }
inline QString outputFolderNotWritable(const QString& reason) {
  return QStringLiteral("出力先のフォルダーに書き込めません: ") + reason;
}
inline QString cannotCreateOutputFolder(const QString& reason) {
  return QStringLiteral("出力先のフォルダーを作れません: ") + reason;
}
inline QString overviewImage() { return QStringLiteral("全体図"); }
inline QString oneCell() { return QStringLiteral("1 区画"); }
inline QString imageBelowOnePixel(const QString& image, int width, int height) {
  return image + QStringLiteral("が 1 ピクセルに満たないため書き出せません (%1 × %2 ピクセル)。").arg(width).arg(height);
}
inline QString imageBeyondJpegLimit(const QString& image, int limit, int width, int height) {
  return image + QStringLiteral("が JPEG の上限 %1 ピクセルを超えるため書き出せません (%2 × %3 ピクセル)。")
                     .arg(limit)
                     .arg(width)
                     .arg(height);
}
inline QString qualityOutOfRange(int quality) {
  return QStringLiteral("JPG画質が範囲外です (%1)。0 から 255 の数を入力してください。").arg(quality);
}
inline QString countsNotWhole(const QString& rows, const QString& columns) {
  return QStringLiteral("横割の数と縦割の数には 1 以上の整数を入力してください (%1 × %2)。").arg(rows, columns);
}
inline QString cellTooLargeForView() {
  return QStringLiteral("横割の数または縦割の数が小さすぎて、1 区画がビューに収まりません。");
}
inline QString tooManyDivisions(const QString& rows, const QString& columns) {
  return QStringLiteral("分割の数が多すぎます (%1 × %2)。").arg(rows, columns);
}

// The JPEG encoder.
inline QString cannotEncode() { return QStringLiteral("JPEG に変換できません。"); }
inline QString cannotEncodeBecause(const QString& reason) { return QStringLiteral("JPEG に変換できません: ") + reason; }
inline QString badImageSize() { return QStringLiteral("画像の大きさが正しくありません"); }
inline QString rowCountMismatch() { return QStringLiteral("画像の行数が合いません"); }

// Rasters.
inline QString bitmapHeaderBroken() { return QStringLiteral("ビットマップのヘッダーが壊れています。"); }
inline QString bitmapTooLarge(qint64 width, qint64 height) {
  return QStringLiteral("ビットマップの大きさ（%1 × %2 画素）が扱える範囲を超えています。").arg(width).arg(height);
}
inline QString bitmapBadSize(qint64 width, qint64 height) {
  return QStringLiteral("ビットマップの幅または高さが不正です（%1 × %2）。").arg(width).arg(height);
}
inline QString bitmapBadBitCount(int bits) { return QStringLiteral("ビットマップの色数（%1 ビット）が不正です。").arg(bits); }
inline QString bitmapTruncated() {
  return QStringLiteral("ビットマップの画素データがファイルに収まっていません（ファイルが途中で切れています）。");
}
inline QString bitmapPaletteBroken() { return QStringLiteral("ビットマップのパレットが壊れています。"); }
inline QString rasterChangedWhileReading() { return QStringLiteral("画像ファイルが読み込み中に変更されました。"); }

// Other formats, through the GDAL module.
inline QString reasonUnknown() { return QStringLiteral("理由は不明です"); }
inline QString cannotLoadGdalModule(const QString& reason) {
  return QStringLiteral("GDAL を使う部品を読み込めません: %1").arg(reason);
}
inline QString gdalModuleWithoutEntry(const QString& entry, const QString& reason) {
  return QStringLiteral("GDAL を使う部品に入口 %1 がありません: %2").arg(entry, reason);
}
inline QString gdalModuleVersionMismatch(int module, int program) {
  return QStringLiteral("GDAL を使う部品の版（%1）がこのプログラム（%2）と合いません。インストールし直してください。")
      .arg(module)
      .arg(program);
}
inline QString gdalModuleNotLocated(const QString& module) {
  return QStringLiteral("GDAL を使う部品 %1 の場所がわかりません（プログラムの場所を読めません）。").arg(module);
}
inline QString jp2BoxBeyondEnd(qint64 offset) {
  return QStringLiteral("JPEG 2000 ファイルが壊れています: %1 バイト目のボックスがファイルの終わりを越えています。")
      .arg(offset);
}
inline QString formatNotReadable(const QString& reason) {
  return QStringLiteral("この形式の画像は読み込めません: ") + reason;
}
inline QString gdalDoesNotKnowFormat() { return QStringLiteral("GDAL が形式を認識しません"); }
// `format` is GDAL's name of what the file holds, such as "Virtual Raster (VRT)".
inline QString formatNotRasterFile(const QString& format) {
  return QStringLiteral("画像ファイルとして読み込めない形式です: %1。読み込めるのは BMP、GeoTIFF、PNG、JPEG、JPEG 2000 の"
                        "画像ファイルです（ほかのファイルやネットワーク上のデータを指す記述は読みません）。")
      .arg(format);
}
inline QString virtualFileSystemRefused() {
  return QStringLiteral("GDAL の仮想ファイルシステムの名前（/vsi…）は画像ファイルとして開けません。");
}
inline QString gdalReadFailed() { return QStringLiteral("GDAL が読み込みに失敗しました"); }
// `bands` lists the file's bands, as bandsOf() words them.
inline QString pixelFormatNotReadable(const QString& bands) {
  return QStringLiteral("読み込めない画素の形式です: %1。読み込めるのは 8 ビットのグレー、パレット、RGB、RGBA の画像です。")
      .arg(bands);
}
inline QString bandsOf(int count, const QStringList& bands) {
  return QStringLiteral("%1 バンド（%2）").arg(count).arg(bands.join(QStringLiteral("、")));
}
inline QString cannotCreateTemporaryFile(const QString& folder, const QString& reason) {
  return QStringLiteral("一時ファイルを作れません（%1）: %2").arg(folder, reason);
}
inline QString temporaryFolderFull(const QString& folder, qint64 megabytes) {
  return QStringLiteral("一時フォルダー %1 の空きが足りません（%2 MB 必要）。環境変数 TMPDIR で別のフォルダーを指定できます。")
      .arg(folder)
      .arg(megabytes);
}
inline QString cannotWriteTemporaryFile(const QString& folder, const QString& reason) {
  return QStringLiteral("一時ファイル（%1）に書き込めません: %2").arg(folder, reason);
}
inline QString cannotReadTemporaryFile(const QString& folder, const QString& reason) {
  return QStringLiteral("一時ファイル（%1）を読めません: %2").arg(folder, reason);
}
inline QString cannotReadRaster(const QString& reason, int width, int height, int fromRow) {
  return QStringLiteral("画像を読み込めません: %1（%2 × %3 画素、%4 行目から）")
      .arg(reason)
      .arg(width)
      .arg(height)
      .arg(fromRow);
}
inline QString rasterWithoutPixels() { return QStringLiteral("画像に画素がありません。"); }

// The ".AR2" index read back.
inline QString cannotReadIndex(const QString& reason) { return QStringLiteral("索引ファイルを読めません: ") + reason; }
inline QString indexEmpty() { return QStringLiteral("索引ファイルが空です。"); }
inline QString indexLineTooShort(int line, int fields) {
  return QStringLiteral("索引ファイルの%1行目の項目が足りません (%2 項目)。").arg(line).arg(fields);
}
inline QString indexFieldNotNumber(int field, const QString& text) {
  return QStringLiteral("索引ファイルの1行目の第%1項目が数値ではありません: \"%2\"").arg(field).arg(text);
}

// The view.
inline QString negativeViewSize() { return QStringLiteral("ビューの大きさに負の値は設定できません。"); }
inline QString zeroViewScale() { return QStringLiteral("ビューの縮尺に 0 は設定できません。"); }

// The window started where there is no display (in both languages: it goes
// to a terminal); `cause` is Qt's first word of the failed start, or "".
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
