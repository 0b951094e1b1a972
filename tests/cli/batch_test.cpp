// pelmora-tile end to end on generated rasters: what a dry run shows, options
// reaching the fields, the files of a run, and the exit statuses.
#include "cli/batch.h"

#include "base/messages.h"
#include "base/messages_batch.h"
#include "base/messages_corners.h"
#include "output/file_lock.h"
#include "support/test_rasters.h"
#include "batch_fixture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <map>
#include <thread>

namespace pelmora {
namespace {


TEST_F(BatchTool, DryRunShowsTheFieldsAsLoadingLeavesThem) {
  ASSERT_EQ(run({"--dry-run", raster}), kCompleted) << captured->err.toStdString();
  EXPECT_EQ(captured->out,
            QString::fromUtf8("右上X: 45\n右上Y: 60\n左下X: 0\n左下Y: 0\n"
                              "横割の数: 1\n縦割の数: 1\nJPG画質:  50\n回転角度単位: 0.0000\n"
                              "横: 1.33\nサイズ: 0.36\nＸ：Ｙ＝ 1 : 1.33\n"
                              "\n"
                              "sheet12_0.JPG, 0, 0, 45, 60\n"
                              "sheet12_1.JPG,-.0900000000000034, 0, 45, 60.12\n"
                              "\n"
                              "corners-from: upper-right=placeholder lower-left=placeholder\n"
                              "crs-from: none\n"));
  EXPECT_EQ(captured->err, "pelmora-tile: " + messages::withFile(messages::placeholderCorners(
                                                  messages::bothPairs(), messages::howToGiveCorners()), raster) + "\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"sheet12.bmp"});  // nothing written
}

TEST_F(BatchTool, DryRunWithOptionsGivesTheIndexOfTheTwoByThreeExample) {
  ASSERT_EQ(run({"-n", "-u", "100,300", "-l", "0,0", "-r", "2", "-c", "3", raster}), kCompleted);
  const QStringList lines = outLines();
  ASSERT_GE(lines.size(), 20);
  EXPECT_EQ(lines[4], QString::fromUtf8("横割の数: 2"));
  EXPECT_EQ(lines[5], QString::fromUtf8("縦割の数: 3"));
  EXPECT_EQ(lines[10], QString::fromUtf8("Ｘ：Ｙ＝ 1 : 3"));
  EXPECT_EQ(lines.mid(12, 7),
            QStringList({"sheet12_0.JPG, 0, 0, 100, 300",
                         "sheet12_1.JPG, 49.9, 0, 100, 100.2",
                         "sheet12_2.JPG, 49.9, 100, 100, 200.4",
                         "sheet12_3.JPG, 49.9, 200, 100, 300.6",
                         "sheet12_4.JPG,-.200000000000003, 0, 50, 100.2",
                         "sheet12_5.JPG,-.200000000000003, 100, 50, 200.4",
                         "sheet12_6.JPG,-.200000000000003, 200, 50, 300.6"}));
}

TEST_F(BatchTool, QualityAndAngleGoThroughTheirFields) {
  ASSERT_EQ(run({"-n", "-q", "150", "-a", "12.5", raster}), kCompleted);
  EXPECT_EQ(outLines()[6], QString::fromUtf8("JPG画質:  100"));
  EXPECT_EQ(outLines()[7], QString::fromUtf8("回転角度単位: 12.5"));
  ASSERT_EQ(run({"-n", "-q", "１０", raster}), kCompleted);  // full-width, then held at 25
  EXPECT_EQ(outLines()[6], QString::fromUtf8("JPG画質:  25"));
  ASSERT_EQ(run({"-n", "-q", "62.5", raster}), kCompleted);
  EXPECT_EQ(outLines()[6], QString::fromUtf8("JPG画質:  62.5"));
}

// A Japanese input method types full-width forms; every field read as a
// number (corners, counts, angle) and every numeric option takes them as
// ASCII, while the fields keep the text as typed.
TEST_F(BatchTool, FullWidthNumbersReadAsTheirAsciiForms) {
  const QStringList ascii{"-n", "-u", "100,300", "-l", "-50,0", "-r", "2", "-c", "3", "-a", "30.5",
                          "--overview", "540", "-j", "1", raster};
  ASSERT_EQ(run(ascii), kCompleted) << captured->err.toStdString();
  const QStringList expected = outLines().mid(11);

  const QStringList wide{"-n", "-u", "１００，３００", "-l", "－５０,０", "-r", "　２", "-c", "３",
                         "-a", "３０．５", "--overview", "５４０", "-j", "１", raster};
  ASSERT_EQ(run(wide), kCompleted) << captured->err.toStdString();
  EXPECT_EQ(outLines().mid(11), expected);
  EXPECT_EQ(outLines()[0], QString::fromUtf8("右上X: １００"));
  EXPECT_EQ(outLines()[4], QString::fromUtf8("横割の数: 　２"));
}

// The index of the earlier run, in the folder the runs write to, gives its
// corners back exactly; options given win, each pair on its own.
TEST_F(BatchTool, ARerunWritesTheSameIndexWithOrWithoutAnOutputFolder) {
  const QString out = dir.filePath("out");
  for (const QStringList& where : {QStringList{}, QStringList{"-o", out}}) {
    const QString index = where.isEmpty() ? dir.filePath("sheet12.AR2") : out + "/sheet12.AR2";
    ASSERT_EQ(run(where + QStringList{"-u", "5000.5,7000.7", "-l", "0.5,0", "-r", "2", "-c", "2", raster}),
              kCompleted)
        << captured->err.toStdString();
    const QByteArray first = readFile(index);
    ASSERT_TRUE(first.startsWith("sheet12_0.JPG, .5, 0, 5000.5, 7000.7\r\n")) << first.constData();
    ASSERT_EQ(run(where + QStringList{"-r", "2", "-c", "2", raster}), kCompleted);
    EXPECT_EQ(readFile(index), first);
  }

  ASSERT_EQ(run({"-n", "-u", "500,700", raster}), kCompleted);
  EXPECT_EQ(outLines().mid(0, 4), QStringList({QString::fromUtf8("右上X: 500"),
                                               QString::fromUtf8("右上Y: 700"),
                                               QString::fromUtf8("左下X: 0.5"),
                                               QString::fromUtf8("左下Y: 0")}));
}

TEST_F(BatchTool, RunWritesTheImagesAndTheIndexThatTheDryRunShows) {
  const QStringList options = {"-u", "100,300", "-l", "0,0", "-r", "2", "-c", "3", raster};
  ASSERT_EQ(run(QStringList{"-n"} + options), kCompleted);
  const QStringList planned = outLines().mid(12, 7);

  const QString out = dir.filePath("out/nested");
  ASSERT_EQ(run(QStringList{"-o", out, "--world-files", "-j", "2"} + options), kCompleted)
      << captured->err.toStdString();
  EXPECT_EQ(captured->out, messages::completed() + "\n");
  EXPECT_EQ(readFile(out + "/sheet12.AR2"), (planned.join("\r\n") + "\r\n").toUtf8());
  for (int n = 0; n <= 6; ++n) {
    EXPECT_TRUE(readFile(QStringLiteral("%1/sheet12_%2.JPG").arg(out).arg(n)).startsWith("\xFF\xD8"));
    EXPECT_TRUE(QFile::exists(QStringLiteral("%1/sheet12_%2.jgw").arg(out).arg(n)));
  }
  // The raster's folder is the default and --quiet silences the message.
  ASSERT_EQ(run({"--quiet", raster}), kCompleted);
  EXPECT_EQ(captured->out, "");
  EXPECT_TRUE(QFile::exists(dir.filePath("sheet12.AR2")));
  EXPECT_FALSE(QFile::exists(dir.filePath("sheet12_0.jgw")));
}

TEST_F(BatchTool, AnImageThatCannotBeWrittenStopsTheRunAndKeepsTheEarlierIndex) {
  const QString out = dir.filePath("out");
  ASSERT_TRUE(QDir().mkpath(out + "/sheet12_2.JPG"));  // a folder where the image should go
  writeFile(out + "/sheet12.AR2", "sheet12_0.JPG, 1, 2, 30, 40\r\n");
  EXPECT_EQ(run({"-q", "80", "-r", "2", "-c", "3", "-o", out, "--quiet", raster}), kStopped);
  EXPECT_TRUE(captured->err.contains(out + "/sheet12_2.JPG")) << captured->err.toStdString();
  EXPECT_EQ(captured->out, "");
  EXPECT_EQ(readFile(out + "/sheet12.AR2"), "sheet12_0.JPG, 1, 2, 30, 40\r\n");
}

TEST_F(BatchTool, StopsWithStatusOneWhenLoadingOrPlanningFails) {
  EXPECT_EQ(run({"-n", dir.filePath("missing.bmp")}), kStopped);
  EXPECT_TRUE(captured->err.contains("missing.bmp"));

  writeFile(dir.filePath("junk.bmp"), "not a picture");
  EXPECT_EQ(run({"-n", dir.filePath("junk.bmp")}), kStopped);
  EXPECT_NE(captured->err, "");

  EXPECT_EQ(run({"-r", "2000", "-c", "1000", raster}), kStopped);  // more images than a plan holds
  EXPECT_NE(captured->err, "");
  EXPECT_FALSE(QFile::exists(dir.filePath("sheet12.AR2")));
}

// A drawer of sheets: a raster that fails is named and the others go on;
// --skip-done skips complete sets and redoes a changed raster or a set with an
// image missing; what would go wrong whatever happens is refused up front.
TEST_F(BatchTool, SeveralRastersGoOnPastAFailureAndResumeWithSkipDone) {
  const QString second = testing::writeBmp24(dir.filePath("sheet13.bmp"), testing::positionImage(200, 100));
  const QString junk = dir.filePath("junk.bmp");
  writeFile(junk, "not a picture");
  const QString out = dir.filePath("out");
  const QStringList corners{"-u", "100,300", "-l", "0,0"};
  const QStringList options = corners + QStringList{"-r", "2", "-c", "2", "-o", out, "--quiet"};

  EXPECT_EQ(run(options + QStringList{raster, junk, second}), kStopped);
  EXPECT_TRUE(captured->err.startsWith("pelmora-tile: " + junk + ": ")) << captured->err.toStdString();
  EXPECT_TRUE(captured->err.endsWith("pelmora-tile: " + messages::batchSummary(2, 0, 1) + "\n"));
  EXPECT_TRUE(QFile::exists(out + "/sheet12.AR2"));
  EXPECT_TRUE(QFile::exists(out + "/sheet13_4.JPG"));
  EXPECT_FALSE(QFile::exists(out + "/junk.AR2"));

  const QStringList again = options + QStringList{"--skip-done", raster, second};
  const QDateTime indexTime = QFileInfo(out + "/sheet12.AR2").lastModified();
  ASSERT_EQ(run(again), kCompleted) << captured->err.toStdString();
  EXPECT_EQ(captured->err, "");  // --quiet: the summary only when something failed
  ASSERT_EQ(run(corners + QStringList{"--skip-done", "-o", out, raster, second}), kCompleted);
  EXPECT_EQ(captured->err, "pelmora-tile: " + messages::batchSummary(0, 2, 0) + "\n");
  EXPECT_EQ(QFileInfo(out + "/sheet12.AR2").lastModified(), indexTime);

  // A raster changed after its index, and a set with an image gone, are cut again.
  QFile changed(raster);
  ASSERT_TRUE(changed.open(QIODevice::ReadWrite));
  ASSERT_TRUE(changed.setFileTime(indexTime.addSecs(60), QFileDevice::FileModificationTime));
  changed.close();
  ASSERT_TRUE(QFile::remove(out + "/sheet13_3.JPG"));
  ASSERT_EQ(run(corners + QStringList{"--skip-done", "-o", out, "-r", "2", "-c", "2", raster, second}), kCompleted);
  EXPECT_EQ(captured->err, "pelmora-tile: " + messages::batchSummary(2, 0, 0) + "\n");
  EXPECT_TRUE(QFile::exists(out + "/sheet13_3.JPG"));

  // A folder, and two rasters whose sets would share one index: nothing is cut.
  ASSERT_TRUE(QDir().mkpath(dir.filePath("more")));
  EXPECT_EQ(run({dir.filePath("more"), raster}), kUsageError);
  const QString folder = dir.filePath("more");
  EXPECT_TRUE(captured->err.contains(
      QCoreApplication::translate("BatchTool", "%1 is a folder; give the rasters in it (%2/*.bmp)").arg(folder, folder)))
      << captured->err.toStdString();
  const QString twin = testing::writeBmp24(dir.filePath("more/sheet12.bmp"), testing::positionImage(40, 30));
  ASSERT_TRUE(QFile::remove(out + "/sheet12.AR2"));
  EXPECT_EQ(run({"-o", out, raster, twin}), kUsageError);
  EXPECT_TRUE(captured->err.contains(
      QCoreApplication::translate("BatchTool", "%1 and %2 would both write %3; cut them into different folders")
          .arg(raster, twin, out + "/sheet12.AR2")));
  EXPECT_FALSE(QFile::exists(out + "/sheet12.AR2"));
}

// Ctrl-C while the first raster waits for another run's lock: that raster is
// cancelled, the second is not started, and the batch ends with status 1.
TEST_F(BatchTool, InterruptCancelsTheBatchAndTheRestIsNotStarted) {
  const QString second = testing::writeBmp24(dir.filePath("sheet13.bmp"), testing::positionImage(20, 10));
  const QString out = dir.filePath("out");
  ASSERT_TRUE(QDir().mkpath(out));
  const auto otherRun = FileLock::tryAcquire(out + "/.sheet12.pelmora-lock");
  ASSERT_TRUE(otherRun);

  QString err;
  std::atomic<bool> waiting{false}, finished{false};
  const Console console{[](const QString&) {},
                        [&](const QString& text) {
                          err += text;
                          if (text.contains(messages::waitingForAnotherRun("sheet12.AR2"))) waiting = true;
                        }};
  // Raised once the wait has put its handler in place: before, it would end the process.
  std::thread interrupter([&] {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    struct sigaction current {};
    while (!finished && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (!waiting || sigaction(SIGINT, nullptr, &current) != 0 || current.sa_handler == SIG_DFL) continue;
      std::raise(SIGINT);
      return;
    }
  });
  const int status = runBatch({"--quiet", "-o", out, raster, second}, console);
  finished = true;
  interrupter.join();

  EXPECT_EQ(status, kStopped);
  EXPECT_TRUE(err.contains(messages::runCancelled())) << err.toStdString();
  EXPECT_TRUE(err.endsWith("pelmora-tile: " + messages::batchSummary(0, 0, 0, 1) + "\n"))
      << err.toStdString();
  EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
}

TEST_F(BatchTool, UsageErrorsAndHelp) {
  EXPECT_EQ(run({"--rows"}), kUsageError);
  EXPECT_TRUE(captured->err.contains("--help"));
  EXPECT_EQ(captured->out, "");
  EXPECT_EQ(run({}), kUsageError);
  EXPECT_EQ(run({"--help"}), kCompleted);
  EXPECT_TRUE(captured->out.startsWith("Usage: pelmora-tile"));
  EXPECT_EQ(run({"--version"}), kCompleted);
  EXPECT_TRUE(captured->out.startsWith("pelmora-tile "));
}

// Rasters in other formats, made by GDAL from the fixture's bitmap.
class BatchFormats : public BatchTool {
 protected:
  QString translated(const QString& name, const QStringList& options) {
    const QString to = dir.filePath(name);
    EXPECT_TRUE(testing::runGdalTool("gdal_translate", QStringList{"-q"} + options + QStringList{raster, to}));
    return to;
  }
  // The files of a 2 × 3 run on `file` into the folder `out`, by name.
  std::map<QString, QByteArray> runInto(const QString& file, const QString& out,
                                        const QStringList& extra = {}) {
    const QString folder = dir.filePath(out);
    EXPECT_EQ(run(QStringList{"-r", "2", "-c", "3", "-q", "90", "-o", folder, "--quiet"} + extra +
                  QStringList{file}),
              kCompleted)
        << captured->err.toStdString();
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) files[name] = readFile(folder + "/" + name);
    return files;
  }
};

// Every format gives the bitmap's rows (the raster's tests); here, a source
// cut while its decoder is still writing it gives the bitmap's bytes.
TEST_F(BatchFormats, AFileCutWhileItDecodesGivesTheBitmapsImages) {
  const auto expected = runInto(raster, "bmp");
  ASSERT_EQ(expected.size(), 8u);  // the overview, six tiles, the index
  const QString tif = translated(
      "sheet12.tif", {"-co", "COMPRESS=LZW", "-co", "TILED=YES", "-co", "BLOCKXSIZE=64", "-co", "BLOCKYSIZE=64"});
  EXPECT_EQ(runInto(tif, "tif"), expected);
}

TEST_F(BatchFormats, AGeoTiffsCornersAndCoordinateSystemReachTheTilesWorldFiles) {
  const QString tif =
      translated("sheet12.tif", {"-a_srs", "EPSG:6677", "-a_ullr", "-8000", "-36000", "-7600", "-36300"});
  const auto files = runInto(tif, "out", {"--world-files"});
  ASSERT_TRUE(files.count("sheet12_4.JPG.aux.xml"));
  EXPECT_TRUE(files.count("sheet12_0.JPG.aux.xml"));
  QString info;
  ASSERT_TRUE(testing::runGdalTool("gdalinfo", {dir.filePath("out/sheet12_4.JPG")}, &info));
  EXPECT_TRUE(info.contains("ID[\"EPSG\",6677]")) << info.toStdString();
  // Tile 4: bottom row, left column; world files carry no edge stretch of their own.
  EXPECT_TRUE(info.contains("Upper Left  (   -8000.000,  -36150.000)")) << info.toStdString();
}

TEST_F(BatchFormats, ARotatedPlacementIsIgnoredAndSaidSo) {
  writeFile(dir.filePath("sheet12.wld"), "0.5\n0.1\n0\n-0.5\n100\n500\n");
  ASSERT_EQ(run({"--dry-run", raster}), kCompleted);
  EXPECT_TRUE(captured->out.startsWith("右上X: 45\n"));  // the placeholders
  EXPECT_TRUE(captured->err.contains(messages::turnedGeoreferenceIgnored())) << captured->err.toStdString();
  EXPECT_TRUE(captured->err.contains(raster));
}

TEST_F(BatchFormats, ADamagedFileStopsTheRunAndNothingIsWrittenWhileADryRunDecodesNothing) {
  const QString tif = translated("sheet12.tif", {"-co", "COMPRESS=LZW"});
  const QByteArray whole = readFile(tif);
  writeFile(tif, whole.left(whole.size() / 2));
  const QString out = dir.filePath("out");
  EXPECT_EQ(run({"-o", out, tif}), kStopped);
  EXPECT_TRUE(captured->err.contains(tif)) << captured->err.toStdString();
  EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
  // The plan needs the size from the header, not the pixels.
  ASSERT_EQ(run({"-n", "-o", out, tif}), kCompleted) << captured->err.toStdString();
  EXPECT_TRUE(captured->out.contains("sheet12_1.JPG,")) << captured->out.toStdString();
}

}  // namespace
}  // namespace pelmora
