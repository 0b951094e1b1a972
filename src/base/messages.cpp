#include "base/messages.h"

namespace pelmora::messages {

QString completed() { return QStringLiteral("完了しました"); }
QString cornersFirst() { return QStringLiteral("先に右上と左下の実体系座標値を入力してください"); }
QString runCancelled() { return QStringLiteral("キャンセルしました。画像も索引ファイルも前のままです。"); }
QString withFile(const QString& text, const QString& file) {
  return file.isEmpty() ? text : text + QStringLiteral("\nファイル: ") + file;
}

QString loadingRaster() { return QStringLiteral("画像を読み込んでいます…"); }
QString writingImages() { return QStringLiteral("画像を書き出しています…"); }
QString waitingForAnotherRun() {
  return QStringLiteral("同じ画像をこのフォルダーへ登録している別の実行が終わるのを待っています…");
}
QString cancelling() { return QStringLiteral("キャンセルしています…"); }

QString rasterDialogTitle() { return QStringLiteral("ラスター 呼び出し"); }
QStringList rasterDialogFilters() {
  return {QStringLiteral("BITMAP (*.BMP* *.bmp* *.Bmp*)"),
          QStringLiteral("GeoTIFF・PNG・JPEG・JPEG 2000 (*.tif *.TIF *.tiff *.TIFF *.png *.PNG "
                         "*.jpg *.JPG *.jpeg *.JPEG *.jp2 *.JP2 *.j2k *.J2K)"),
          QStringLiteral("すべてのファイル (*)")};
}

QString turnedGeoreferenceIgnored() {
  return QStringLiteral("回転または傾きのある地理参照は使いません。四隅の座標は入力値のままです。");
}

QString divisionByZero() { return QStringLiteral("0 で除算しました。"); }
QString overflow() { return QStringLiteral("オーバーフローしました。"); }
QString outOfMemory() { return lackOfMemory() + QStringLiteral("。"); }
QString lackOfMemory() { return QStringLiteral("メモリーが足りません"); }
QString unexpectedFailure() { return QStringLiteral("予期しないエラーで止まりました。"); }

QString fileNotFound() { return QStringLiteral("ファイルが見つかりません。"); }
QString cannotOpenFile(const QString& reason) { return QStringLiteral("ファイルを開けません: ") + reason; }
QString cannotWriteFile(const QString& reason) { return QStringLiteral("ファイルを書き込めません: ") + reason; }
QString fileNotFinished() { return QStringLiteral("ファイルが書き終わっていません。"); }
QString cannotWriteFolder(const QString& reason) { return QStringLiteral("フォルダーを書き込めません: ") + reason; }
QString cannotCreateLockFile(const QString& reason) { return QStringLiteral("ロックファイルを作れません: ") + reason; }
QString noSpaceLeft() { return QStringLiteral("ディスクの空きが足りません"); }
QString writeNotPermitted() { return QStringLiteral("書き込みが許可されていません"); }
QString readOnlyPlace() { return QStringLiteral("読み取り専用の場所です"); }
QString folderOfThatName() { return QStringLiteral("同じ名前のフォルダーがあります"); }
QString noSuchFolder() { return QStringLiteral("フォルダーがありません"); }

QString outputFolderMissing() { return QStringLiteral("出力先のフォルダーがありません。"); }
QString outputFolderNotWritable(const QString& reason) {
  return QStringLiteral("出力先のフォルダーに書き込めません: ") + reason;
}
QString cannotCreateOutputFolder(const QString& reason) {
  return QStringLiteral("出力先のフォルダーを作れません: ") + reason;
}
QString overviewImage() { return QStringLiteral("全体図"); }
QString oneCell() { return QStringLiteral("1 区画"); }
QString imageBelowOnePixel(const QString& image, int width, int height) {
  return image + QStringLiteral("が 1 ピクセルに満たないため書き出せません (%1 × %2 ピクセル)。").arg(width).arg(height);
}
QString imageBeyondJpegLimit(const QString& image, int limit, int width, int height) {
  return image + QStringLiteral("が JPEG の上限 %1 ピクセルを超えるため書き出せません (%2 × %3 ピクセル)。")
                     .arg(limit)
                     .arg(width)
                     .arg(height);
}
QString qualityOutOfRange(int quality) {
  return QStringLiteral("JPG画質が範囲外です (%1)。0 から 255 の数を入力してください。").arg(quality);
}
QString countsNotPositive() { return QStringLiteral("横割の数と縦割の数には 0 より大きい数を入力してください。"); }
QString cellTooLargeForView() {
  return QStringLiteral("横割の数または縦割の数が小さすぎて、1 区画がビューに収まりません。");
}
QString tooManyDivisions(const QString& rows, const QString& columns) {
  return QStringLiteral("分割の数が多すぎます (%1 × %2)。").arg(rows, columns);
}

QString cannotEncode() { return QStringLiteral("JPEG に変換できません。"); }
QString cannotEncodeBecause(const QString& reason) { return QStringLiteral("JPEG に変換できません: ") + reason; }
QString badImageSize() { return QStringLiteral("画像の大きさが正しくありません"); }
QString rowCountMismatch() { return QStringLiteral("画像の行数が合いません"); }

QString bitmapHeaderBroken() { return QStringLiteral("ビットマップのヘッダーが壊れています。"); }
QString bitmapTooLarge(qint64 width, qint64 height) {
  return QStringLiteral("ビットマップの大きさ（%1 × %2 画素）が扱える範囲を超えています。").arg(width).arg(height);
}
QString bitmapBadSize(qint64 width, qint64 height) {
  return QStringLiteral("ビットマップの幅または高さが不正です（%1 × %2）。").arg(width).arg(height);
}
QString bitmapBadBitCount(int bits) { return QStringLiteral("ビットマップの色数（%1 ビット）が不正です。").arg(bits); }
QString bitmapTruncated() {
  return QStringLiteral("ビットマップの画素データがファイルに収まっていません（ファイルが途中で切れています）。");
}
QString bitmapPaletteBroken() { return QStringLiteral("ビットマップのパレットが壊れています。"); }
QString cannotMapFile(const QString& reason) { return QStringLiteral("ファイルをメモリーに割り当てられません: ") + reason; }
QString rasterChangedWhileReading() { return QStringLiteral("画像ファイルが読み込み中に変更されました。"); }

QString cannotReadIndex(const QString& reason) { return QStringLiteral("索引ファイルを読めません: ") + reason; }
QString indexEmpty() { return QStringLiteral("索引ファイルが空です。"); }
QString indexLineTooShort(int line, int fields) {
  return QStringLiteral("索引ファイルの%1行目の項目が足りません (%2 項目)。").arg(line).arg(fields);
}
QString indexFieldNotNumber(int field, const QString& text) {
  return QStringLiteral("索引ファイルの1行目の第%1項目が数値ではありません: \"%2\"").arg(field).arg(text);
}

QString negativeViewSize() { return QStringLiteral("ビューの大きさに負の値は設定できません。"); }
QString zeroViewScale() { return QStringLiteral("ビューの縮尺に 0 は設定できません。"); }

QString noDisplay(const QString& cause) {
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
