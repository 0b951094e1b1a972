// A run commits all or nothing: whatever stops it (a failing image, a cancel,
// a kill, a full disk), the folder keeps its earlier index and images exactly
// and shows no new file; leftovers of a killed run go with the next run; runs
// on one raster take turns; a smaller grid removes the tiles it no longer has.
#include "base/failure.h"
#include "commands/raster_loading.h"
#include "support/message_text.h"
#include "support/station.h"
#include "support/test_rasters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pelmora {
namespace {

using Snapshot = std::map<QString, QByteArray>;

// Every entry of the folder, hidden ones included, with its bytes.
Snapshot snapshot(const QString& folder) {
  Snapshot files;
  for (const QString& name :
       QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
    QFile file(QDir(folder).filePath(name));
    files[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<folder>");
  }
  return files;
}

QStringList names(const Snapshot& files) {
  QStringList list;
  for (const auto& [name, bytes] : files) list << name;
  return list;
}

// The real encoder, with a hook that runs as each image starts (its number
// counted from 1); the hook may throw or cancel.
class HookedEncoder : public JpegEncoder {
 public:
  explicit HookedEncoder(std::function<void(int)> hook, std::atomic<int>& started)
      : hook_(std::move(hook)), started_(started), real_(makeJpegEncoder()) {}
  void start(int width, int height, PixelLayout layout, int quality) override {
    if (hook_) hook_(++started_);
    real_->start(width, height, layout, quality);
  }
  std::span<const std::uint8_t> writeRows(const std::uint8_t* rows, int count, std::ptrdiff_t stride) override {
    return real_->writeRows(rows, count, stride);
  }
  std::span<const std::uint8_t> finish() override { return real_->finish(); }

 private:
  std::function<void(int)> hook_;
  std::atomic<int>& started_;
  std::unique_ptr<JpegEncoder> real_;
};

// A run on sheet12.bmp into `out` whose encoder runs a hook as each image starts.
struct Station : testing::Station {
  std::atomic<int> started{0};
  Station(const QString& raster, const QString& out, const QString& rows, const QString& columns,
          const QString& quality = " 50")
      : testing::Station(raster, out, rows, columns, quality) {
    hook(nullptr);
  }
  void hook(std::function<void(int)> onImage) {
    makeEncoder = [this, onImage] { return std::make_unique<HookedEncoder>(onImage, started); };
  }
};

class RunCommit : public ::testing::Test {
 protected:
  void SetUp() override {
    raster = testing::writeBmp24(rasterDir.filePath("sheet12.bmp"), testing::positionImage(300, 100));
  }
  // A completed 2 × 3 run into `folder`: the earlier set the tests keep.
  Snapshot earlierSet(const QString& folder) {
    Station earlier(raster, folder, "2", "3");
    EXPECT_TRUE(earlier.run().isCompleted());
    const Snapshot files = snapshot(folder);
    EXPECT_EQ(files.size(), 8u);
    return files;
  }

  QTemporaryDir rasterDir, out;
  QString raster;
};

TEST_F(RunCommit, AFailurePartWayLeavesTheEarlierSetAndNoTemporary) {
  const Snapshot before = earlierSet(out.path());
  for (const int jobs : {1, 2}) {
    Station run(raster, out.path(), "3", "3", " 90");
    run.request.workers = jobs;
    run.hook([](int image) {
      if (image == 4) throw Failure(messages::cannotEncodeBecause("test"));
    });
    const CommandOutcome outcome = run.run();
  EXPECT_FALSE(outcome.isCompleted());
    ASSERT_NE(outcome.message(), "");
    EXPECT_TRUE(outcome.message().startsWith(
        testing::before(messages::withFile(messages::cannotEncodeBecause("test"), testing::kUnknown))));
    EXPECT_EQ(snapshot(out.path()), before) << jobs;
  }
}

TEST_F(RunCommit, ACancelLeavesTheEarlierSetAndSaysSo) {
  const Snapshot before = earlierSet(out.path());
  Station run(raster, out.path(), "3", "3", " 90");
  Progress* progress = nullptr;
  run.onProgress = [&progress](const QString&, Progress& p) { progress = &p; };
  run.hook([&progress](int image) {
    if (image == 3) progress->cancelRequested = true;
  });
  const CommandOutcome outcome = run.run();
  EXPECT_FALSE(outcome.isCompleted());
  EXPECT_EQ(run.started.load(), 3);  // stopped within the image in flight
  ASSERT_NE(outcome.message(), "");
  EXPECT_TRUE(outcome.message().startsWith(messages::runCancelled()));
  EXPECT_EQ(snapshot(out.path()), before);
}

TEST_F(RunCommit, AKilledRunLeavesTheEarlierSetAndTheNextRunRemovesItsLeftovers) {
  const Snapshot before = earlierSet(out.path());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child != 0) ::close(ready[1]);  // a child that ends before it signals ends the read
  if (child == 0) {
    ::close(ready[0]);
    // The child writes two images of a 3 × 3 run, says so, and waits for its end.
    Station run(raster, out.path(), "3", "3", " 90");
    run.hook([&](int image) {
      if (image == 3) {
        (void)!::write(ready[1], "x", 1);
        for (;;) ::pause();
      }
    });
    run.run();
    ::_exit(1);
  }
  char byte;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(ready[0]);
  ASSERT_TRUE(WIFSIGNALED(status));

  Snapshot afterKill = snapshot(out.path());
  for (const char* left : {".sheet12_0.JPG.pelmora-tmp", ".sheet12_1.JPG.pelmora-tmp", ".sheet12_2.JPG.pelmora-tmp",
                            ".sheet12.pelmora-lock"})
    EXPECT_EQ(afterKill.erase(QString::fromLatin1(left)), 1u) << left;
  EXPECT_EQ(afterKill, before);  // under the final names, the earlier set only

  // Sidecars and a journal are staged the same way; a kill leaves them too.
  for (const char* left : {".sheet12_1.jgw.pelmora-tmp", ".sheet12_1.JPG.aux.xml.pelmora-tmp",
                           "..sheet12.pelmora-commit.pelmora-tmp"}) {
    QFile file(out.filePath(left));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  Station again(raster, out.path(), "3", "3", " 90");
  const CommandOutcome outcome = again.run();
  ASSERT_TRUE(outcome.isCompleted()) << outcome.message().toStdString();
  const QStringList expected{"sheet12.AR2",   "sheet12_0.JPG", "sheet12_1.JPG", "sheet12_2.JPG",
                             "sheet12_3.JPG", "sheet12_4.JPG", "sheet12_5.JPG", "sheet12_6.JPG",
                             "sheet12_7.JPG", "sheet12_8.JPG", "sheet12_9.JPG"};
  EXPECT_EQ(names(snapshot(out.path())), expected);

  // A load (a dry run loads the same way) removes them too, under the lock.
  QFile left(out.filePath(".sheet12_3.JPG.pelmora-tmp"));
  ASSERT_TRUE(left.open(QIODevice::WriteOnly));
  left.close();
  loadRasterFile(raster, TileSet(raster, out.path()), Decoding::never, nullptr);
  EXPECT_EQ(names(snapshot(out.path())), expected);
}

TEST_F(RunCommit, AFullDiskNamesTheSystemsCauseAndTheFileAndLeavesTheEarlierSet) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root; run as root to check a full disk";
  const QByteArray point = QFile::encodeName(out.path());
  if (::mount("tmpfs", point.constData(), "tmpfs", 0, "size=1m") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  struct Unmount {
    QByteArray point;
    ~Unmount() { ::umount2(point.constData(), MNT_DETACH); }
  } unmount{point};

  const Snapshot before = earlierSet(out.path());
  {
    QFile filler(out.filePath("filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
  }
  const QByteArray filled = snapshot(out.path())["filler"];

  Station run(raster, out.path(), "3", "3", " 95");
  const CommandOutcome outcome = run.run();
  EXPECT_FALSE(outcome.isCompleted());
  ASSERT_NE(outcome.message(), "");
  const QString message = outcome.message();
  EXPECT_TRUE(message.contains("No space left on device")) << message.toStdString();
  EXPECT_TRUE(message.contains(messages::withFile("", out.path() + "/sheet12_"))) << message.toStdString();
  Snapshot after = snapshot(out.path());
  after.erase("filler");
  EXPECT_EQ(after, before);
}

TEST_F(RunCommit, TwoRunsOnOneRasterTakeTurnsAndLeaveOneConsistentSet) {
  // Each run's set on its own, for comparison.
  QTemporaryDir aloneA, aloneB;
  Station soloA(raster, aloneA.path(), "2", "3", " 30"), soloB(raster, aloneB.path(), "3", "2", " 90");
  ASSERT_TRUE(soloA.run().isCompleted());
  ASSERT_TRUE(soloB.run().isCompleted());

  Station a(raster, out.path(), "2", "3", " 30"), b(raster, out.path(), "3", "2", " 90");
  std::mutex mutex;
  std::condition_variable changed;
  bool bWaits = false;
  // A holds the lock until B has said that it waits.
  a.hook([&](int image) {
    if (image != 1) return;
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return bWaits; });
  });
  b.onProgress = [&](const QString&, Progress& progress) {
    if (progress.total != 0) return;
    std::lock_guard lock(mutex);
    bWaits = true;
    changed.notify_all();
  };
  std::atomic<bool> aEnded{false};
  std::thread first([&] {
    EXPECT_TRUE(a.run().isCompleted());
    aEnded = true;
  });
  while (a.started.load() == 0 && !aEnded.load()) std::this_thread::yield();
  std::thread second([&] { EXPECT_TRUE(b.run().isCompleted()); });
  first.join();
  second.join();

  ASSERT_EQ(b.progressLabels.size(), 2);
  EXPECT_EQ(b.progressLabels[0], messages::waitingForAnotherRun("sheet12.AR2"));
  // B ran last: its set, and nothing of A's beyond it.
  EXPECT_EQ(snapshot(out.path()), snapshot(aloneB.path()));
}

TEST_F(RunCommit, ASmallerGridRemovesTheTilesTheEarlierIndexNamedAndNothingElse) {
  const QString folder = out.filePath("maps");
  ASSERT_TRUE(QDir().mkdir(folder));
  auto touch = [](const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  };
  earlierSet(folder);
  touch(QDir(folder).filePath("sheet12_9.JPG"));  // not named by the index

  Station smaller(raster, folder, "1", "2");
  ASSERT_TRUE(smaller.run().isCompleted());
  EXPECT_EQ(names(snapshot(folder)),
            (QStringList{"sheet12.AR2", "sheet12_0.JPG", "sheet12_1.JPG", "sheet12_2.JPG", "sheet12_9.JPG"}));

  // An index naming files of other shapes, or elsewhere, removes none of them.
  QFile index(QDir(folder).filePath("sheet12.AR2"));
  ASSERT_TRUE(index.open(QIODevice::Append));
  index.write("sheet12.bmp, 0, 0, 1, 1\r\n../sheet12_5.JPG, 0, 0, 1, 1\r\nsheet12_9.JPG.bak, 0, 0, 1, 1\r\n");
  index.close();
  for (const QString& path : {QDir(folder).filePath("sheet12.bmp"), QDir(folder).filePath("sheet12_9.JPG.bak"),
                              out.filePath("sheet12_5.JPG")})
    touch(path);
  Station same(raster, folder, "1", "2");
  ASSERT_TRUE(same.run().isCompleted());
  EXPECT_TRUE(QFile::exists(QDir(folder).filePath("sheet12.bmp")));
  EXPECT_TRUE(QFile::exists(QDir(folder).filePath("sheet12_9.JPG.bak")));
  EXPECT_TRUE(QFile::exists(out.filePath("sheet12_5.JPG")));
}

// No image is ever left beside a world file or .aux.xml of another run: GIS
// software would place it where that run's image lay.
TEST_F(RunCommit, SidecarsFollowTheirImages) {
  auto sidecars = [this] {
    return QDir(out.path()).entryList({"*.jgw", "*.aux.xml"}, QDir::Files, QDir::Name);
  };
  Station withWorldFiles(raster, out.path(), "2", "3");
  withWorldFiles.request.worldFiles = true;
  ASSERT_TRUE(withWorldFiles.run().isCompleted());
  ASSERT_EQ(sidecars().size(), 7);
  QFile aux(out.filePath("sheet12_6.JPG.aux.xml"));  // as a run on a georeferenced raster leaves it
  ASSERT_TRUE(aux.open(QIODevice::WriteOnly));
  aux.close();

  Station smaller(raster, out.path(), "1", "2");
  smaller.request.worldFiles = true;
  ASSERT_TRUE(smaller.run().isCompleted());
  EXPECT_EQ(sidecars(), (QStringList{"sheet12_0.jgw", "sheet12_1.jgw", "sheet12_2.jgw"}));

  Station without(raster, out.path(), "1", "1");
  ASSERT_TRUE(without.run().isCompleted());
  EXPECT_EQ(sidecars(), QStringList{});
  EXPECT_EQ(names(snapshot(out.path())), (QStringList{"sheet12.AR2", "sheet12_0.JPG", "sheet12_1.JPG"}));
}

}  // namespace
}  // namespace pelmora
