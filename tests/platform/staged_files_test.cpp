// Staged sets: nothing appears under a final name before the commit, the
// commit renames in the order given, and every path that stops short leaves
// no temporary behind. Full disks and killed writers: see the run's tests.
#include "platform/staged_files.h"

#include "base/failure.h"
#include "platform/file_lock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

namespace pelmora {
namespace {

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

  QFile earlier(folder.filePath("a.AR2"));
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
  earlier.write("earlier");
  earlier.close();
  StagedSet set(folder.path());
  stage(set, "a_1.JPG", "tile");
  stage(set, "a.AR2", "index");
  {
    StagedFile dropped = set.create("a_2.JPG");  // a writer that stopped midway
    dropped.write(bytesOf("half"));
  }
  EXPECT_EQ(everything(folder.path()), (QStringList{".a.AR2.pelmora-tmp", ".a_1.JPG.pelmora-tmp", "a.AR2"}));
  set.commit({"a_1.JPG", "a.AR2"});
  EXPECT_EQ(everything(folder.path()), (QStringList{"a.AR2", "a_1.JPG"}));
  EXPECT_EQ(contents(folder.filePath("a.AR2")), "index");
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
      set.commit({"a_1.JPG", "a_2.JPG"});
      FAIL() << "the commit went through";
    } catch (const Failure& failure) {
      EXPECT_TRUE(failure.cause().startsWith(QStringLiteral("ファイルを書き込めません: 同じ名前のフォルダーがあります (")))
          << failure.what();
      EXPECT_EQ(failure.file(), folder.filePath("a_2.JPG"));
    }
  }
  EXPECT_EQ(everything(folder.path()), QStringList{"a_2.JPG"});
}

TEST(StagedFiles, AMissingFolderIsNamedWithTheSystemsReason) {
  QTemporaryDir folder;
  StagedSet set(folder.filePath("missing"));
  try {
    set.create("a_3.JPG");
    FAIL() << "writing into a missing folder succeeded";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.cause(),
              QStringLiteral("ファイルを書き込めません: フォルダーがありません (No such file or directory)"));
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
