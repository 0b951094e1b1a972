#include "output/commit_journal.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/file_io.h"
#include "base/system_errors.h"
#include "output/staged_names.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace pelmora {
namespace {

constexpr char kHeader[] = "pelmora-commit 1";
constexpr char kEnd[] = "end";
constexpr char kPut[] = "put ";
constexpr char kRemove[] = "remove ";

// Percent-encoded, so that no name can break a line or reach another folder.
QByteArray encodedName(const QString& name) { return QFile::encodeName(name).toPercentEncoding(); }

[[noreturn]] void failStep(int error, const QString& folder, const QString& name) {
  throw Failure(messages::cannotWriteFile(fileErrorReason(error)), QDir(folder).filePath(name));
}

std::optional<std::vector<CommitStep>> parseJournal(const QByteArray& text,
                                                    const std::function<bool(const QString&)>& ours) {
  QList<QByteArray> lines = text.split('\n');
  if (lines.size() < 3 || lines.front() != kHeader || !lines.back().isEmpty() ||
      lines[lines.size() - 2] != kEnd)
    return std::nullopt;
  std::vector<CommitStep> steps;
  for (qsizetype i = 1; i < lines.size() - 2; ++i) {
    const QByteArray& line = lines[i];
    CommitStep step;
    QByteArray name;
    if (line.startsWith(kPut)) {
      step.kind = CommitStep::Kind::put;
      name = line.mid(qsizetype(sizeof kPut) - 1);
    } else if (line.startsWith(kRemove)) {
      step.kind = CommitStep::Kind::remove;
      name = line.mid(qsizetype(sizeof kRemove) - 1);
    } else {
      return std::nullopt;
    }
    step.name = QFile::decodeName(QByteArray::fromPercentEncoding(name));
    if (step.name.isEmpty() || step.name.contains(u'/') || !ours(step.name)) return std::nullopt;
    steps.push_back(std::move(step));
  }
  return steps;
}

}  // namespace

QString journalNameFor(const QString& baseName) {
  return u'.' + baseName + QStringLiteral(".pelmora-commit");
}

QByteArray journalText(const std::vector<CommitStep>& steps) {
  QByteArray text = QByteArray(kHeader) + '\n';
  for (const CommitStep& step : steps)
    text += (step.kind == CommitStep::Kind::put ? kPut : kRemove) + encodedName(step.name) + '\n';
  return text + kEnd + '\n';
}

void carryOut(int folderFd, const QString& folder, const std::vector<CommitStep>& steps, bool again) {
  for (const CommitStep& step : steps) {
    const QByteArray name = QFile::encodeName(step.name);
    if (step.kind == CommitStep::Kind::put) {
      const QByteArray temporary = QFile::encodeName(stagedNameOf(step.name));
      if (::renameat(folderFd, temporary.constData(), folderFd, name.constData()) != 0 &&
          !(again && errno == ENOENT))
        failStep(errno, folder, step.name);
    } else if (::unlinkat(folderFd, name.constData(), 0) != 0 && errno != ENOENT && errno != EISDIR) {
      failStep(errno, folder, step.name);
    }
  }
  if (::fsync(folderFd) != 0) throw Failure(messages::cannotWriteFolder(fileErrorReason(errno)), folder);
}

void removeJournal(int folderFd, const QString& journalName) {
  ::unlinkat(folderFd, QFile::encodeName(journalName).constData(), 0);
}

bool finishInterruptedCommit(const QString& folder, const QString& journalName,
                             const std::function<bool(const QString&)>& ours) {
  const FileDescriptor dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.isOpen()) return false;
  const FileDescriptor fd(
      ::openat(dir.get(), QFile::encodeName(journalName).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.isOpen()) return false;
  QFile file;
  QByteArray text;
  if (file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) text = file.readAll();
  if (const auto steps = parseJournal(text, ours)) carryOut(dir.get(), folder, *steps, /*again=*/true);
  removeJournal(dir.get(), journalName);
  return true;
}

}  // namespace pelmora
