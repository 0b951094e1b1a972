// Whole-file writes: the target is replaced only by complete content and a
// failure leaves no temporary file behind (a folder in the way: see the run).
#include "platform/atomic_file.h"

#include "base/failure.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelmora {
namespace {

std::span<const std::uint8_t> bytesOf(const QByteArray& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.constData()), std::size_t(text.size())};
}

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList everything(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(AtomicFile, CreatesAndReplacesWithNoTemporaryLeftOver) {
  QTemporaryDir folder;
  const QString path = folder.filePath("a_1.JPG");
  writeFileAtomically(path, bytesOf("first, longer content"));
  EXPECT_EQ(contents(path), "first, longer content");
  writeFileAtomically(path, bytesOf("second"));
  EXPECT_EQ(contents(path), "second");
  EXPECT_EQ(everything(folder.path()), QStringList{"a_1.JPG"});
  EXPECT_TRUE(QFile(path).permissions() & QFile::ReadOther);  // the umask decides, as for any new file
}

TEST(AtomicFile, FailsNamingTheFileWhenItsFolderIsMissing) {
  QTemporaryDir folder;
  const QString nowhere = folder.filePath("missing/a_3.JPG");
  try {
    writeFileAtomically(nowhere, bytesOf("tile"));
    FAIL() << "writing into a missing folder succeeded";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.cause(), QStringLiteral("ファイルを書き込めません: フォルダーがありません。"));
    EXPECT_EQ(failure.file(), nowhere);
  }
  EXPECT_TRUE(everything(folder.path()).isEmpty());
}

}  // namespace
}  // namespace pelmora
