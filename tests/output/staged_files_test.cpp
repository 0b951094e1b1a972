// Staged sets: nothing appears under a final name before the commit, the
// commit renames in the order given, and every path that stops short leaves
// no temporary behind. Full disks and killed writers: see the run's tests.
#include "output/staged_files.h"

#include "base/failure.h"
#include "output/file_lock.h"
#include "base/messages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <system_error>
#include <unistd.h>

namespace {

thread_local bool threadsRefused = false;

// While a RefusedThreads lives, no thread its thread starts gets one, as when
// the process has used up its share: std::thread throws std::system_error.
struct RefusedThreads {
  RefusedThreads() { threadsRefused = true; }
  ~RefusedThreads() { threadsRefused = false; }
};

}  // namespace

// Every thread this program starts passes here, to the system's own or to the
// sanitizers' in front of it, which must see every thread.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*start)(void*), void* argument) {
  using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
  static const Create create = [] {
    void* found = dlsym(RTLD_DEFAULT, "__interceptor_pthread_create");
    return reinterpret_cast<Create>(found ? found : dlsym(RTLD_NEXT, "pthread_create"));
  }();
  return threadsRefused ? EAGAIN : create(thread, attributes, start, argument);
}

namespace pelmora {
namespace {

constexpr auto Put = CommitStep::Kind::put;
constexpr auto Remove = CommitStep::Kind::remove;

std::span<const std::uint8_t> bytesOf(const char* text) {
  return {reinterpret_cast<const std::uint8_t*>(text), std::strlen(text)};
}

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList everything(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void stage(StagedSet& set, const QString& name, const char* text) {
  StagedFile file = set.create(name);
  file.write(bytesOf(text));
  file.finish();
}

TEST(StagedFiles, TemporaryNamesAreHiddenOursAndTiedToTheirFile) {
  EXPECT_EQ(stagedNameOf("a_3.JPG"), ".a_3.JPG.pelmora-tmp");
  EXPECT_EQ(fileNameOfStaged(".a_3.JPG.pelmora-tmp"), QString("a_3.JPG"));
  EXPECT_EQ(fileNameOfStaged("a_3.JPG.pelmora-tmp"), std::nullopt);
  EXPECT_EQ(fileNameOfStaged(".a_3.JPG"), std::nullopt);
  EXPECT_EQ(fileNameOfStaged("..pelmora-tmp"), std::nullopt);
}

TEST(StagedFiles, NothingAppearsBeforeTheCommitAndTheCommitReplacesTheEarlierFiles) {
  QTemporaryDir folder;
  stage(*std::make_unique<StagedSet>(folder.path()), "x.txt", "never committed");
  EXPECT_TRUE(everything(folder.path()).isEmpty());

  for (const char* name : {"a.AR2", "a_9.JPG", "victim"}) {
    QFile earlier(folder.filePath(name));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
  }
  // A link planted at a temporary's name is replaced, not written through.
  ASSERT_TRUE(QFile::link(folder.filePath("victim"), folder.filePath(".a_1.JPG.pelmora-tmp")));
  StagedSet set(folder.path());
  stage(set, "a_1.JPG", "tile");
  stage(set, "a.AR2", "index");
  {
    StagedFile dropped = set.create("a_2.JPG");  // a writer that stopped midway
    dropped.write(bytesOf("half"));
  }
  EXPECT_EQ(everything(folder.path()),
            (QStringList{".a.AR2.pelmora-tmp", ".a_1.JPG.pelmora-tmp", "a.AR2", "a_9.JPG", "victim"}));
  set.commit({{Put, "a_1.JPG"}, {Put, "a.AR2"}, {Remove, "a_9.JPG"}}, ".a.journal");
  EXPECT_EQ(everything(folder.path()), (QStringList{"a.AR2", "a_1.JPG", "victim"}));
  EXPECT_EQ(contents(folder.filePath("a.AR2")), "index");
  EXPECT_EQ(contents(folder.filePath("victim")), "earlier");
  EXPECT_TRUE(QFile(folder.filePath("a_1.JPG")).permissions() & QFile::ReadOther);  // the umask decides
}

TEST(StagedFiles, AFolderInTheWayStopsTheCommitBeforeAnyRename) {
  QTemporaryDir folder;
  ASSERT_TRUE(QDir(folder.path()).mkdir("a_2.JPG"));
  {
    StagedSet set(folder.path());
    stage(set, "a_1.JPG", "tile 1");
    stage(set, "a_2.JPG", "tile 2");
    try {
      set.commit({{Put, "a_1.JPG"}, {Put, "a_2.JPG"}}, ".a.journal");
      FAIL() << "the commit went through";
    } catch (const Failure& failure) {
      EXPECT_TRUE(failure.cause().startsWith(messages::cannotWriteFile(messages::folderOfThatName() + " (")))
          << failure.what();
      EXPECT_EQ(failure.file(), folder.filePath("a_2.JPG"));
    }
  }
  EXPECT_EQ(everything(folder.path()), QStringList{"a_2.JPG"});
}

// A journal left by a commit that stopped after its second step.
TEST(StagedFiles, AnInterruptedCommitIsFinishedFromItsJournalOnceAndOnlyWithOurNames) {
  QTemporaryDir folder;
  auto write = [&](const QString& name, const QByteArray& bytes) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  };
  const std::vector<CommitStep> steps{{Remove, "a_1.jgw"}, {Put, "a_1.JPG"}, {Put, "a_2.JPG"}, {Put, "a.AR2"}};
  write("a_1.JPG", "new 1");  // renamed before the stop
  write(".a_2.JPG.pelmora-tmp", "new 2");
  write(".a.AR2.pelmora-tmp", "new index");
  write("a.AR2", "earlier index");
  write(".a.journal", journalText(steps));
  auto ours = [](const QString& name) { return name.startsWith("a"); };
  EXPECT_TRUE(finishInterruptedCommit(folder.path(), ".a.journal", ours));
  EXPECT_EQ(everything(folder.path()), (QStringList{"a.AR2", "a_1.JPG", "a_2.JPG"}));
  EXPECT_EQ(contents(folder.filePath("a.AR2")), "new index");
  EXPECT_FALSE(finishInterruptedCommit(folder.path(), ".a.journal", ours));

  // A journal cut short, or one naming a file not ours, is dropped untouched.
  for (const QByteArray& text : {journalText({{Remove, "a.AR2"}}).chopped(4), journalText({{Remove, "b.AR2"}})}) {
    write("b.AR2", "other");
    write(".a.journal", text);
    EXPECT_TRUE(finishInterruptedCommit(folder.path(), ".a.journal", [](const QString& n) { return n != "b.AR2"; }));
    EXPECT_EQ(everything(folder.path()), (QStringList{"a.AR2", "a_1.JPG", "a_2.JPG", "b.AR2"}));
  }
}

TEST(StagedFiles, AMissingFolderIsNamedWithTheSystemsReason) {
  QTemporaryDir folder;
  StagedSet set(folder.filePath("missing"));
  try {
    set.create("a_3.JPG");
    FAIL() << "writing into a missing folder succeeded";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.cause(), messages::cannotWriteFile(messages::noSuchFolder() + " (No such file or directory)"));
    EXPECT_EQ(failure.file(), folder.filePath("missing/a_3.JPG"));
  }
}

TEST(StagedFiles, LeftoversAreRemovedOnlyForTheNamesAccepted) {
  QTemporaryDir folder;
  for (const char* name : {".a_1.JPG.pelmora-tmp", ".b_1.JPG.pelmora-tmp", "a_1.JPG", ".a_1.JPG.other"}) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(removeLeftoverTemporaries(folder.path(), [](const QString& name) { return name.startsWith("a_"); }), 1);
  EXPECT_EQ(everything(folder.path()), (QStringList{".a_1.JPG.other", ".b_1.JPG.pelmora-tmp", "a_1.JPG"}));
}

TEST(StagedFiles, AFileWithoutAThreadToFlushItIsDroppedAndClosedOnce) {
  QTemporaryDir folder;
  int other = -1;
  {
    StagedSet set(folder.path());
    {
      StagedFile file = set.create("a_1.JPG");
      file.write(bytesOf("tile"));
      const RefusedThreads refused;
      EXPECT_THROW(file.finish(), std::system_error);
    }
    // Takes the descriptor number the dropped file had: closing that again would close this.
    other = ::open(QFile::encodeName(folder.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    stage(set, "a_2.JPG", "tile");
    set.commit({{Put, "a_2.JPG"}}, ".a.journal");
  }
  EXPECT_EQ(::fcntl(other, F_GETFD), FD_CLOEXEC);
  ::close(other);
  EXPECT_EQ(everything(folder.path()), QStringList{"a_2.JPG"});
}

TEST(FileLock, IsHeldByOneAtATimeAndLeavesNoFile) {
  QTemporaryDir folder;
  const QString path = folder.filePath(".a.pelmora-lock");
  {
    std::optional<FileLock> first = FileLock::tryAcquire(path);
    ASSERT_TRUE(first);
    EXPECT_FALSE(FileLock::tryAcquire(path));
    const std::atomic<bool> giveUp{true};
    EXPECT_FALSE(FileLock::acquire(path, giveUp));
  }
  EXPECT_TRUE(everything(folder.path()).isEmpty());
  EXPECT_TRUE(FileLock::tryAcquire(path));
}

}  // namespace
}  // namespace pelmora
