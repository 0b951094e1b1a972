<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>BatchTool</name>
    <message>
        <source>%1 is a folder; give the rasters in it (%2/*.bmp)</source>
        <translation>%1 はフォルダーです。中の画像を指定してください（%2/*.bmp）</translation>
    </message>
    <message>
        <source>%1 and %2 would both write %3; cut them into different folders</source>
        <translation>%1 と %2 がどちらも %3 を書くことになります。別々のフォルダーに分割してください</translation>
    </message>
    <message>
        <source>Try &apos;pelmora-tile --help&apos; for more information.</source>
        <translation>詳しくは &apos;pelmora-tile --help&apos; を見てください。</translation>
    </message>
    <message>
        <source>--crs expects a coordinate system GDAL reads, such as EPSG:6677 (got &quot;%1&quot;)</source>
        <translation>--crs には EPSG:6677 のような GDAL が読める座標系を指定してください（指定: &quot;%1&quot;）</translation>
    </message>
    <message>
        <source>--corners: cannot read %1 (%2)</source>
        <translation>--corners: %1 を読めません（%2）</translation>
    </message>
    <message>
        <source>--corners: line %1 of %2 is not RASTER,%3,%4,%5,%6 (got &quot;%7&quot;)</source>
        <translation>--corners: %2 の %1 行目が RASTER,%3,%4,%5,%6 になっていません（指定: &quot;%7&quot;）</translation>
    </message>
    <message>
        <source>%1, a whole number (default: what loading proposes)</source>
        <translation>%1、整数（既定: 読み込みが提案する値）</translation>
    </message>
    <message>
        <source>%1 and %2, as typed into the fields</source>
        <translation>%1 と %2（フィールドに入力するとおりに）</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 と %2</translation>
    </message>
    <message>
        <source>%1 (default 50; held between 25 and 100)</source>
        <translation>%1（既定 50、25 から 100 の間に収めます）</translation>
    </message>
    <message>
        <source>%1 (default 0)</source>
        <translation>%1（既定 0）</translation>
    </message>
    <message>
        <source>the sheet code (図郭コード) whose cell gives the corners (one RASTER)</source>
        <translation>四隅の座標を与える図郭コード（RASTER は 1 つ）</translation>
    </message>
    <message>
        <source>a table of corners: RASTER,%1,%2,%3,%4 per line</source>
        <translation>四隅の表: 1 行に RASTER,%1,%2,%3,%4</translation>
    </message>
    <message>
        <source>coordinate system of the images&apos; .aux.xml (EPSG:6677, WKT, ...)</source>
        <translation>画像の .aux.xml の座標系（EPSG:6677、WKT など）</translation>
    </message>
    <message>
        <source>datum of a sheet code&apos;s zone: jgd2011 (default), jgd2000 or tokyo</source>
        <translation>図郭コードの系の測地系: jgd2011（既定）、jgd2000、tokyo</translation>
    </message>
    <message>
        <source>output folder (default: the raster&apos;s folder)</source>
        <translation>出力先のフォルダー（既定: 画像のフォルダー）</translation>
    </message>
    <message>
        <source>longer side of the overview in pixels (default 1080)</source>
        <translation>全体図の長辺のピクセル数（既定 1080）</translation>
    </message>
    <message>
        <source>also write NAME.jgw beside each image</source>
        <translation>各画像の横に NAME.jgw も書き出します</translation>
    </message>
    <message>
        <source>load and plan only: print the fields and the index</source>
        <translation>読み込みと計画だけ: フィールドと索引を表示します</translation>
    </message>
    <message>
        <source>skip a raster whose index is newer than it and whose images all exist</source>
        <translation>索引が画像より新しく、画像がすべてそろっている RASTER をスキップします</translation>
    </message>
    <message>
        <source>worker threads (default 0: every core)</source>
        <translation>作業スレッドの数（既定 0: すべてのコア）</translation>
    </message>
    <message>
        <source>no progress, no completion message</source>
        <translation>進み具合も完了のメッセージも表示しません</translation>
    </message>
    <message>
        <source>this text</source>
        <translation>この説明</translation>
    </message>
    <message>
        <source>the version</source>
        <translation>版</translation>
    </message>
    <message>
        <source>--%1 expects a whole number of at least 1 (got &quot;%2&quot;)</source>
        <translation>--%1 には 1 以上の整数を指定してください（指定: &quot;%2&quot;）</translation>
    </message>
    <message>
        <source>--%1 expects a number (got &quot;%2&quot;)</source>
        <translation>--%1 には数値を指定してください（指定: &quot;%2&quot;）</translation>
    </message>
    <message>
        <source>--%1 expects X,Y (got &quot;%2&quot;)</source>
        <translation>--%1 には X,Y を指定してください（指定: &quot;%2&quot;）</translation>
    </message>
    <message>
        <source>--%1 expects two numbers X,Y (got &quot;%2&quot;)</source>
        <translation>--%1 には 2 つの数値 X,Y を指定してください（指定: &quot;%2&quot;）</translation>
    </message>
    <message>
        <source>--%1 expects %2 from %3 to %4 (got &quot;%5&quot;)</source>
        <translation>--%1 には %3 から %4 までの%2を指定してください（指定: &quot;%5&quot;）</translation>
    </message>
    <message>
        <source>--sheet expects a sheet code such as 09LD351 (got &quot;%1&quot;)</source>
        <translation>--sheet には 09LD351 のような図郭コードを指定してください（指定: &quot;%1&quot;）</translation>
    </message>
    <message>
        <source>--datum expects jgd2011, jgd2000 or tokyo (got &quot;%1&quot;)</source>
        <translation>--datum には jgd2011、jgd2000、tokyo のどれかを指定してください（指定: &quot;%1&quot;）</translation>
    </message>
    <message>
        <source>--crs expects a coordinate system</source>
        <translation>--crs には座標系を指定してください</translation>
    </message>
    <message>
        <source>--out expects a folder</source>
        <translation>--out にはフォルダーを指定してください</translation>
    </message>
    <message>
        <source>a whole number of pixels</source>
        <translation>整数のピクセル数</translation>
    </message>
    <message>
        <source>a whole number</source>
        <translation>整数</translation>
    </message>
    <message>
        <source>no RASTER given</source>
        <translation>RASTER が指定されていません</translation>
    </message>
    <message>
        <source>a RASTER is empty</source>
        <translation>空の RASTER があります</translation>
    </message>
    <message>
        <source>--sheet gives the corners of one RASTER; %1 given</source>
        <translation>--sheet で四隅を与えられる RASTER は 1 つです。%1 個指定されています</translation>
    </message>
    <message>
        <source>Usage: pelmora-tile [options] RASTER...
Cuts each RASTER into a grid of JPEG tiles, an overview image and a .AR2
index, as the window&apos;s %1 does after %2, with the same options.

</source>
        <translation>使い方: pelmora-tile [オプション] RASTER...
各 RASTER を JPEG のタイルの格子、全体図と .AR2 索引に分割します。
ウィンドウで %2 のあとに %1 をするのと同じことを、同じ設定でします。

</translation>
    </message>
    <message>
        <source>
Numbers are read as the fields read them (full-width forms, E or D exponents,
&amp;H and &amp;O), but the whole value must be one number.
Where the corners come from, each pair on its own, the first that has them:
-u/-l; --sheet, or RASTER&apos;s line of --corners; RASTER&apos;s own georeference;
the index of an earlier run in the output folder; the sheet code RASTER&apos;s
file name begins with (09LD351_scan.tif); the load&apos;s placeholders.
A RASTER that fails is named on stderr and the others go on; with several,
a summary line ends the output (cut, skipped, failed).
Exit status: 0 when every RASTER was cut or skipped, 1 when one stopped
(cause and file on stderr; its earlier index is kept), 2 for a usage error.
</source>
        <translation>
数値はフィールドと同じように読みます（全角、E または D の指数、&amp;H と &amp;O）が、
値の全体が 1 つの数でなければなりません。
四隅の座標は組ごとに、次のうちそれを持つ最初のものから取ります:
-u/-l、--sheet または --corners の RASTER の行、RASTER 自身の地理参照、
出力先のフォルダーにある前の実行の索引、RASTER のファイル名の先頭にある
図郭コード (09LD351_scan.tif)、読み込みの仮の値。
失敗した RASTER は標準エラーに名前を出し、ほかの RASTER は続けます。複数の
ときは最後に集計の行を出します（分割、スキップ、失敗の数）。
終了状態: すべての RASTER を分割またはスキップしたとき 0、1 つが止まったとき 1
（原因とファイルは標準エラーに出し、その前の索引は残します）、使い方の誤りは 2。
</translation>
    </message>
    <message>
        <source>Cannot create the output folder: %1</source>
        <translation>出力先のフォルダーを作れません: %1</translation>
    </message>
    <message>
        <source>%1: skipped, its set is complete</source>
        <translation>%1: 一式がそろっているためスキップしました</translation>
    </message>
    <message>
        <source>%1 cut, %2 skipped, %3 failed</source>
        <translation>分割 %1、スキップ %2、失敗 %3</translation>
    </message>
    <message>
        <source>, 1 cancelled, %1 not started</source>
        <translation>、キャンセル 1、未着手 %1</translation>
    </message>
    <message>
        <source>%1 planned, %2 skipped, %3 failed</source>
        <translation>計画 %1、スキップ %2、失敗 %3</translation>
    </message>
    <message>
        <source> (%1 on placeholder corners)</source>
        <translation>（うち仮の四隅 %1）</translation>
    </message>
    <message>
        <source>--datum %1 changes nothing here: it chooses the zone&apos;s system of a sheet code, and no sheet code places this raster.</source>
        <translation>--datum %1 はここでは何も変えません。図郭コードの系の座標系を選ぶものですが、この画像は図郭コードで位置づけられていません。</translation>
    </message>
    <message>
        <source>--crs %1: its area of use (%2) does not hold the corners %3</source>
        <translation>--crs %1: その適用範囲 (%2) に四隅 %3 が入りません</translation>
    </message>
    <message>
        <source>The header of %1 is read by position, as RASTER,%3,%4,%5,%6. To have its columns read by name in any order, head the raster&apos;s column with one of %2 and the corners&apos; columns %5, %6, %3 and %4, each once.</source>
        <translation>%1 の見出しは位置で読みます（RASTER,%3,%4,%5,%6）。列を名前で順不同に読ませるには、画像の列の見出しを %2 のどれかに、四隅の列の見出しを %5、%6、%3、%4 にして、それぞれ 1 つずつ置いてください。</translation>
    </message>
    <message>
        <source>Line %1 of %2 names &quot;%3&quot;, which is none of the rasters given; the line is not used.</source>
        <translation>%2 の %1 行目の &quot;%3&quot; は、指定された RASTER のどれでもありません。この行は使いません。</translation>
    </message>
    <message>
        <source>Lines %1 and %2 of %3 both name %4; the corners of line %5 are used.</source>
        <translation>%3 の %1 行目と %2 行目がどちらも %4 を指しています。%5 行目の四隅を使います。</translation>
    </message>
    <message>
        <source>--corners: line %1 of %2 is neither a header nor a line of numbers: some of its last four fields are numbers and some are not (got &quot;%3&quot;)</source>
        <translation>--corners: %2 の %1 行目は見出しでも数値の行でもありません。後ろの 4 項目に数値とそうでないものが混じっています（指定: &quot;%3&quot;）</translation>
    </message>
    <message>
        <source>--corners: line %1 of %2 does not hold a number under each of %3 (got &quot;%4&quot;)</source>
        <translation>--corners: %2 の %1 行目は %3 の列のどれかに数値がありません（指定: &quot;%4&quot;）</translation>
    </message>
    <message>
        <source>the sheet&apos;s frame in the scan: detect, none (the raster&apos;s edges), or its corners X1,Y1,X2,Y2,X3,Y3,X4,Y4 in pixels (top left, top right, bottom right, bottom left); default: detect for a raster placed by a sheet code, none otherwise</source>
        <translation>スキャン画像の図郭: detect（探す）、none（画像の端）、またはピクセル単位の四隅 X1,Y1,X2,Y2,X3,Y3,X4,Y4（左上、右上、右下、左下）。既定: 図郭コードで位置が決まる画像は detect、それ以外は none</translation>
    </message>
    <message>
        <source>--frame expects detect, none or eight numbers X1,Y1,X2,Y2,X3,Y3,X4,Y4 (got &quot;%1&quot;)</source>
        <translation>--frame には detect、none、または 8 つの数値 X1,Y1,X2,Y2,X3,Y3,X4,Y4 を指定してください（指定: &quot;%1&quot;）</translation>
    </message>
    <message>
        <source>write DIR/NAME.png for each raster, a dry run&apos;s too: the scan reduced, its frame in blue, the grid in red</source>
        <translation>画像ごとに DIR/NAME.png を書く（-n でも）: 縮小したスキャン画像に図郭を青、分割線を赤で描いたもの</translation>
    </message>
    <message>
        <source>--preview expects a folder</source>
        <translation>--preview にはフォルダーを指定してください</translation>
    </message>
    <message>
        <source>Cannot create the preview folder: %1</source>
        <translation>プレビューのフォルダーを作れません: %1</translation>
    </message>
    <message>
        <source>libpng failed to encode the preview</source>
        <translation>libpng がプレビューを PNG にできませんでした</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Done.</source>
        <translation>完了しました</translation>
    </message>
    <message>
        <source>Enter the real-world coordinates of the upper right and lower left corners first.</source>
        <translation>先に右上と左下の実体系座標値を入力してください</translation>
    </message>
    <message>
        <source>Cancelled. The images and the index are as they were.</source>
        <translation>キャンセルしました。画像も索引ファイルも前のままです。</translation>
    </message>
    <message>
        <source>%1
File: %2</source>
        <translation>%1
ファイル: %2</translation>
    </message>
    <message>
        <source>Loading the raster...</source>
        <translation>画像を読み込んでいます…</translation>
    </message>
    <message>
        <source>Writing the images...</source>
        <translation>画像を書き出しています…</translation>
    </message>
    <message>
        <source>Another run is writing %1 in this folder. Waiting for it to end...</source>
        <translation>別の実行がこのフォルダーの %1 を書いています。終わるのを待っています…</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>キャンセルしています…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Load a raster</source>
        <translation>ラスター 呼び出し</translation>
    </message>
    <message>
        <source>Bitmap (*.BMP* *.bmp* *.Bmp*)</source>
        <translation>BITMAP (*.BMP* *.bmp* *.Bmp*)</translation>
    </message>
    <message>
        <source>GeoTIFF, PNG, JPEG, JPEG 2000 (*.tif *.TIF *.tiff *.TIFF *.png *.PNG *.jpg *.JPG *.jpeg *.JPEG *.jp2 *.JP2 *.j2k *.J2K)</source>
        <translation>GeoTIFF・PNG・JPEG・JPEG 2000 (*.tif *.TIF *.tiff *.TIFF *.png *.PNG *.jpg *.JPG *.jpeg *.JPEG *.jp2 *.JP2 *.j2k *.J2K)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>すべてのファイル (*)</translation>
    </message>
    <message>
        <source>A rotated or sheared georeference is not used. The corners&apos; coordinates are as entered.</source>
        <translation>回転または傾きのある地理参照は使いません。四隅の座標は入力値のままです。</translation>
    </message>
    <message>
        <source>Not readable as a coordinate system: %1</source>
        <translation>座標系として読めません: %1</translation>
    </message>
    <message>
        <source>Division by zero.</source>
        <translation>0 で除算しました。</translation>
    </message>
    <message>
        <source>Overflow.</source>
        <translation>オーバーフローしました。</translation>
    </message>
    <message>
        <source>not enough memory</source>
        <translation>メモリーが足りません</translation>
    </message>
    <message>
        <source>Not enough memory.</source>
        <translation>メモリーが足りません。</translation>
    </message>
    <message>
        <source>Stopped by an unexpected error.</source>
        <translation>予期しないエラーで止まりました。</translation>
    </message>
    <message>
        <source>Stopped by an unexpected error: %1</source>
        <translation>予期しないエラーで止まりました: %1</translation>
    </message>
    <message>
        <source>File not found.</source>
        <translation>ファイルが見つかりません。</translation>
    </message>
    <message>
        <source>Cannot open the file: %1</source>
        <translation>ファイルを開けません: %1</translation>
    </message>
    <message>
        <source>Cannot write the file: %1</source>
        <translation>ファイルを書き込めません: %1</translation>
    </message>
    <message>
        <source>The file was not written to its end.</source>
        <translation>ファイルが書き終わっていません。</translation>
    </message>
    <message>
        <source>Cannot write the folder: %1</source>
        <translation>フォルダーを書き込めません: %1</translation>
    </message>
    <message>
        <source>Cannot create the lock file: %1</source>
        <translation>ロックファイルを作れません: %1</translation>
    </message>
    <message>
        <source>not enough free space on the disk</source>
        <translation>ディスクの空きが足りません</translation>
    </message>
    <message>
        <source>writing is not permitted</source>
        <translation>書き込みが許可されていません</translation>
    </message>
    <message>
        <source>the place is read-only</source>
        <translation>読み取り専用の場所です</translation>
    </message>
    <message>
        <source>a folder of the same name exists</source>
        <translation>同じ名前のフォルダーがあります</translation>
    </message>
    <message>
        <source>the folder does not exist</source>
        <translation>フォルダーがありません</translation>
    </message>
    <message>
        <source>The output folder does not exist.</source>
        <translation>出力先のフォルダーがありません。</translation>
    </message>
    <message>
        <source>Cannot write into the output folder: %1</source>
        <translation>出力先のフォルダーに書き込めません: %1</translation>
    </message>
    <message>
        <source>The overview</source>
        <translation>全体図</translation>
    </message>
    <message>
        <source>One cell</source>
        <translation>1 区画</translation>
    </message>
    <message>
        <source>%1 is smaller than one pixel and cannot be written (%2 × %3 pixels).</source>
        <translation>%1が 1 ピクセルに満たないため書き出せません (%2 × %3 ピクセル)。</translation>
    </message>
    <message>
        <source>%1 exceeds JPEG&apos;s limit of %2 pixels and cannot be written (%3 × %4 pixels).</source>
        <translation>%1が JPEG の上限 %2 ピクセルを超えるため書き出せません (%3 × %4 ピクセル)。</translation>
    </message>
    <message>
        <source>The JPEG quality is out of range (%1). Enter a number from 25 to 100.</source>
        <translation>JPG画質が範囲外です (%1)。25 から 100 の数を入力してください。</translation>
    </message>
    <message>
        <source>Enter whole numbers of at least 1 as the numbers of rows and columns (%1 × %2).</source>
        <translation>横割の数と縦割の数には 1 以上の整数を入力してください (%1 × %2)。</translation>
    </message>
    <message>
        <source>The numbers of rows or columns are too small for one cell to fit in the view.</source>
        <translation>横割の数または縦割の数が小さすぎて、1 区画がビューに収まりません。</translation>
    </message>
    <message>
        <source>Too many divisions (%1 × %2).</source>
        <translation>分割の数が多すぎます (%1 × %2)。</translation>
    </message>
    <message>
        <source>Cannot convert to JPEG.</source>
        <translation>JPEG に変換できません。</translation>
    </message>
    <message>
        <source>Cannot convert to JPEG: %1</source>
        <translation>JPEG に変換できません: %1</translation>
    </message>
    <message>
        <source>the image&apos;s size is wrong</source>
        <translation>画像の大きさが正しくありません</translation>
    </message>
    <message>
        <source>the image&apos;s number of rows does not match</source>
        <translation>画像の行数が合いません</translation>
    </message>
    <message>
        <source>The bitmap&apos;s header is damaged.</source>
        <translation>ビットマップのヘッダーが壊れています。</translation>
    </message>
    <message>
        <source>The bitmap&apos;s size (%1 × %2 pixels) is beyond what can be handled.</source>
        <translation>ビットマップの大きさ（%1 × %2 画素）が扱える範囲を超えています。</translation>
    </message>
    <message>
        <source>The bitmap&apos;s width or height is invalid (%1 × %2).</source>
        <translation>ビットマップの幅または高さが不正です（%1 × %2）。</translation>
    </message>
    <message>
        <source>The bitmap&apos;s colour depth (%1 bits) is invalid.</source>
        <translation>ビットマップの色数（%1 ビット）が不正です。</translation>
    </message>
    <message>
        <source>The bitmap&apos;s pixel data does not fit in the file (the file is truncated).</source>
        <translation>ビットマップの画素データがファイルに収まっていません（ファイルが途中で切れています）。</translation>
    </message>
    <message>
        <source>The bitmap&apos;s palette is damaged.</source>
        <translation>ビットマップのパレットが壊れています。</translation>
    </message>
    <message>
        <source>The raster file changed while it was being read.</source>
        <translation>画像ファイルが読み込み中に変更されました。</translation>
    </message>
    <message>
        <source>the reason is unknown</source>
        <translation>理由は不明です</translation>
    </message>
    <message>
        <source>Cannot load the part that uses GDAL: %1</source>
        <translation>GDAL を使う部品を読み込めません: %1</translation>
    </message>
    <message>
        <source>The part that uses GDAL has no entry %1: %2</source>
        <translation>GDAL を使う部品に入口 %1 がありません: %2</translation>
    </message>
    <message>
        <source>The version of the part that uses GDAL (%1) does not match this program (%2). Install it again.</source>
        <translation>GDAL を使う部品の版（%1）がこのプログラム（%2）と合いません。インストールし直してください。</translation>
    </message>
    <message>
        <source>Cannot tell where the part that uses GDAL, %1, is (the program&apos;s own place is not readable).</source>
        <translation>GDAL を使う部品 %1 の場所がわかりません（プログラムの場所を読めません）。</translation>
    </message>
    <message>
        <source>The JPEG 2000 file is damaged: the box at byte %1 runs past the end of the file.</source>
        <translation>JPEG 2000 ファイルが壊れています: %1 バイト目のボックスがファイルの終わりを越えています。</translation>
    </message>
    <message>
        <source>Images of this format cannot be loaded: %1</source>
        <translation>この形式の画像は読み込めません: %1</translation>
    </message>
    <message>
        <source>%1 (%2: %3)</source>
        <translation>%1（%2: %3）</translation>
    </message>
    <message>
        <source>GDAL does not recognise the format</source>
        <translation>GDAL が形式を認識しません</translation>
    </message>
    <message>
        <source>A format that cannot be loaded as a raster file: %1. The files loaded are BMP, GeoTIFF, PNG, JPEG and JPEG 2000 raster files (descriptions pointing to other files or to data on a network are not read).</source>
        <translation>画像ファイルとして読み込めない形式です: %1。読み込めるのは BMP、GeoTIFF、PNG、JPEG、JPEG 2000 の画像ファイルです（ほかのファイルやネットワーク上のデータを指す記述は読みません）。</translation>
    </message>
    <message>
        <source>Names of GDAL&apos;s virtual file systems (/vsi...) are not opened as raster files.</source>
        <translation>GDAL の仮想ファイルシステムの名前（/vsi…）は画像ファイルとして開けません。</translation>
    </message>
    <message>
        <source>GDAL failed to read it</source>
        <translation>GDAL が読み込みに失敗しました</translation>
    </message>
    <message>
        <source>libjpeg failed to decode it</source>
        <translation>libjpeg がデコードに失敗しました</translation>
    </message>
    <message>
        <source>libpng failed to decode it</source>
        <translation>libpng がデコードに失敗しました</translation>
    </message>
    <message>
        <source>A pixel format that cannot be loaded: %1. The images loaded are 8-bit gray, palette, RGB and RGBA.</source>
        <translation>読み込めない画素の形式です: %1。読み込めるのは 8 ビットのグレー、パレット、RGB、RGBA の画像です。</translation>
    </message>
    <message>
        <source>%1 bands (%2)</source>
        <translation>%1 バンド（%2）</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between bands</comment>
        <translation>、</translation>
    </message>
    <message>
        <source>Cannot create a temporary file (%1): %2</source>
        <translation>一時ファイルを作れません（%1）: %2</translation>
    </message>
    <message>
        <source>Not enough free space in the temporary folder %1 (%2 MB needed). The environment variable TMPDIR names another folder.</source>
        <translation>一時フォルダー %1 の空きが足りません（%2 MB 必要）。環境変数 TMPDIR で別のフォルダーを指定できます。</translation>
    </message>
    <message>
        <source>Cannot write the temporary file (%1): %2</source>
        <translation>一時ファイル（%1）に書き込めません: %2</translation>
    </message>
    <message>
        <source>Cannot read the temporary file (%1): %2</source>
        <translation>一時ファイル（%1）を読めません: %2</translation>
    </message>
    <message>
        <source>Cannot read the raster: %1 (%2 × %3 pixels, from row %4)</source>
        <translation>画像を読み込めません: %1（%2 × %3 画素、%4 行目から）</translation>
    </message>
    <message>
        <source>The raster has no pixels.</source>
        <translation>画像に画素がありません。</translation>
    </message>
    <message>
        <source>Cannot read the index: %1</source>
        <translation>索引ファイルを読めません: %1</translation>
    </message>
    <message>
        <source>The index is empty.</source>
        <translation>索引ファイルが空です。</translation>
    </message>
    <message>
        <source>Line %1 of the index has too few fields (%2 fields).</source>
        <translation>索引ファイルの%1行目の項目が足りません (%2 項目)。</translation>
    </message>
    <message>
        <source>Field %1 of the index&apos;s first line is not a number: &quot;%2&quot;</source>
        <translation>索引ファイルの1行目の第%1項目が数値ではありません: &quot;%2&quot;</translation>
    </message>
    <message>
        <source>The view&apos;s size cannot be set to a negative value.</source>
        <translation>ビューの大きさに負の値は設定できません。</translation>
    </message>
    <message>
        <source>The view&apos;s scale cannot be set to 0.</source>
        <translation>ビューの縮尺に 0 は設定できません。</translation>
    </message>
    <message>
        <source>The file is empty.</source>
        <translation>ファイルが空です。</translation>
    </message>
    <message>
        <source>the upper right corner</source>
        <translation>右上の角</translation>
    </message>
    <message>
        <source>the lower left corner</source>
        <translation>左下の角</translation>
    </message>
    <message>
        <source>the corners</source>
        <translation>四隅</translation>
    </message>
    <message>
        <source>The raster&apos;s proportions (%1 × %2 pixels) differ by more than 1% from the 3 : 4 of sheet %3. The coordinates of %4 are the sheet&apos;s.</source>
        <translation>画像の縦横 (%1 × %2 ピクセル) が図郭 %3 の 3 : 4 と 1% より多く違います。%4の座標は図郭のものです。</translation>
    </message>
    <message>
        <source>No source gives %1 of this raster (no georeference, no sheet code at the start of its name, no earlier index): placeholders from its size are used, which place it nowhere. Give the corners with %2.</source>
        <translation>この画像の%1を与えるものがありません（ジオリファレンスも、名前の先頭の図郭コードも、前回のインデックスもありません）。画像の大きさから仮の値を使いますが、どこにも位置づけられません。%2で座標を指定してください。</translation>
    </message>
    <message>
        <source>No world files or .aux.xml are written for placeholder corners.</source>
        <translation>仮の四隅にはワールドファイルも .aux.xml も書き出しません。</translation>
    </message>
    <message>
        <source>The raster&apos;s own georeference is set aside: the corners given are used, in their own coordinate system.</source>
        <translation>画像自身のジオリファレンスは使いません。指定された四隅を、その座標系で使います。</translation>
    </message>
    <message>
        <source>The earlier index %1 gives the corners %2, not the cell of sheet %3 (%4); the sheet&apos;s are used. To keep the index&apos;s, give them with %5.</source>
        <translation>前回のインデックス %1 の四隅は %2 で、図郭 %3 の区画 (%4) と違います。図郭のものを使います。インデックスの四隅を使うには %5 で指定してください。</translation>
    </message>
    <message>
        <source>The name %1 reads as sheet %2 or as its part %3, so neither is used. Give the sheet or the corners with %4.</source>
        <translation>名前 %1 は図郭 %2 とも、その一部 %3 とも読めるため、どちらも使いません。%4 で図郭か四隅を指定してください。</translation>
    </message>
    <message>
        <source>the fields %1 to %2</source>
        <translation>%1～%2 の欄</translation>
    </message>
    <message>
        <source>typed</source>
        <translation>入力値</translation>
    </message>
    <message>
        <source>sheet code %1</source>
        <translation>図郭コード %1</translation>
    </message>
    <message>
        <source>the raster&apos;s georeference</source>
        <translation>画像のジオリファレンス</translation>
    </message>
    <message>
        <source>the earlier index</source>
        <translation>前回のインデックス</translation>
    </message>
    <message>
        <source>the corners table</source>
        <translation>四隅の表</translation>
    </message>
    <message>
        <source>placeholders</source>
        <translation>仮の値</translation>
    </message>
    <message>
        <source>upper right %1, lower left %2</source>
        <translation>右上 %1、左下 %2</translation>
    </message>
    <message>
        <source>none</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>Corners: %1. Coordinate system: %2.</source>
        <translation>四隅: %1。座標系: %2。</translation>
    </message>
    <message>
        <source>The raster&apos;s own georeference places its pixels, so no frame is looked for or used.</source>
        <translation>画像自身のジオリファレンスが画素を位置づけているため、図郭線は探さず、使いません。</translation>
    </message>
    <message>
        <source>The frame&apos;s corners %1 do not make a frame inside the raster of %2 × %3 pixels (top left, top right, bottom right, bottom left).</source>
        <translation>図郭の四隅 %1 は %2 × %3 ピクセルの画像の中の図郭になりません（左上、右上、右下、左下の順）。</translation>
    </message>
    <message>
        <source>No whole sheet frame was found in the scan (%1), and its proportions are not the sheet&apos;s, so nothing is cut. Give the frame&apos;s corners with --frame X1,Y1,X2,Y2,X3,Y3,X4,Y4, or cut the whole raster with --frame none.</source>
        <translation>スキャン画像に図郭線の全体が見つからず (%1)、縦横の比も図郭のものではないため、分割しません。--frame X1,Y1,X2,Y2,X3,Y3,X4,Y4 で図郭の四隅を指定するか、--frame none で画像全体を分割してください。</translation>
    </message>
    <message>
        <source>No sheet frame was found in the scan (%1); its proportions are the sheet&apos;s, so the raster&apos;s edges are taken as the frame.</source>
        <translation>スキャン画像に図郭線が見つかりません (%1)。縦横の比が図郭のものなので、画像の端を図郭とします。</translation>
    </message>
    <message>
        <source>Looking for the sheet&apos;s frame in the scan...</source>
        <translation>スキャン画像の図郭線を探しています...</translation>
    </message>
    <message>
        <source>Sheet frame found in the scan (blue); the run cuts its inside. The same in a batch: --frame &quot;%1&quot;</source>
        <translation>スキャン画像に図郭線が見つかりました (青)。登録では図郭の内側を分割します。一括処理で同じにするには: --frame &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Sheet frame moved by hand (kept until the next load); the run cuts its inside. The same in a batch: --frame &quot;%1&quot;</source>
        <translation>図郭を手で動かしました (次の画像呼び出しまで有効)。登録では図郭の内側を分割します。一括処理で同じにするには: --frame &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Not cut: the box 図郭で切る is unchecked, so the raster&apos;s edges are the sheet&apos;s.</source>
        <translation>「図郭で切る」がオフのため、図郭では切らず、画像の端を図郭の端とします。</translation>
    </message>
    <message>
        <source>No sheet frame was found in the scan (%1); the raster&apos;s edges are taken as the sheet&apos;s. Check the placement, or give the frame&apos;s corners to the batch tool with --frame.</source>
        <translation>スキャン画像に図郭線が見つかりません (%1)。画像の端を図郭の端とします。配置を確かめるか、一括処理の --frame で図郭の四隅を指定してください。</translation>
    </message>
</context>
</TS>
